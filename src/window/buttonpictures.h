#pragma once
// The small pictures of the two picture buttons of the measurement window.
#include "ui/handles.h"

// A slider panel, for "Einstellung".
ui::Bitmap MakeSettingsPicture();
// A floppy disk, for "Speichern".
ui::Bitmap MakeSavePicture();

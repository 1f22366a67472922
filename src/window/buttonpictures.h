#pragma once
// The small pictures of the two picture buttons of the measurement window.
#include "base/handles.h"

// A slider panel, for "Einstellung".
base::Bitmap MakeSettingsPicture();
// A floppy disk, for "Speichern".
base::Bitmap MakeSavePicture();

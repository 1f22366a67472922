#pragma once
// The small pictures of the two picture buttons of the measurement window: icons, whose mask
// gives the shape that a disabled button shows greyed out, with a transparent gap at their right
// that keeps the caption off the picture.
#include "base/handles.h"

// The picture is 16 x 16; the icon is this much wider.
inline constexpr int kPictureGap = 4;

// A slider panel, for "Einstellung".
base::Icon MakeSettingsPicture();
// A floppy disk, for "Speichern".
base::Icon MakeSavePicture();

#pragma once
// The small pictures of the two picture buttons of the measurement window: icons, whose mask
// gives the shape that a disabled button shows greyed out, with a transparent gap at their right
// that keeps the caption off the picture.
#include "base/handles.h"

// The picture is 16 x 16 logical pixels; the icon is this much wider. Both are drawn at the
// screen's DPI, box by box, so that they stay sharp.
inline constexpr int kPictureGap = 4;

// A slider panel, for "Einstellung".
base::Icon MakeSettingsPicture(int dpi = 96);
// A floppy disk, for "Speichern".
base::Icon MakeSavePicture(int dpi = 96);

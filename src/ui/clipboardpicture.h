#pragma once
// A picture put on the clipboard in the two forms other programs paste: a bitmap (CF_DIB) for
// image programs and an enhanced metafile (CF_ENHMETAFILE), which a word processor scales
// without blurring its lines and letters.
#include "base/dibsection.h"

#include <windows.h>

#include <functional>

namespace ui {

// Draws the picture at its size into a device context: once into the metafile.
using PicturePainter = std::function<void(HDC dc, SIZE size)>;

// Empties the clipboard and puts the bitmap (a 32-bit top-down picture) and the metafile the
// painter draws on it, owned by owner. Throws std::runtime_error with a German text when the
// clipboard cannot be opened or a form cannot be made; the clipboard is then left empty.
void CopyPictureToClipboard(HWND owner, const base::MemoryBitmap& picture,
                            const PicturePainter& paint);

} // namespace ui

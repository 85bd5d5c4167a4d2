// Pictures stored in the program's resources, decoded by Windows.
#pragma once

#include <windows.h>

#include "platform/win32/ScopedWin.h"

namespace velt::platform::win32 {

// Decodes the BMP, JPEG or GIF stored as RCDATA `id` with OleLoadPicture and returns a bitmap
// the caller owns. Throws std::runtime_error when the resource is missing or cannot be decoded.
UniqueBitmap LoadPictureResource(HINSTANCE instance, int id);

// A pale grey copy of `source` for a disabled button face.
UniqueBitmap MakeGreyedCopy(HBITMAP source);

SIZE BitmapSize(HBITMAP bitmap) noexcept;

}  // namespace velt::platform::win32

#pragma once

// Packed device-independent bitmaps: a BITMAPINFOHEADER followed by the pixel rows, the
// form in which a DLL carries a bitmap resource (a .bmp file without its file header).

#include <cstdint>
#include <span>

#include "base/bitmap.h"

namespace tarvex::base {

/// The picture of a packed DIB of 24 or 32 bits per pixel without compression (BI_RGB),
/// stored bottom-up or top-down. Throws Error(E_INVALIDARG) for anything else and for a
/// header or pixel data that does not fit in `bytes`.
Bitmap ParsePackedDib(std::span<const std::uint8_t> bytes);

} // namespace tarvex::base

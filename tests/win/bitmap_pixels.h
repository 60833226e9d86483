#pragma once

// Reading a real bitmap back as portable pixels (base::Bitmap), for the tests of pictures and
// the clipboard.

#include <windows.h>

#include <olectl.h>

#include <cstdint>
#include <ole2.h>
#include <vector>

#include "base/bitmap.h"
#include "host/object.h"
#include "host/win/com_adapters.h"
#include "host/win/handles.h"

namespace tarvex::win::testing {

/// The IPicture behind a seam picture; null when it is none.
inline ComPtr<IPicture> PictureOf(const host::Ref<host::Dispatch>& object) {
    const ComPtr<IDispatch> dispatch = ToCom(object.Get());
    ComPtr<IPicture> picture;
    if (!dispatch || FAILED(dispatch->QueryInterface(IID_IPicture, picture.PutVoid())))
        return {};
    return picture;
}

/// The pixels of `bitmap` as 0x00RRGGBB, top row first; empty when it cannot be read.
inline base::Bitmap PixelsOf(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || ::GetObjectW(bitmap, sizeof info, &info) == 0)
        return {};
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(request.bmiHeader);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    base::Bitmap result;
    result.width = info.bmWidth;
    result.height = info.bmHeight;
    result.pixels.resize(static_cast<std::size_t>(info.bmWidth) * info.bmHeight);
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight),
                                 result.pixels.data(), &request, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != info.bmHeight)
        return {};
    for (std::uint32_t& pixel : result.pixels)
        pixel &= 0x00FFFFFF;
    return result;
}

/// A 16 x 16 glyph: magenta around a square of `color`, one dark pixel in its corner.
inline base::Bitmap TestGlyph(std::uint32_t color) {
    base::Bitmap glyph;
    glyph.width = 16;
    glyph.height = 16;
    glyph.pixels.assign(256, 0xFF00FF);
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            glyph.pixels[static_cast<std::size_t>(y) * 16 + x] = color;
    glyph.pixels[4 * 16 + 4] = 0x000080;
    return glyph;
}

} // namespace tarvex::win::testing

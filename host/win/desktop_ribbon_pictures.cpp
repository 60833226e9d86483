// The parts of Win32Desktop that ribbon images need: OLE pictures over 32-bit DIB sections
// with per-pixel alpha, and icon pictures that own their icon.

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "host/win/desktop.h"
#include "host/win/gdi_pictures.h"
#include "host/win/handles.h"

namespace tarvex::win {

namespace {

// A DIB section holding `pixels` (0xAARRGGBB is a 32-bit BI_RGB pixel in memory).
UniqueHbitmap DibSectionOf(const base::Bitmap& bitmap, const std::vector<std::uint32_t>& pixels) {
    const BITMAPINFO info = TopDown32(bitmap);
    void* bits = nullptr;
    UniqueHbitmap result(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!result || !bits)
        ThrowLastError("Cannot create the bitmap of a ribbon image");
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
    ::GdiFlush();
    return result;
}

} // namespace

host::Ref<host::Dispatch> Win32Desktop::CreateAlphaPicture(const base::Bitmap& bitmap) {
    RequirePixels(bitmap);
    return PictureOwning(DibSectionOf(bitmap, bitmap.pixels),
                         "Cannot create the picture of a ribbon image");
}

host::Ref<host::Dispatch> Win32Desktop::CreateIconPicture(const base::Bitmap& bitmap) {
    RequirePixels(bitmap);
    // Colour pixels under the mask are black, so the icon's XOR pass leaves the screen as is.
    const std::uint32_t transparent = bitmap.TransparentColor();
    std::vector<std::uint32_t> colours(bitmap.pixels.size());
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::uint32_t colour = bitmap.pixels[i] & 0x00FFFFFF;
        colours[i] = colour == transparent ? 0 : colour;
    }
    UniqueHbitmap colour = DibSectionOf(bitmap, colours);
    UniqueHbitmap mask = MaskBitmapOf(bitmap, "Cannot create the mask of a ribbon icon");
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour.Get();
    info.hbmMask = mask.Get();
    // CreateIconIndirect copies both bitmaps; ours are freed on return.
    UniqueHicon icon(::CreateIconIndirect(&info));
    if (!icon)
        ThrowLastError("Cannot create the icon of a ribbon item");
    return PictureOwning(std::move(icon), "Cannot create the picture of a ribbon image");
}

} // namespace tarvex::win

// The parts of Win32Desktop that ribbon images need: OLE pictures over 32-bit DIB sections
// with per-pixel alpha, and icon pictures that own their icon.

#include <windows.h>

#include <olectl.h>

#include <cstring>
#include <ole2.h>
#include <string>
#include <vector>

#include "host/error.h"
#include "host/win/com_adapters.h"
#include "host/win/desktop.h"
#include "host/win/handles.h"

namespace tarvex::win {

namespace {

[[noreturn]] void ThrowLastErrorFor(const std::string& what) {
    const DWORD code = ::GetLastError();
    throw host::Error(code == 0 ? host::hr::Fail : host::FromWin32(code), what);
}

void RequireRibbonPixels(const host::Bitmap& bitmap) {
    if (bitmap.Empty() || bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) *
                                                      static_cast<std::size_t>(bitmap.height))
        throw host::Error(host::hr::InvalidArg,
                          "A picture needs a bitmap with one pixel per point");
}

BITMAPINFO TopDown32(const host::Bitmap& bitmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = bitmap.width;
    info.bmiHeader.biHeight = -bitmap.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A DIB section holding `pixels` (0xAARRGGBB is a 32-bit BI_RGB pixel in memory).
UniqueHbitmap DibSectionOf(const host::Bitmap& bitmap, const std::vector<std::uint32_t>& pixels) {
    const BITMAPINFO info = TopDown32(bitmap);
    void* bits = nullptr;
    UniqueHbitmap result(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!result || !bits)
        ThrowLastErrorFor("Cannot create the bitmap of a ribbon image");
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
    ::GdiFlush();
    return result;
}

// A monochrome mask: bit 1 where the pixel has the transparent colour, rows padded to 16 bits.
UniqueHbitmap IconMaskOf(const host::Bitmap& bitmap) {
    const std::size_t stride = ((static_cast<std::size_t>(bitmap.width) + 15) / 16) * 2;
    std::vector<std::uint8_t> bits(stride * static_cast<std::size_t>(bitmap.height), 0);
    const std::uint32_t transparent = bitmap.TransparentColor();
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x)
            if ((bitmap.Pixel(x, y) & 0x00FFFFFF) == transparent)
                bits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) / 8] |=
                    static_cast<std::uint8_t>(0x80u >> (x % 8));
    UniqueHbitmap result(::CreateBitmap(bitmap.width, bitmap.height, 1, 1, bits.data()));
    if (!result)
        ThrowLastErrorFor("Cannot create the mask of a ribbon icon");
    return result;
}

host::Ref<host::Dispatch> CreateOlePicture(PICTDESC& description) {
    IPictureDisp* raw = nullptr;
    const HRESULT result = ::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE,
                                                      reinterpret_cast<void**>(&raw));
    if (FAILED(result) || !raw)
        throw host::Error(FAILED(result) ? host::MakeHResult(static_cast<std::uint32_t>(result))
                                         : host::hr::Fail,
                          "Cannot create the picture of a ribbon image");
    host::Ref<host::Dispatch> picture = FromCom(raw);
    raw->Release();
    return picture;
}

} // namespace

host::Ref<host::Dispatch> Win32Desktop::CreateAlphaPicture(const host::Bitmap& bitmap) {
    RequireRibbonPixels(bitmap);
    UniqueHbitmap section = DibSectionOf(bitmap, bitmap.pixels);
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = section.Get();
    description.bmp.hpal = nullptr;
    host::Ref<host::Dispatch> picture = CreateOlePicture(description);
    // The picture frees the bitmap with its last reference.
    [[maybe_unused]] const HBITMAP owned = section.Detach();
    return picture;
}

host::Ref<host::Dispatch> Win32Desktop::CreateIconPicture(const host::Bitmap& bitmap) {
    RequireRibbonPixels(bitmap);
    // Colour pixels under the mask are black, so the icon's XOR pass leaves the screen as is.
    const std::uint32_t transparent = bitmap.TransparentColor();
    std::vector<std::uint32_t> colours(bitmap.pixels.size());
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::uint32_t colour = bitmap.pixels[i] & 0x00FFFFFF;
        colours[i] = colour == transparent ? 0 : colour;
    }
    UniqueHbitmap colour = DibSectionOf(bitmap, colours);
    UniqueHbitmap mask = IconMaskOf(bitmap);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour.Get();
    info.hbmMask = mask.Get();
    // CreateIconIndirect copies both bitmaps; ours are freed on return.
    UniqueHicon icon(::CreateIconIndirect(&info));
    if (!icon)
        ThrowLastErrorFor("Cannot create the icon of a ribbon item");
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_ICON;
    description.icon.hicon = icon.Get();
    host::Ref<host::Dispatch> picture = CreateOlePicture(description);
    // The picture destroys the icon with its last reference.
    [[maybe_unused]] const HICON owned = icon.Detach();
    return picture;
}

} // namespace tarvex::win

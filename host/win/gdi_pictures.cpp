// GDI bitmaps and OLE pictures made from portable bitmaps (base::Bitmap).

#include "host/win/gdi_pictures.h"

#include <olectl.h>

#include <cstddef>
#include <cstdint>
#include <ole2.h>
#include <utility>
#include <vector>

#include "base/error.h"
#include "host/win/com_adapters.h"

namespace tarvex::win {

namespace {

// A picture over the handle in `description`, which `owner` (its UniqueHandle) holds. The
// picture is made with fOwn: it takes the handle over once it exists, and then frees it with
// its last reference, even when making its seam object fails. OLE takes nothing over when it
// fails, so the owner keeps the handle until then.
template <class Owner>
host::Ref<host::Dispatch> PictureTakingOver(PICTDESC& description, Owner& owner,
                                            std::string failure) {
    description.cbSizeofstruct = sizeof(description);
    ComPtr<IPictureDisp> picture;
    const HRESULT result =
        ::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.PutVoid());
    if (FAILED(result) || !picture)
        throw base::Error(FAILED(result) ? base::MakeHResult(static_cast<std::uint32_t>(result))
                                         : base::hr::Fail,
                          std::move(failure));
    [[maybe_unused]] const auto owned = owner.Detach();
    return FromCom(picture.Get());
}

} // namespace

void ThrowLastError(std::string what) {
    const DWORD code = ::GetLastError();
    throw base::Error(code == 0 ? base::hr::Fail : base::FromWin32(code), std::move(what));
}

void RequirePixels(const base::Bitmap& bitmap) {
    if (bitmap.Empty() || bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) *
                                                      static_cast<std::size_t>(bitmap.height))
        throw base::Error(base::hr::InvalidArg,
                          "A picture needs a bitmap with one pixel per point");
}

BITMAPINFO TopDown32(const base::Bitmap& bitmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = bitmap.width;
    info.bmiHeader.biHeight = -bitmap.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

UniqueHbitmap MaskBitmapOf(const base::Bitmap& bitmap, std::string failure) {
    RequirePixels(bitmap);
    // Rows of a monochrome bitmap are padded to 16 bits, most significant bit first.
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
        ThrowLastError(std::move(failure));
    return result;
}

host::Ref<host::Dispatch> PictureOwning(UniqueHbitmap bitmap, std::string failure) {
    PICTDESC description{};
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap.Get();
    description.bmp.hpal = nullptr;
    return PictureTakingOver(description, bitmap, std::move(failure));
}

host::Ref<host::Dispatch> PictureOwning(UniqueHicon icon, std::string failure) {
    PICTDESC description{};
    description.picType = PICTYPE_ICON;
    description.icon.hicon = icon.Get();
    return PictureTakingOver(description, icon, std::move(failure));
}

} // namespace tarvex::win

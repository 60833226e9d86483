// The parts of SimDesktop that ribbon images need: pictures with per-pixel alpha and icons.

#include "base/error.h"
#include "sim/desktop/desktop.h"
#include "sim/desktop/picture.h"

namespace tarvex::sim {

namespace {

void RequireRibbonPixels(const base::Bitmap& bitmap) {
    if (bitmap.Empty() || bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) *
                                                      static_cast<std::size_t>(bitmap.height))
        throw base::Error(base::hr::InvalidArg,
                          "A picture needs a bitmap with one pixel per point");
}

} // namespace

host::Ref<host::Dispatch> SimDesktop::CreateAlphaPicture(const base::Bitmap& bitmap) {
    RequireRibbonPixels(bitmap);
    base::Bitmap copy = bitmap;
    copy.bitsPerPixel = 32;
    copy.transparentColor.reset();
    return host::MakeRef<SimPicture>(std::move(copy), m_nextPicture++);
}

host::Ref<host::Dispatch> SimDesktop::CreateIconPicture(const base::Bitmap& bitmap) {
    RequireRibbonPixels(bitmap);
    base::Bitmap shown = bitmap;
    const std::uint32_t transparent = bitmap.TransparentColor();
    for (std::uint32_t& pixel : shown.pixels) {
        const std::uint32_t colour = pixel & 0x00FFFFFF;
        pixel = colour == transparent ? colour : (colour | 0xFF000000);
    }
    shown.bitsPerPixel = 32;
    shown.transparentColor.reset();
    return host::MakeRef<SimPicture>(std::move(shown), m_nextPicture++);
}

} // namespace tarvex::sim

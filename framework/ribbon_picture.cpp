#include "framework/ribbon_picture.h"

#include <cstddef>

#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"

namespace tarvex::framework {

namespace {

constexpr std::uint32_t kColourBits = 0x00FFFFFF;
constexpr std::uint32_t kOpaque = 0xFF000000;

} // namespace

base::Bitmap RibbonAlphaBitmap(const base::Bitmap& source) {
    base::Bitmap result;
    result.width = source.width;
    result.height = source.height;
    result.bitsPerPixel = 32;
    result.pixels = source.pixels;
    if (source.Empty())
        return result;
    const bool hasAlpha = source.bitsPerPixel == 32;
    const std::uint32_t transparent = source.TransparentColor();
    for (std::uint32_t& pixel : result.pixels) {
        if (!hasAlpha)
            pixel = (pixel & kColourBits) | kOpaque;
        if ((pixel & kColourBits) == transparent)
            pixel &= kColourBits;
    }
    return result;
}

host::Ref<host::Dispatch> RibbonPicture(host::Desktop& desktop,
                                        const TadxRibbonComponent& component) {
    const auto* control = dynamic_cast<const TadxRibbonCustomControl*>(&component);
    const base::Bitmap* source = control ? control->PictureSource() : nullptr;
    if (!source || source->Empty())
        return {};
    return desktop.CreateAlphaPicture(RibbonAlphaBitmap(*source));
}

host::Ref<host::Dispatch> RibbonItemPicture(host::Desktop& desktop,
                                            const TadxRibbonCustomControl& item) {
    const base::Bitmap* source = item.PictureSource();
    if (!source || source->Empty())
        return {};
    base::Bitmap icon = *source;
    // A glyph's own mask colour is its bottom-left pixel, whatever colour it names.
    if (!item.Glyph().Empty())
        icon.transparentColor = item.Glyph().BottomLeft();
    return desktop.CreateIconPicture(icon);
}

} // namespace tarvex::framework

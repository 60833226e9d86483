// The monochrome masks shared by button faces and ribbon icons, at widths where the padding
// of a mask's rows matters.

#include <windows.h>

#include <gtest/gtest.h>

#include "base/error.h"
#include "host/win/gdi_pictures.h"
#include "tests/win/bitmap_pixels.h"

namespace tarvex::win {
namespace {

// A bitmap of `width` x 3, dark blue with the transparent colour (grey, also its bottom-left
// pixel's) on a diagonal and in the last column, so the last bit of every row is set.
base::Bitmap DiagonalGlyph(int width) {
    base::Bitmap glyph;
    glyph.width = width;
    glyph.height = 3;
    glyph.pixels.assign(static_cast<std::size_t>(width) * 3, 0x112233);
    const auto at = [&](int x, int y) -> std::uint32_t& {
        return glyph.pixels[static_cast<std::size_t>(y) * width + x];
    };
    for (int y = 0; y < 3; ++y) {
        if (y * 3 < width)
            at(y * 3, y) = 0x808080;
        at(width - 1, y) = 0x808080;
    }
    at(0, 2) = 0x808080;
    return glyph;
}

TEST(MaskBitmap, IsWhiteExactlyWhereTransparentAtWidthsAcrossTheRowPadding) {
    for (const int width : {1, 7, 9, 16, 17, 33}) {
        const base::Bitmap glyph = DiagonalGlyph(width);
        const UniqueHbitmap mask = MaskBitmapOf(glyph, "mask");
        const base::Bitmap pixels = testing::PixelsOf(mask.Get());
        ASSERT_EQ(pixels.width, width);
        ASSERT_EQ(pixels.pixels.size(), glyph.pixels.size()) << width;
        for (std::size_t i = 0; i < glyph.pixels.size(); ++i)
            EXPECT_EQ(pixels.pixels[i], glyph.pixels[i] == 0x808080 ? 0xFFFFFFu : 0u)
                << "width " << width << ", pixel " << i;
    }
}

TEST(MaskBitmap, RefusesABitmapWithoutOnePixelPerPoint) {
    base::Bitmap torn = DiagonalGlyph(17);
    torn.pixels.pop_back();
    EXPECT_THROW((void)MaskBitmapOf(torn, "mask"), base::Error);
}

} // namespace
} // namespace tarvex::win

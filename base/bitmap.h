#pragma once

// Bitmap: a picture as the add-in keeps it (button glyphs, ribbon images), independent of
// any device.

#include <cstdint>
#include <optional>
#include <vector>

namespace tarvex::base {

/// A bitmap of width x height pixels, top row first. Each pixel is 0xAARRGGBB; a bitmap of
/// 24 bits per pixel has no alpha (the top byte is 0 and means nothing).
struct Bitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    std::vector<std::uint32_t> pixels;
    /// The colour drawn transparent, when the bitmap names one; otherwise its bottom-left
    /// pixel's colour is taken.
    std::optional<std::uint32_t> transparentColor;

    bool Empty() const noexcept { return width <= 0 || height <= 0 || pixels.empty(); }
    std::uint32_t Pixel(int x, int y) const {
        return pixels.at(static_cast<std::size_t>(y) * width + x);
    }
    /// The colour of the bottom-left pixel, without alpha.
    std::uint32_t BottomLeft() const { return Pixel(0, height - 1) & 0x00FFFFFF; }
    /// The colour drawn transparent: the named one, else the bottom-left pixel's.
    std::uint32_t TransparentColor() const {
        return transparentColor ? *transparentColor & 0x00FFFFFF : BottomLeft();
    }

    friend bool operator==(const Bitmap&, const Bitmap&) = default;
};

} // namespace tarvex::base

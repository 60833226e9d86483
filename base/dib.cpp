#include "base/dib.h"

#include <cstdlib>

#include "base/error.h"

namespace tarvex::base {

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
// Larger images are no button faces: refusing them keeps a hostile size from asking for
// gigabytes.
constexpr std::int64_t kMaxSide = 4096;

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

[[noreturn]] void Refuse(const char* why) {
    throw Error(hr::InvalidArg, std::string("Unsupported bitmap: ") + why);
}

} // namespace

Bitmap ParsePackedDib(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kInfoHeaderSize)
        Refuse("the header is cut short");
    const std::uint32_t headerSize = Read32(bytes, 0);
    if (headerSize < kInfoHeaderSize || headerSize > bytes.size())
        Refuse("the header size is wrong");
    const auto width = static_cast<std::int32_t>(Read32(bytes, 4));
    const auto height = static_cast<std::int32_t>(Read32(bytes, 8));
    const std::uint16_t planes = Read16(bytes, 12);
    const std::uint16_t bits = Read16(bytes, 14);
    const std::uint32_t compression = Read32(bytes, 16);
    const std::uint32_t paletteSize = Read32(bytes, 32);
    if (planes != 1 || (bits != 24 && bits != 32) || compression != kBiRgb)
        Refuse("only uncompressed 24- and 32-bit bitmaps are read");
    const std::int64_t rows = std::llabs(static_cast<std::int64_t>(height));
    if (width <= 0 || rows == 0 || width > kMaxSide || rows > kMaxSide)
        Refuse("the size is out of range");
    // A palette of a true-colour bitmap is only an optimisation hint; the pixels follow it.
    const std::uint64_t pixelStart = static_cast<std::uint64_t>(headerSize) + paletteSize * 4ull;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits / 8 + 3) & ~3ull;
    if (pixelStart + stride * static_cast<std::uint64_t>(rows) > bytes.size())
        Refuse("the pixels are cut short");

    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = static_cast<int>(rows);
    bitmap.bitsPerPixel = bits;
    bitmap.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows));
    const bool bottomUp = height > 0;
    const std::size_t step = bits / 8;
    for (std::int64_t y = 0; y < rows; ++y) {
        const std::int64_t stored = bottomUp ? rows - 1 - y : y;
        std::size_t at =
            static_cast<std::size_t>(pixelStart + stride * static_cast<std::uint64_t>(stored));
        for (std::int32_t x = 0; x < width; ++x, at += step) {
            std::uint32_t pixel = static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
                                  static_cast<std::uint32_t>(bytes[at + 1]) << 8 | bytes[at];
            if (bits == 32)
                pixel |= static_cast<std::uint32_t>(bytes[at + 3]) << 24;
            bitmap.pixels.push_back(pixel);
        }
    }
    return bitmap;
}

} // namespace tarvex::base

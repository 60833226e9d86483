// Reading bitmap resources: packed DIBs as a DLL carries them.

#include <gtest/gtest.h>
#include <vector>

#include "base/dib.h"
#include "base/error.h"

namespace tarvex::base {
namespace {

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

/// A packed DIB header for `width` x `height` at `bits`, followed by `paletteEntries`
/// palette entries and zeroed rows.
std::vector<std::uint8_t> Dib(std::int32_t width, std::int32_t height, std::uint16_t bits,
                              std::uint32_t paletteEntries = 0, std::uint32_t compression = 0) {
    const std::size_t stride = (static_cast<std::size_t>(width) * bits / 8 + 3) & ~std::size_t{3};
    const std::size_t rows = static_cast<std::size_t>(height < 0 ? -height : height);
    std::vector<std::uint8_t> bytes(40 + paletteEntries * 4 + stride * rows);
    Put32(bytes, 0, 40);
    Put32(bytes, 4, static_cast<std::uint32_t>(width));
    Put32(bytes, 8, static_cast<std::uint32_t>(height));
    bytes[12] = 1;
    bytes[14] = static_cast<std::uint8_t>(bits);
    Put32(bytes, 16, compression);
    Put32(bytes, 32, paletteEntries);
    return bytes;
}

TEST(PackedDib, BottomUpRowsWithPaddingComeOutTopRowFirst) {
    // 3 x 2 at 24 bits: each row is 9 bytes padded to 12. Stored bottom row first.
    std::vector<std::uint8_t> dib = Dib(3, 2, 24);
    const std::uint8_t bottom[] = {0x03, 0x02, 0x01, 0x06, 0x05, 0x04, 0x09, 0x08, 0x07};
    const std::uint8_t top[] = {0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF};
    std::copy(std::begin(bottom), std::end(bottom), dib.begin() + 40);
    std::copy(std::begin(top), std::end(top), dib.begin() + 40 + 12);
    const Bitmap bitmap = ParsePackedDib(dib);
    EXPECT_EQ(bitmap.width, 3);
    EXPECT_EQ(bitmap.height, 2);
    EXPECT_EQ(bitmap.bitsPerPixel, 24);
    EXPECT_EQ(bitmap.pixels, (std::vector<std::uint32_t>{0xFF00FF, 0x000000, 0xFFFFFF, 0x010203,
                                                         0x040506, 0x070809}));
    EXPECT_EQ(bitmap.BottomLeft(), 0x010203u);
}

TEST(PackedDib, TopDownThirtyTwoBitsKeepAlphaAndSkipThePalette) {
    std::vector<std::uint8_t> dib = Dib(1, -2, 32, 2);
    const std::size_t pixels = 40 + 2 * 4;
    Put32(dib, pixels, 0x80112233);
    Put32(dib, pixels + 4, 0x00445566);
    const Bitmap bitmap = ParsePackedDib(dib);
    EXPECT_EQ(bitmap.pixels, (std::vector<std::uint32_t>{0x80112233, 0x00445566}));
}

TEST(PackedDib, MalformedOrUnsupportedDataIsRefusedNotRead) {
    std::vector<std::uint8_t> good = Dib(4, 4, 24);
    std::vector<std::uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_THROW(ParsePackedDib(cut), Error) << "pixels cut short";
    EXPECT_THROW(ParsePackedDib(std::span(good).first(39)), Error) << "header cut short";
    EXPECT_THROW(ParsePackedDib(Dib(4, 4, 8, 256)), Error) << "palette images are not faces";
    EXPECT_THROW(ParsePackedDib(Dib(4, 4, 24, 0, 1)), Error) << "compressed";
    EXPECT_THROW(ParsePackedDib(Dib(0, 4, 24)), Error);
    EXPECT_THROW(ParsePackedDib(Dib(4, 0, 24)), Error);
    // A hostile size must not make the reader allocate or read past the data.
    std::vector<std::uint8_t> huge = Dib(1, 1, 24);
    Put32(huge, 4, 0x7FFFFFFF);
    Put32(huge, 8, 0x80000000);
    EXPECT_THROW(ParsePackedDib(huge), Error);
    std::vector<std::uint8_t> palette = Dib(1, 1, 24);
    Put32(palette, 32, 0xFFFFFFFF);
    EXPECT_THROW(ParsePackedDib(palette), Error) << "a palette larger than the data";
    std::vector<std::uint8_t> header = Dib(1, 1, 24);
    Put32(header, 0, 0xFFFFFFF0);
    EXPECT_THROW(ParsePackedDib(header), Error);
}

} // namespace
} // namespace tarvex::base

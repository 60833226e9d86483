// The screenshot encoder writes PNG files that a decoder reads back exactly.

#include <cstdint>
#include <gtest/gtest.h>
#include <span>
#include <string_view>
#include <vector>

#include "tests/support/png_writer.h"

namespace tarvex::testing {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (std::uint32_t{bytes.at(at)} << 24) | (std::uint32_t{bytes.at(at + 1)} << 16) |
           (std::uint32_t{bytes.at(at + 2)} << 8) | std::uint32_t{bytes.at(at + 3)};
}

// Inflates a zlib stream made only of stored blocks, checking every header on the way.
std::vector<std::uint8_t> InflateStored(const std::vector<std::uint8_t>& stream) {
    EXPECT_EQ((stream.at(0) * 256 + stream.at(1)) % 31, 0) << "zlib header check bits";
    EXPECT_EQ(stream.at(0) & 0x0F, 8) << "deflate";
    std::vector<std::uint8_t> out;
    std::size_t at = 2;
    for (bool last = false; !last;) {
        const std::uint8_t header = stream.at(at);
        last = header & 1;
        EXPECT_EQ(header >> 1, 0) << "stored block";
        const unsigned length = stream.at(at + 1) | (stream.at(at + 2) << 8);
        const unsigned complement = stream.at(at + 3) | (stream.at(at + 4) << 8);
        EXPECT_EQ(length ^ 0xFFFFu, complement);
        at += 5;
        out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(at),
                   stream.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    }
    EXPECT_EQ(Read32(stream, at), Adler32(out));
    EXPECT_EQ(at + 4, stream.size()) << "nothing after the checksum";
    return out;
}

TEST(PngChecksums, MatchTheStandardCheckValues) {
    EXPECT_EQ(Crc32(Bytes("123456789")), 0xCBF43926u);
    EXPECT_EQ(Crc32(Bytes("6789"), Crc32(Bytes("12345"))), 0xCBF43926u) << "continues";
    EXPECT_EQ(Crc32({}), 0u);
    EXPECT_EQ(Adler32(Bytes("Wikipedia")), 0x11E60398u);
    EXPECT_EQ(Adler32({}), 1u);
    // Long enough for both sums to wrap around their modulus many times.
    const std::vector<std::uint8_t> ones(100000, 0xFF);
    EXPECT_EQ(Adler32(ones), 0x149A302Cu);
}

TEST(PngZlib, StoredBlocksRoundTripAcrossTheBlockLimit) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65535},
                                   std::size_t{65536}, std::size_t{200000}}) {
        std::vector<std::uint8_t> data(size);
        for (std::size_t i = 0; i < size; ++i)
            data[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
        const std::vector<std::uint8_t> stream = ZlibStored(data);
        EXPECT_EQ(InflateStored(stream), data) << size << " bytes";
        const std::size_t blocks = size == 0 ? 1 : (size + 65534) / 65535;
        EXPECT_EQ(stream.size(), 2 + blocks * 5 + size + 4) << size << " bytes";
    }
}

TEST(PngFile, HasValidChunksAndThePixelsRowByRow) {
    // 300 x 100 pixels: the image data needs two stored blocks.
    const int width = 300, height = 100;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint8_t>(i % 251);
    const std::vector<std::uint8_t> png = EncodePng(width, height, rgb);

    const std::vector<std::uint8_t> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
    std::vector<std::string> types;
    std::vector<std::uint8_t> header, idat;
    for (std::size_t at = 8; at < png.size();) {
        const std::uint32_t length = Read32(png, at);
        const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        const std::vector<std::uint8_t> data(png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                             png.begin() +
                                                 static_cast<std::ptrdiff_t>(at + 8 + length));
        EXPECT_EQ(Read32(png, at + 8 + length), Crc32(std::span(png).subspan(at + 4, 4 + length)))
            << type;
        types.push_back(type);
        if (type == "IHDR")
            header = data;
        if (type == "IDAT")
            idat.insert(idat.end(), data.begin(), data.end());
        at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    ASSERT_EQ(header.size(), 13u);
    EXPECT_EQ(Read32(header, 0), 300u);
    EXPECT_EQ(Read32(header, 4), 100u);
    EXPECT_EQ(std::vector<std::uint8_t>(header.begin() + 8, header.end()),
              (std::vector<std::uint8_t>{8, 2, 0, 0, 0}));

    const std::vector<std::uint8_t> rows = InflateStored(idat);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(height) * (width * 3 + 1));
    for (int y = 0; y < height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * (width * 3 + 1);
        ASSERT_EQ(rows[row], 0) << "filter type of row " << y;
        ASSERT_TRUE(std::equal(rows.begin() + static_cast<std::ptrdiff_t>(row + 1),
                               rows.begin() + static_cast<std::ptrdiff_t>(row + 1 + width * 3),
                               rgb.begin() + static_cast<std::ptrdiff_t>(y * width * 3)))
            << "row " << y;
    }
}

TEST(PngFile, RejectsPixelsThatDoNotMatchTheSize) {
    const std::vector<std::uint8_t> rgb(2 * 2 * 3);
    EXPECT_THROW(EncodePng(2, 3, rgb), std::invalid_argument);
    EXPECT_THROW(EncodePng(0, 0, {}), std::invalid_argument);
    EXPECT_NO_THROW(EncodePng(2, 2, rgb));
}

} // namespace
} // namespace tarvex::testing

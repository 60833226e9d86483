#pragma once

// A minimal PNG encoder for the screenshots of the tests: 8-bit RGB, no filtering, the
// image data in zlib "stored" blocks (no compression), so it needs no library at all.

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarvex::testing {

/// CRC-32 (ISO 3309, reflected polynomial 0xEDB88320) of `bytes`, continuing from `crc`.
inline std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    crc = ~crc;
    for (const std::uint8_t byte : bytes)
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

/// Adler-32 of `bytes` (RFC 1950).
inline std::uint32_t Adler32(std::span<const std::uint8_t> bytes) {
    constexpr std::uint32_t kModulus = 65521;
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t byte : bytes) {
        a = (a + byte) % kModulus;
        b = (b + a) % kModulus;
    }
    return (b << 16) | a;
}

/// A zlib stream (RFC 1950) holding `bytes` in stored deflate blocks of at most 65535 bytes.
inline std::vector<std::uint8_t> ZlibStored(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out{0x78, 0x01}; // deflate, 32K window, no dictionary
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(bytes.size() - offset, 65535);
        const bool last = offset + length == bytes.size();
        out.push_back(last ? 1 : 0); // BFINAL, BTYPE 00 (stored), padded to the byte
        out.push_back(static_cast<std::uint8_t>(length & 0xFF));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(~length & 0xFF));
        out.push_back(static_cast<std::uint8_t>((~length >> 8) & 0xFF));
        out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                   bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < bytes.size());
    const std::uint32_t adler = Adler32(bytes);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(adler >> shift));
    return out;
}

/// A PNG file of `width` x `height` pixels from `rgb`: 3 bytes per pixel, rows top to bottom.
/// Throws std::invalid_argument when the sizes do not match.
inline std::vector<std::uint8_t> EncodePng(int width, int height,
                                           std::span<const std::uint8_t> rgb) {
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
        throw std::invalid_argument("EncodePng: the pixels do not match the size");
    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto put32 = [](std::vector<std::uint8_t>& out, std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<std::uint8_t>(value >> shift));
    };
    const auto chunk = [&](const char* type, std::span<const std::uint8_t> data) {
        put32(png, static_cast<std::uint32_t>(data.size()));
        const std::size_t typeAt = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        put32(png, Crc32(std::span(png).subspan(typeAt, 4 + data.size())));
    };

    std::vector<std::uint8_t> header;
    put32(header, static_cast<std::uint32_t>(width));
    put32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter, no interlace
    chunk("IHDR", header);

    // Each row starts with its filter type, 0 (none).
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> rows;
    rows.reserve((stride + 1) * static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        rows.push_back(0);
        rows.insert(rows.end(), rgb.begin() + static_cast<std::ptrdiff_t>(y * stride),
                    rgb.begin() + static_cast<std::ptrdiff_t>((y + 1) * stride));
    }
    chunk("IDAT", ZlibStored(rows));
    chunk("IEND", {});
    return png;
}

/// Writes EncodePng's file to `path`; false when the file cannot be written.
inline bool WritePng(const std::string& path, int width, int height,
                     std::span<const std::uint8_t> rgb) {
    const std::vector<std::uint8_t> png = EncodePng(width, height, rgb);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(file);
}

} // namespace tarvex::testing

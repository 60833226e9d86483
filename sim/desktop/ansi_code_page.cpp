#include "sim/desktop/ansi_code_page.h"

#include <algorithm>
#include <array>

namespace tarvex::sim {

namespace {

// The characters of bytes 0x80 to 0x9F; everything else is the byte's own code point.
constexpr std::array<char16_t, 32> kHighControls = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};

std::optional<char> ByteOf(char16_t c) noexcept {
    const auto found = std::find(kHighControls.begin(), kHighControls.end(), c);
    if (found != kHighControls.end())
        return static_cast<char>(0x80 + (found - kHighControls.begin()));
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    return std::nullopt;
}

} // namespace

std::optional<std::string> ToWindows1252(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const char16_t c : text) {
        const std::optional<char> byte = ByteOf(c);
        if (!byte)
            return std::nullopt;
        bytes.push_back(*byte);
    }
    return bytes;
}

std::u16string FromWindows1252(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        text.push_back(value >= 0x80 && value < 0xA0 ? kHighControls[value - 0x80]
                                                     : static_cast<char16_t>(value));
    }
    return text;
}

} // namespace tarvex::sim

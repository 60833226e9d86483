#pragma once

// Globally unique identifiers (class, interface and library ids), laid out as COM's GUID.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvex::base {

/// A GUID with COM's memory layout, so the Windows adapters can copy it byte for byte.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend constexpr bool operator==(const Guid&, const Guid&) = default;

    /// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (the braces may be left out; hex
    /// digits in either case). Returns nothing for any other text.
    static constexpr std::optional<Guid> TryParse(std::string_view text) noexcept;

    /// Parses like TryParse and throws Error(E_INVALIDARG) on malformed text. In a
    /// constant expression a malformed literal fails to compile.
    static constexpr Guid Parse(std::string_view text);

    /// The registry form: braces and upper-case hex digits.
    std::string ToString() const;

    /// A new random GUID (version 4).
    static Guid Generate();
};

namespace detail {
constexpr int HexValue(char c) noexcept {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

constexpr bool ReadHex(std::string_view text, std::size_t& pos, int digits,
                       std::uint32_t& value) noexcept {
    value = 0;
    for (int i = 0; i < digits; ++i, ++pos) {
        if (pos >= text.size())
            return false;
        const int digit = HexValue(text[pos]);
        if (digit < 0)
            return false;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

constexpr bool Expect(std::string_view text, std::size_t& pos, char c) noexcept {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

[[noreturn]] void ThrowBadGuid(std::string_view text);
} // namespace detail

constexpr std::optional<Guid> Guid::TryParse(std::string_view text) noexcept {
    const bool braced = !text.empty() && text.front() == '{';
    if (braced && text.back() != '}')
        return std::nullopt;
    if (braced)
        text = text.substr(1, text.size() - 2);
    if (text.size() != 36)
        return std::nullopt;

    Guid guid;
    std::size_t pos = 0;
    std::uint32_t value = 0;
    if (!detail::ReadHex(text, pos, 8, value))
        return std::nullopt;
    guid.data1 = value;
    if (!detail::Expect(text, pos, '-') || !detail::ReadHex(text, pos, 4, value))
        return std::nullopt;
    guid.data2 = static_cast<std::uint16_t>(value);
    if (!detail::Expect(text, pos, '-') || !detail::ReadHex(text, pos, 4, value))
        return std::nullopt;
    guid.data3 = static_cast<std::uint16_t>(value);
    if (!detail::Expect(text, pos, '-'))
        return std::nullopt;
    for (std::size_t i = 0; i < 8; ++i) {
        if (i == 2 && !detail::Expect(text, pos, '-'))
            return std::nullopt;
        if (!detail::ReadHex(text, pos, 2, value))
            return std::nullopt;
        guid.data4[i] = static_cast<std::uint8_t>(value);
    }
    return guid;
}

constexpr Guid Guid::Parse(std::string_view text) {
    const std::optional<Guid> guid = TryParse(text);
    if (!guid)
        detail::ThrowBadGuid(text);
    return *guid;
}

} // namespace tarvex::base

#include "base/case_folding.h"

#include <algorithm>

namespace tarvex::base {

namespace {
bool IsHighSurrogate(char16_t unit) noexcept {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) noexcept {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Reads the code point at `pos` and moves past it; an unpaired surrogate stands for itself.
char32_t NextCodePoint(std::u16string_view text, std::size_t& pos) noexcept {
    const char16_t unit = text[pos++];
    if (IsHighSurrogate(unit) && pos < text.size() && IsLowSurrogate(text[pos])) {
        const char16_t low = text[pos++];
        return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
    }
    return unit;
}

// The folded code point at `pos`, moving past it; ASCII takes the short way.
char32_t NextFolded(std::u16string_view text, std::size_t& pos) noexcept {
    const char16_t unit = text[pos];
    if (unit < 0x80) {
        ++pos;
        return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit;
    }
    return FoldCodePoint(NextCodePoint(text, pos));
}
} // namespace

char32_t FoldCodePoint(char32_t c) noexcept {
    if (c < 0x80)
        return c >= U'A' && c <= U'Z' ? c + 32 : c;
    const FoldRun* end = kFoldRuns + kFoldRunCount;
    const FoldRun* run = std::upper_bound(
        kFoldRuns, end, c, [](char32_t value, const FoldRun& r) { return value < r.first; });
    if (run == kFoldRuns)
        return c;
    --run;
    const char32_t offset = c - run->first;
    if (offset % run->stride != 0 || offset / run->stride >= run->count)
        return c;
    return static_cast<char32_t>(static_cast<std::int64_t>(c) + run->delta);
}

void FoldInPlace(std::u16string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t folded = NextFolded(text, pos);
        if (folded < 0x10000) {
            text[start] = static_cast<char16_t>(folded);
        } else {
            text[start] = static_cast<char16_t>(0xD800 + ((folded - 0x10000) >> 10));
            text[start + 1] = static_cast<char16_t>(0xDC00 + ((folded - 0x10000) & 0x3FF));
        }
    }
}

std::uint32_t FoldedHash(std::u16string_view text) noexcept {
    std::uint64_t hash = 0xCBF29CE484222325ull; // FNV-1a over the folded code points
    std::size_t pos = 0;
    while (pos < text.size()) {
        hash ^= NextFolded(text, pos);
        hash *= 0x100000001B3ull;
    }
    hash ^= hash >> 33; // spread the high bits into the low ones that the table uses
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    return static_cast<std::uint32_t>(hash);
}

bool FoldedEqual(std::u16string_view a, std::u16string_view b) noexcept {
    // Folding keeps the length in UTF-16 units, so texts of different lengths differ.
    if (a.size() != b.size())
        return false;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size()) {
        if (a[i] == b[j] && a[i] < 0xD800) {
            ++i;
            ++j;
            continue;
        }
        if (NextFolded(a, i) != NextFolded(b, j))
            return false;
    }
    return j == b.size();
}

} // namespace tarvex::base

#pragma once

// Unicode simple case folding of UTF-16 text: the comparison that Find uses when case does
// not matter. Simple folding maps one code point to one code point and never moves one
// between the Basic Multilingual Plane and the supplementary planes, so folding keeps the
// text's length in UTF-16 units (scripts/gen-case-folding.py checks this).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvex::base {

/// One run of the folding table: `count` code points from `first`, `stride` apart, each
/// folding to itself plus `delta`.
struct FoldRun {
    std::uint32_t first;
    std::uint16_t count;
    std::uint8_t stride;
    std::int32_t delta;
};

/// The generated table (case_folding_table.cpp), sorted by `first`, spans not overlapping.
extern const FoldRun kFoldRuns[];
extern const std::size_t kFoldRunCount;

/// The simple case folding of one code point.
char32_t FoldCodePoint(char32_t c) noexcept;

/// Folds `text` in place.
void FoldInPlace(std::u16string& text);

/// A hash of the folded text: equal under folding gives equal hashes.
std::uint32_t FoldedHash(std::u16string_view text) noexcept;

/// True when both texts fold to the same text.
bool FoldedEqual(std::u16string_view a, std::u16string_view b) noexcept;

} // namespace tarvex::base

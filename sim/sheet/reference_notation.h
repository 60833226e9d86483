#pragma once

// Cell references as Excel writes them in A1 and R1C1 notation: parsing and formatting of
// single references and ranges, absolute and relative, as used by Address, AddressLocal,
// Application.Range and ConvertFormula.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/sheet/cell.h"

namespace tarvex::sim::detail {

/// What a reference denotes: cells, whole columns (A1 `B:D`, R1C1 `C2:C4`) or whole rows.
enum class ReferenceKind { Cells, Columns, Rows };

/// One coordinate of a reference: the row or column it resolves to, and whether it is
/// written as absolute (`$7`, `R7`) or relative (`7`, `R[-1]`).
struct Coordinate {
    std::int32_t index = 1;
    bool absolute = true;
};

/// One end of a reference; the coordinate that the kind leaves out is unused.
struct Endpoint {
    Coordinate row;
    Coordinate column;
};

/// A reference: one endpoint, or two joined by `:`.
struct Reference {
    ReferenceKind kind = ReferenceKind::Cells;
    Endpoint first;
    std::optional<Endpoint> second;
};

/// The letters that R1C1 notation writes for rows and columns (`R`, `C` in English).
struct R1C1Letters {
    char16_t row = u'R';
    char16_t column = u'C';
};

/// Column letters: 1 is "A", 16384 is "XFD".
std::u16string ColumnLetters(std::int32_t column);

/// Parses one A1 reference at `pos` (`B7`, `$C$7`, `A1:C10`, `B:B`, `$7:$7`; letters in
/// either case) and moves past it. Nothing, and `pos` unchanged, when there is none.
std::optional<Reference> ParseA1Reference(std::u16string_view text, std::size_t& pos);

/// Parses one R1C1 reference at `pos` (`R7C3`, `R[-1]C[2]`, `RC`, `R7`, `C3`, ranges of
/// these) with English letters, resolving relative parts against `base`. Nothing when
/// there is none or it falls outside the sheet.
std::optional<Reference> ParseR1C1Reference(std::u16string_view text, std::size_t& pos, Cell base);

/// A1 text; `$` marks the absolute parts.
std::u16string FormatA1Reference(const Reference& reference);
/// R1C1 text; relative parts are written as offsets from `base`.
std::u16string FormatR1C1Reference(const Reference& reference, Cell base, R1C1Letters letters = {});

/// The reference for an area as Address writes it: one cell, whole columns, whole rows
/// (a whole sheet counts as rows), or a block.
Reference ReferenceFor(const Area& area, bool rowAbsolute, bool columnAbsolute);

/// The area that a reference covers (its endpoints in either order).
Area AreaOf(const Reference& reference);

} // namespace tarvex::sim::detail

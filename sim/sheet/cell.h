#pragma once

// Cells and rectangular areas of a simulated worksheet, with 1-based rows and columns.

#include <cstdint>
#include <vector>

#include "host/excel/dispids.h"

namespace tarvex::sim {

/// One cell of a worksheet: 1-based row and column.
struct Cell {
    std::int32_t row = 1;
    std::int32_t column = 1;
    friend bool operator==(const Cell&, const Cell&) = default;
};

/// A rectangle of cells, inclusive on all sides.
struct Area {
    std::int32_t top = 1, left = 1, bottom = 1, right = 1;
    friend bool operator==(const Area&, const Area&) = default;
};

/// The areas of a range or a selection, in the order they were given (a range of several
/// areas is what Excel makes of "A1:A10,C1:C10"). A range has at least one.
using Areas = std::vector<Area>;

// Helpers over cells and areas, kept out of tarvex::sim so that argument-dependent lookup
// on Cell and Area never drags them into the callers' own overload sets.
namespace detail {

/// The size of a worksheet.
inline constexpr std::int32_t kMaxRows = host::excel::kMaxRows;
inline constexpr std::int32_t kMaxColumns = host::excel::kMaxColumns;

/// True when `cell` lies on a worksheet.
constexpr bool IsOnSheet(Cell cell) noexcept {
    return cell.row >= 1 && cell.row <= kMaxRows && cell.column >= 1 && cell.column <= kMaxColumns;
}

/// True when `area` lies on a worksheet and is not reversed.
constexpr bool IsOnSheet(const Area& area) noexcept {
    return area.top >= 1 && area.top <= area.bottom && area.bottom <= kMaxRows && area.left >= 1 &&
           area.left <= area.right && area.right <= kMaxColumns;
}

/// The area of one cell.
constexpr Area AreaOf(Cell cell) noexcept {
    return {cell.row, cell.column, cell.row, cell.column};
}

/// The top-left cell of `area`.
constexpr Cell TopLeft(const Area& area) noexcept {
    return {area.top, area.left};
}

/// True when `cell` lies in `area`.
constexpr bool Contains(const Area& area, Cell cell) noexcept {
    return cell.row >= area.top && cell.row <= area.bottom && cell.column >= area.left &&
           cell.column <= area.right;
}

/// True when `inner` lies wholly in `outer`.
constexpr bool Contains(const Area& outer, const Area& inner) noexcept {
    return inner.top >= outer.top && inner.bottom <= outer.bottom && inner.left >= outer.left &&
           inner.right <= outer.right;
}

/// True when `area` is one cell.
constexpr bool IsSingleCell(const Area& area) noexcept {
    return area.top == area.bottom && area.left == area.right;
}

/// The number of cells (up to 2^34 for a whole sheet).
constexpr std::uint64_t CellCount(const Area& area) noexcept {
    return static_cast<std::uint64_t>(area.bottom - area.top + 1) *
           static_cast<std::uint64_t>(area.right - area.left + 1);
}

/// True when the area spans every row (whole columns).
constexpr bool SpansAllRows(const Area& area) noexcept {
    return area.top == 1 && area.bottom == kMaxRows;
}

/// True when the area spans every column (whole rows).
constexpr bool SpansAllColumns(const Area& area) noexcept {
    return area.left == 1 && area.right == kMaxColumns;
}

} // namespace detail

} // namespace tarvex::sim

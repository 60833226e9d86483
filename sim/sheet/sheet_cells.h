#pragma once

// The cells of one simulated worksheet: a sparse store of displayed texts, walkable along
// rows and down columns, with the text index that makes a whole-cell Find logarithmic.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/sheet/cell_order.h"
#include "sim/sheet/find_pattern.h"
#include "sim/sheet/hidden_lines.h"
#include "sim/sheet/text_table.h"

namespace tarvex::sim::detail {

/// The answer of Range.Text for an area.
struct CommonText {
    bool mixed = false; // the cells display different texts (Excel answers Null)
    std::u16string text;
};

/// Which cells of the area a Find visits, in its direction: those after the start cell to
/// the end of the area, those from the beginning of the area up to the start cell itself,
/// both (the wrap-around of one area), or the whole area.
enum class FindPart { AfterStart, UpToStart, Wrapping, Whole };

/// One Find over an area.
struct FindRequest {
    Area area;
    Cell after; // a cell of `area`; the scan starts after it and wraps around
    bool byColumns = false;
    bool previous = false;
    const HiddenLines* passOver = nullptr; // cells in these rows and columns never match
};

class SheetCells {
public:
    /// The text of `cell`, or null when the cell is empty.
    const std::u16string* Text(Cell cell) const noexcept;
    /// Sets the text of `cell`; an empty text empties it.
    void SetText(Cell cell, std::u16string_view text);

    std::size_t Size() const noexcept { return m_byColumns.Size(); }
    /// The smallest area holding every non-empty cell.
    std::optional<Area> UsedArea() const;
    /// The non-empty cells of `area`, along rows.
    std::vector<std::pair<Cell, std::u16string>> NonEmptyCells(const Area& area) const;
    /// The non-empty cells of `area`, without their texts, along rows.
    std::vector<Cell> NonEmptyCellList(const Area& area) const;
    CommonText TextOf(const Area& area) const;

    /// The first cell of `part` that matches, or nothing; by default the first after
    /// `request.after`, wrapping around.
    std::optional<Cell> Find(const FindPattern& pattern, const FindRequest& request,
                             FindPart part = FindPart::Wrapping) const;

    /// Calls visit(row, text) for each non-empty cell of `column`, top to bottom.
    template <class Visit>
    void ForEachInColumn(std::int32_t column, Visit&& visit) const {
        const Band band = BandFor({1, column, kMaxRows, column}, Order::Columns);
        ForwardInBand(
            m_byColumns, band, band.FirstKey(), band.LastKey(), [&](const Stored& stored) {
                visit(static_cast<std::int32_t>(MinorOf(stored.key)), m_texts.Text(stored.text));
                return false;
            });
    }

private:
    struct Stored {
        std::uint64_t key;
        TextId text;
    };

    std::optional<std::uint64_t> Search(const FindPattern& pattern, Order order, const Band& band,
                                        std::uint64_t low, std::uint64_t high, bool backward) const;
    /// As Search, passing over the cells of hidden rows and columns a run at a time.
    std::optional<std::uint64_t> SearchVisible(const FindPattern& pattern, Order order,
                                               const Band& band, std::uint64_t low,
                                               std::uint64_t high, bool backward,
                                               const HiddenLines* hidden) const;

    ChunkedSequence<Stored> m_byRows;    // keys in row order
    ChunkedSequence<Stored> m_byColumns; // keys in column order
    TextTable m_texts;
};

} // namespace tarvex::sim::detail

#include "sim/sheet/sheet_cells.h"

namespace tarvex::sim::detail {

const std::u16string* SheetCells::Text(Cell cell) const noexcept {
    const Stored* stored = m_byColumns.Find(KeyFor(cell, Order::Columns));
    return stored ? &m_texts.Text(stored->text) : nullptr;
}

void SheetCells::SetText(Cell cell, std::u16string_view text) {
    const std::uint64_t columnKey = KeyFor(cell, Order::Columns);
    const std::uint64_t rowKey = KeyFor(cell, Order::Rows);
    Stored* stored = m_byColumns.Find(columnKey);
    if (stored && m_texts.Text(stored->text) == text)
        return;

    // Intern the new text before giving up the old one, so that a failure to allocate
    // leaves the cell as it was.
    const TextId newId = text.empty() ? kNoText : m_texts.Intern(text);
    if (stored) {
        const TextId oldId = stored->text;
        if (newId != kNoText) {
            // Only the text changes: the cell keeps its place in both stores.
            m_texts.Where(newId).Add(cell);
            stored->text = newId;
            m_byRows.Find(rowKey)->text = newId;
        } else {
            m_byColumns.Erase(columnKey);
            m_byRows.Erase(rowKey);
        }
        m_texts.Where(oldId).Remove(cell);
        if (m_texts.Where(oldId).Count() == 0)
            m_texts.Release(oldId);
        return;
    }
    if (newId == kNoText)
        return;
    m_texts.Where(newId).Add(cell);
    m_byColumns.Insert({columnKey, newId});
    m_byRows.Insert({rowKey, newId});
}

std::optional<Area> SheetCells::UsedArea() const {
    if (m_byColumns.Empty())
        return std::nullopt;
    const auto firstColumn = MajorOf(m_byColumns.At(m_byColumns.Begin()).key);
    const auto lastColumn = MajorOf(m_byColumns.At(m_byColumns.Prev(m_byColumns.End())).key);
    const auto firstRow = MajorOf(m_byRows.At(m_byRows.Begin()).key);
    const auto lastRow = MajorOf(m_byRows.At(m_byRows.Prev(m_byRows.End())).key);
    return Area{static_cast<std::int32_t>(firstRow), static_cast<std::int32_t>(firstColumn),
                static_cast<std::int32_t>(lastRow), static_cast<std::int32_t>(lastColumn)};
}

std::vector<std::pair<Cell, std::u16string>> SheetCells::NonEmptyCells(const Area& area) const {
    std::vector<std::pair<Cell, std::u16string>> cells;
    const Band band = BandFor(area, Order::Rows);
    ForwardInBand(m_byRows, band, band.FirstKey(), band.LastKey(), [&](const Stored& stored) {
        cells.emplace_back(CellFor(stored.key, Order::Rows), m_texts.Text(stored.text));
        return false;
    });
    return cells;
}

std::vector<Cell> SheetCells::NonEmptyCellList(const Area& area) const {
    std::vector<Cell> cells;
    const Band band = BandFor(area, Order::Rows);
    ForwardInBand(m_byRows, band, band.FirstKey(), band.LastKey(), [&](const Stored& stored) {
        cells.push_back(CellFor(stored.key, Order::Rows));
        return false;
    });
    return cells;
}

CommonText SheetCells::TextOf(const Area& area) const {
    TextId first = kNoText;
    std::uint64_t count = 0;
    bool mixed = false;
    // A single column is walked in column order, where its cells lie together.
    const Order order = area.left == area.right ? Order::Columns : Order::Rows;
    const Band band = BandFor(area, order);
    ForwardInBand(order == Order::Rows ? m_byRows : m_byColumns, band, band.FirstKey(),
                  band.LastKey(), [&](const Stored& stored) {
                      if (first == kNoText)
                          first = stored.text;
                      else if (stored.text != first)
                          mixed = true;
                      ++count;
                      return mixed;
                  });
    // Empty cells display "": a mix of empty and non-empty cells is a mix of texts.
    if (mixed || (count != 0 && count != CellCount(area)))
        return {true, {}};
    return {false, count == 0 ? std::u16string() : m_texts.Text(first)};
}

std::optional<std::uint64_t> SheetCells::Search(const FindPattern& pattern, Order order,
                                                const Band& band, std::uint64_t low,
                                                std::uint64_t high, bool backward) const {
    if (const auto key = pattern.IndexKey()) {
        // Whole-cell match without wildcards: ask the cells of each matching text for the
        // nearest one in the band, and take the nearest of those.
        std::vector<TextId> ids;
        m_texts.Matching(*key, pattern.MatchCase(), ids);
        std::optional<std::uint64_t> best;
        for (const TextId id : ids) {
            std::uint64_t found = 0;
            const Occurrences& where = m_texts.Where(id);
            const bool hit = backward ? where.Last(order, band, low, high, found)
                                      : where.First(order, band, low, high, found);
            if (hit && (!best || (backward ? found > *best : found < *best)))
                best = found;
        }
        return best;
    }

    const auto& cells = order == Order::Rows ? m_byRows : m_byColumns;
    std::optional<std::uint64_t> result;
    auto test = [&](const Stored& stored) {
        if (!pattern.Matches(m_texts.Text(stored.text)))
            return false;
        result = stored.key;
        return true;
    };
    if (backward)
        BackwardInBand(cells, band, low, high, test);
    else
        ForwardInBand(cells, band, low, high, test);
    return result;
}

std::optional<std::uint64_t> SheetCells::SearchVisible(const FindPattern& pattern, Order order,
                                                       const Band& band, std::uint64_t low,
                                                       std::uint64_t high, bool backward,
                                                       const HiddenLines* hidden) const {
    if (!hidden || hidden->Empty())
        return Search(pattern, order, band, low, high, backward);
    while (low <= high) {
        const std::optional<std::uint64_t> found =
            Search(pattern, order, band, low, high, backward);
        if (!found || !hidden->Hides(CellFor(*found, order)))
            return found;
        if (!backward) {
            low = hidden->KeyAfterRun(*found, order);
        } else {
            const std::optional<std::uint64_t> before = hidden->KeyBeforeRun(*found, order);
            if (!before)
                return std::nullopt;
            high = *before;
        }
    }
    return std::nullopt;
}

std::optional<Cell> SheetCells::Find(const FindPattern& pattern, const FindRequest& request,
                                     FindPart part) const {
    if (pattern.MatchesNothing())
        return std::nullopt;
    const Area& area = request.area;
    // Within one column (or one row) both orders visit the cells alike; the order that
    // keeps them together is the one that can be searched without scanning.
    Order order = request.byColumns ? Order::Columns : Order::Rows;
    if (area.left == area.right)
        order = Order::Columns;
    else if (area.top == area.bottom)
        order = Order::Rows;

    const Band band = BandFor(area, order);
    const std::uint64_t first = band.FirstKey();
    const std::uint64_t last = band.LastKey();
    const std::uint64_t start = KeyFor(request.after, order);
    const auto search = [&](std::uint64_t low, std::uint64_t high) {
        return SearchVisible(pattern, order, band, low, high, request.previous, request.passOver);
    };

    // Forward: after the start to the end of the area, then from its beginning up to the
    // start itself, which is thus found last. Backward the same, mirrored.
    std::optional<std::uint64_t> found;
    const bool afterStart = part == FindPart::AfterStart || part == FindPart::Wrapping;
    const bool upToStart = part == FindPart::UpToStart || part == FindPart::Wrapping;
    if (part == FindPart::Whole) {
        found = search(first, last);
    } else if (!request.previous) {
        if (afterStart && start < last)
            found = search(start + 1, last);
        if (!found && upToStart)
            found = search(first, start);
    } else {
        if (afterStart && start > first)
            found = search(first, start - 1);
        if (!found && upToStart)
            found = search(start, last);
    }
    if (!found)
        return std::nullopt;
    return CellFor(*found, order);
}

} // namespace tarvex::sim::detail

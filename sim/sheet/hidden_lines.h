#pragma once

// The rows and columns a worksheet has hidden (by the user, a filter or a macro), as runs of
// consecutive lines, and the steps a search takes to pass over them.

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "sim/sheet/cell_order.h"

namespace tarvex::sim::detail {

/// A set of 1-based line numbers (rows or columns) held as disjoint, non-touching runs.
class LineSet {
public:
    /// Adds the lines first..last (in either order).
    void Add(std::int32_t first, std::int32_t last);
    void Clear() noexcept { m_runs.clear(); }
    bool Empty() const noexcept { return m_runs.empty(); }
    bool Contains(std::int32_t line) const noexcept { return RunAt(line).has_value(); }
    /// The run holding `line`, as its first and last line.
    std::optional<std::pair<std::int32_t, std::int32_t>> RunAt(std::int32_t line) const noexcept;

private:
    std::map<std::int32_t, std::int32_t> m_runs; // first line -> last line
};

/// The hidden rows and columns of one sheet.
struct HiddenLines {
    LineSet rows;
    LineSet columns;

    bool Empty() const noexcept { return rows.Empty() && columns.Empty(); }
    bool Hides(Cell cell) const noexcept {
        return rows.Contains(cell.row) || columns.Contains(cell.column);
    }
    /// For a hidden cell's key in `order`: the smallest key after the hidden run it lies in
    /// (a hidden major line skips to the next visible major; a hidden minor run to its end).
    std::uint64_t KeyAfterRun(std::uint64_t key, Order order) const noexcept;
    /// The largest key before that run; nothing when none precedes it.
    std::optional<std::uint64_t> KeyBeforeRun(std::uint64_t key, Order order) const noexcept;
};

} // namespace tarvex::sim::detail

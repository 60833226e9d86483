#pragma once

// Simulated sheets for the per-entry benchmarks: distinct texts in the entry's line (its
// column, or its row) and, past what one row holds, in the rows below, with the entry typed
// into the line's next cell. Built once per layout and size (a million cells take about a
// second) and shared by the benchmarks.

#include <cstdint>
#include <string>

#include "sim/excel/excel.h"
#include "sim/sheet/cell.h"

namespace tarvex::bench {

/// Which line of the entry the filled cells run along.
enum class Line { Column, Row };

struct FilledSheet {
    /// A sheet of `filled` distinct texts laid out along `line`.
    FilledSheet(Line line, std::int32_t filled);

    /// The shared sheet of that layout and size.
    static FilledSheet& Get(Line line, std::int64_t filled);

    /// The text of the n-th filled cell (1-based): "INV-n".
    static std::u16string TextOf(std::int32_t n);

    /// Types `text` into the entry's cell (call logging stays as it was).
    void Enter(const std::u16string& text);

    /// The text that stands in the line's middle cell: an entry of it is a duplicate.
    std::u16string DuplicateText() const { return TextOf(lineCount / 2 + 1); }

    sim::SimExcel excel;
    Line line;
    /// Filled cells in the entry's own line (all of them for a column; at most 16,383 for a row).
    std::int32_t lineCount;
    sim::Cell entry;
};

} // namespace tarvex::bench

// The cost of checking one entry, beside the classic check that walks the line's cells one
// by one (the baseline, measured in the same run on the same simulated sheet):
//
// - tracking off: the one call to Excel that a change costs then;
// - tracking on, column only or row only, with the entry distinct from every text in its
//   line or a duplicate of the line's middle text, at 1 K, 64 K and 1,048,575 filled cells.
//
// Each benchmark first makes one check with Excel's call log on and reports the calls as
// counters; it fails (SkipWithError) when the calls are not what the searches make.

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

#include "bench/checked_entry.h"
#include "bench/filled_sheet.h"
#include "host/excel/dispids.h"

namespace {

using namespace tarvex;
using bench::CheckedEntry;
using bench::FilledSheet;
using bench::Line;

void EntryTrackingOff(benchmark::State& state) {
    FilledSheet& sheet = FilledSheet::Get(Line::Column, 1024);
    sheet.Enter(sheet.DuplicateText());
    CheckedEntry entry(sheet, Line::Column, false);
    const CheckedEntry::Counts counts = entry.CountOneCheck();
    state.counters["host calls"] = static_cast<double>(counts.calls);
    if (counts.calls != 1) {
        state.SkipWithError("a change with tracking off must cost exactly one call to Excel");
        return;
    }
    for (auto _ : state)
        entry.Check();
}
BENCHMARK(EntryTrackingOff)->Unit(benchmark::kMicrosecond);

// One check with tracking on for `line`: one Find over the line; when it lands on the
// entry's own cell (no duplicate), one FindNext to look past it; a duplicate is prompted.
void CheckEntry(benchmark::State& state, Line line, bool duplicate) {
    FilledSheet& sheet = FilledSheet::Get(line, state.range(0));
    sheet.Enter(duplicate ? sheet.DuplicateText() : u"INV-NEW");
    CheckedEntry entry(sheet, line, true);
    const CheckedEntry::Counts counts = entry.CountOneCheck();
    state.counters["host calls"] = static_cast<double>(counts.calls);
    state.counters["Find"] = static_cast<double>(counts.finds);
    state.counters["FindNext"] = static_cast<double>(counts.findNexts);
    if (counts.finds != 1 || counts.findNexts != (duplicate ? 0u : 1u)) {
        state.SkipWithError("the check did not make the searches expected");
        return;
    }
    if (counts.prompts != (duplicate ? 1u : 0u)) {
        state.SkipWithError(duplicate ? "the duplicate was not reported"
                                      : "a distinct text was reported as a duplicate");
        return;
    }
    for (auto _ : state)
        entry.Check();
}

// 1 K, 64 K and 1,048,575 filled cells (a full column but the entry), in microseconds.
void FilledSizes(benchmark::internal::Benchmark* family) {
    family->Unit(benchmark::kMicrosecond)->Arg(1024)->Arg(65536)->Arg(1048575);
}

void EntryColumn(benchmark::State& state) {
    CheckEntry(state, Line::Column, false);
}
void EntryColumnDuplicate(benchmark::State& state) {
    CheckEntry(state, Line::Column, true);
}
void EntryRow(benchmark::State& state) {
    CheckEntry(state, Line::Row, false);
}
void EntryRowDuplicate(benchmark::State& state) {
    CheckEntry(state, Line::Row, true);
}

BENCHMARK(EntryColumn)->Apply(FilledSizes);
BENCHMARK(EntryColumnDuplicate)->Apply(FilledSizes);
BENCHMARK(EntryRow)->Apply(FilledSizes);
BENCHMARK(EntryRowDuplicate)->Apply(FilledSizes);

// The classic check: every cell of the entry's column compared with the entry, in row
// order (a distinct entry: no early end).
void ScanColumnBaseline(benchmark::State& state) {
    FilledSheet& sheet = FilledSheet::Get(Line::Column, state.range(0));
    const std::u16string entered = u"INV-NEW";
    for (auto _ : state) {
        std::int32_t found = 0;
        sheet.excel.ForEachInColumn(
            sheet.entry.column, [&](std::int32_t row, const std::u16string& text) {
                if (found == 0 && row != sheet.entry.row && sim::TextsEqual(text, entered, true))
                    found = row;
            });
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(ScanColumnBaseline)->Apply(FilledSizes);

// The same along the entry's row: every one of its 16,384 cells read and compared.
void ScanRowBaseline(benchmark::State& state) {
    FilledSheet& sheet = FilledSheet::Get(Line::Row, state.range(0));
    const std::u16string entered = u"INV-NEW";
    for (auto _ : state) {
        std::int32_t found = 0;
        for (std::int32_t column = 1; column <= host::excel::kMaxColumns; ++column) {
            if (found == 0 && column != sheet.entry.column &&
                sim::TextsEqual(sheet.excel.Text({sheet.entry.row, column}), entered, true))
                found = column;
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(ScanRowBaseline)->Apply(FilledSizes);

} // namespace

// The cost of checking one entry against a full column of distinct texts, beside the
// classic check that walks the column's cells one by one (the baseline, measured in the
// same run on the same simulated sheet).

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "addin/module.h"
#include "host/excel/excel.h"
#include "host/sim/desktop.h"
#include "host/sim/excel.h"
#include "host/sim/memory_registry.h"
#include "host/text.h"
#include "host/variant.h"

namespace {

using namespace tarvex;


std::u16string InvoiceNumber(std::int32_t row) {
    return u"INV-" + host::Utf8ToUtf16(std::to_string(row));
}

// A simulated Excel whose column B holds `rows` distinct texts, with the entry typed into
// the row below them. One per size, shared by the benchmarks (the full column takes about
// a second to build).
struct FilledColumn {
    sim::SimExcel excel;
    std::int32_t changedRow;
    std::u16string entered = u"INV-NEW";

    explicit FilledColumn(std::int32_t rows) : changedRow(rows + 1) {
        excel.AddWorkbook(u"Book1");
        for (std::int32_t row = 1; row <= rows; ++row)
            excel.SetText({row, 2}, InvoiceNumber(row));
        excel.SetText({changedRow, 2}, entered);
        excel.SetCallLogging(false);
    }

    static FilledColumn& Get(std::int64_t rows) {
        static std::map<std::int64_t, std::unique_ptr<FilledColumn>> columns;
        auto& column = columns[rows];
        if (!column)
            column = std::make_unique<FilledColumn>(static_cast<std::int32_t>(rows));
        return *column;
    }
};

void CheckOneEntry(benchmark::State& state) {
    FilledColumn& column = FilledColumn::Get(state.range(0));
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    auto module = framework::TadxCOMAddInModule::Create<addin::TAddInModule>(
        framework::ModuleServices{desktop, registry});
    module->SetHostApplication(host::Variant(column.excel.Application()));
    module->ConnectToHost();
    module->TrackClick(*module); // tracking on: whole column and whole row, case-sensitive

    const host::excel::Application app(column.excel.Application());
    const host::excel::Range target =
        app.GetRange(host::Variant(sim::FormatA1(sim::Cell{column.changedRow, 2})));

    // One check with the call log on, to count the calls to Excel that a check makes.
    column.excel.SetCallLogging(true);
    column.excel.ClearCalls();
    module->ExcelAppEventsSheetChange(*module, nullptr, target.Object());
    state.counters["host calls"] = static_cast<double>(column.excel.Calls().size());
    column.excel.SetCallLogging(false);

    for (auto _ : state)
        module->ExcelAppEventsSheetChange(*module, nullptr, target.Object());
    if (!desktop.ShownForms().empty())
        state.SkipWithError("a distinct text was reported as a duplicate");
}
BENCHMARK(CheckOneEntry)->Unit(benchmark::kMicrosecond)->Arg(1024)->Arg(65536)->Arg(1048575);

// The classic check: every cell of the column compared with the entry, in row order.
void ScanColumnBaseline(benchmark::State& state) {
    FilledColumn& column = FilledColumn::Get(state.range(0));
    for (auto _ : state) {
        std::int32_t found = 0;
        column.excel.ForEachInColumn(2, [&](std::int32_t row, const std::u16string& text) {
            if (found == 0 && row != column.changedRow && sim::TextsEqual(text, column.entered, true))
                found = row;
        });
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(ScanColumnBaseline)->Unit(benchmark::kMicrosecond)->Arg(1024)->Arg(65536)->Arg(1048575);

} // namespace

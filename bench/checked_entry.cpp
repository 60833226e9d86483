#include "bench/checked_entry.h"

#include "base/form.h"
#include "host/excel/excel.h"
#include "settings/options.h"
#include "tests/support/addin_in_excel.h"

namespace tarvex::bench {

CheckedEntry::CheckedEntry(FilledSheet& filled, Line tracked, bool tracking)
    : sheet(filled) {
    // Answer No at every duplicate prompt: the user stays in the entered cell.
    desktop.SetModalHandler([](base::Form&) { return base::modal_result::No; });
    settings::TOptions options(registry);
    options.WriteFlag(tracked == Line::Column ? "TrackRows" : "TrackColumns", false);
    module = framework::TadxCOMAddInModule::Create<addin::TAddInModule>(
        framework::ModuleServices{desktop, registry});
    testing::ConnectToExcel(*module, sheet.excel);
    if (tracking)
        module->TrackClick(*module);
    const host::excel::Application app(sheet.excel.Application());
    changedSheet = app.ActiveSheet();
    target = app.GetRange(sim::FormatA1(sheet.entry)).Object();
}

void CheckedEntry::Check() {
    module->ExcelAppEventsSheetChange(*module, changedSheet, target);
}

CheckedEntry::Counts CheckedEntry::CountOneCheck() {
    const std::size_t promptsBefore = desktop.ShownForms().size();
    sheet.excel.SetCallLogging(true);
    sheet.excel.ClearCalls();
    Check();
    Counts counts{sheet.excel.Calls().size(), sheet.excel.CallCount("Range.Find"),
                  sheet.excel.CallCount("Range.FindNext"),
                  desktop.ShownForms().size() - promptsBefore};
    sheet.excel.SetCallLogging(false);
    return counts;
}

} // namespace tarvex::bench

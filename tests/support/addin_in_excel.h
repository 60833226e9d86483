#pragma once

// The add-in's module in a simulated Excel, set up as the add-in object connects it: for the
// unit tests, the benchmarks and the fuzz targets that drive the module directly.

#include <memory>

#include "addin/module.h"
#include "framework/module.h"
#include "host/variant.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::testing {

/// Connects `module` to `excel` as start-up does: Excel's Application becomes the host
/// application, then ConnectToHost identifies it and connects the events component.
inline void ConnectToExcel(framework::TadxCOMAddInModule& module, const sim::SimExcel& excel) {
    module.SetHostApplication(host::Variant(excel.Application()));
    module.ConnectToHost();
}

/// A simulated Excel with one workbook, "Book1", and the add-in's module created with a
/// desktop and registry of its own and connected to it.
struct AddinInExcel {
    AddinInExcel() {
        excel.AddWorkbook(u"Book1");
        ConnectToExcel(*module, excel);
    }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::unique_ptr<addin::TAddInModule> module =
        framework::TadxCOMAddInModule::Create<addin::TAddInModule>(
            framework::ModuleServices{desktop, registry});
};

} // namespace tarvex::testing

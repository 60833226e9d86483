#pragma once

// The add-in's module connected to a simulated Excel, as Office starts it, for the fuzz
// targets that drive the add-in's entry points: one per input, so that each run starts from
// the same state.

#include <memory>
#include <string>
#include <vector>

#include "addin/module.h"
#include "host/sim/desktop.h"
#include "host/sim/excel.h"
#include "host/sim/memory_registry.h"

namespace tarvex::fuzz {

/// The add-in with tracking as `tracking` asks, its workbook holding a few texts.
struct AddinFixture {
    explicit AddinFixture(bool tracking);

    /// The ids of every ribbon control of the module (tabs, groups and their controls).
    std::vector<std::u16string> RibbonIds() const;

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::unique_ptr<addin::TAddInModule> module;
};

} // namespace tarvex::fuzz

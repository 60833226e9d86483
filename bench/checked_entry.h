#pragma once

// The add-in's module connected in this process to a filled simulated sheet, checking one
// entry the way Excel's sheet change event makes it check: the per-entry benchmarks' subject
// and, beside the real DLL under COM, its in-process baseline.

#include <cstddef>
#include <memory>

#include "addin/module.h"
#include "bench/filled_sheet.h"
#include "host/object.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::bench {

struct CheckedEntry {
    /// Tracking `tracked` only (on when `tracking`); duplicate prompts are answered No.
    CheckedEntry(FilledSheet& filled, Line tracked, bool tracking);

    /// The module's handler of a change of the entry's cell.
    void Check();

    /// One check with the call log on: the calls it made and the prompts it showed.
    struct Counts {
        std::size_t calls, finds, findNexts, prompts;
    };
    Counts CountOneCheck();

    FilledSheet& sheet;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::unique_ptr<addin::TAddInModule> module;
    host::Ref<host::Dispatch> changedSheet; // the active sheet, where the entry is made
    host::Ref<host::Dispatch> target;
};

} // namespace tarvex::bench

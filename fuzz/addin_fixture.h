#pragma once

// The add-in's module connected to a simulated Excel, as Office starts it, for the fuzz
// targets that drive the add-in's entry points: one per input, so that each run starts from
// the same state.

#include <memory>
#include <string>
#include <vector>

#include "tests/support/addin_in_excel.h"

namespace tarvex::fuzz {

/// The add-in with tracking as `tracking` asks, its workbook holding a few texts.
struct AddinFixture : testing::AddinInExcel {
    explicit AddinFixture(bool tracking);

    /// The ids of every ribbon control of the module (tabs, groups and their controls).
    std::vector<std::u16string> RibbonIds() const;
};

} // namespace tarvex::fuzz

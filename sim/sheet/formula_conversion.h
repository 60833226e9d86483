#pragma once

// Application.ConvertFormula: rewrites the references of a formula between A1 and R1C1
// notation and between absolute and relative forms, leaving everything else as written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/sheet/cell.h"

namespace tarvex::sim::detail {

/// How to convert.
struct FormulaConversion {
    bool fromR1C1 = false;
    bool toR1C1 = false;
    /// An XlReferenceType (xlAbsolute...) that every reference takes; unset keeps each
    /// reference's own kind.
    std::optional<std::int32_t> toAbsolute;
    /// The cell that relative references relate to.
    Cell relativeTo;
};

/// The converted formula, or nothing when Excel would refuse it: a formula over 255
/// characters, an unterminated string, a name that is neither a reference nor a function
/// (the simulated workbooks define no names), or a relative reference that leaves the
/// sheet. R1C1 references are read with English letters only (`R7C3`), as Excel reads
/// them whatever its language: `Z7S3` is refused.
std::optional<std::u16string> ConvertFormula(std::u16string_view formula,
                                             const FormulaConversion& conversion);

} // namespace tarvex::sim::detail

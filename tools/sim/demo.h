#pragma once

// The simulator's embedded demo: a small invoice register and a short tour of the add-in.

#include <string_view>

#include "sim/excel/excel.h"

namespace tarvex::simtool {

/// Opens the demo workbook: the invoice register of a small supplier.
void OpenDemoWorkbook(sim::SimExcel& excel);

/// The tour, as command lines; lines starting with "#" are its narration.
std::string_view TourScript();

} // namespace tarvex::simtool

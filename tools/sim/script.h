#pragma once

// The command language of tarvex-sim: one command per line, words separated by blanks, a
// text with blanks written in double quotes ("" inside quotes is one quote), "#" at the
// start of a word begins a comment.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/excel/excel.h"

namespace tarvex::simtool {

/// A line that the simulator cannot read, or a command it cannot carry out.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Splits a line into words; throws ScriptError for an unterminated or misplaced quote.
/// Words are UTF-16; a quoted word may be empty.
std::vector<std::u16string> SplitWords(std::string_view line);

/// A cell written in A1 form without "$" ("B7"); throws ScriptError otherwise.
sim::Cell ParseCellRef(std::u16string_view text);

/// "A1:C10", "B:B", "7:7" or a single cell, without "$"; throws ScriptError otherwise.
sim::Area ParseRangeRef(std::u16string_view text);

/// A cell or a range, optionally on a named sheet: "Sheet2!B3", "'My Sheet'!A1:A9". No sheet
/// name means the active sheet.
struct SheetCell {
    std::u16string sheet; // "" for the active sheet
    sim::Cell cell;
};
struct SheetRange {
    std::u16string sheet;
    sim::Areas areas; // one, or several written with commas ("A1:A10,C1:C10")
};

/// A cell, with an optional sheet name; throws ScriptError otherwise.
SheetCell ParseSheetCell(std::u16string_view text);
/// A range with an optional sheet name; several areas only when `severalAreas` (for the
/// commands that take them), else one. Throws ScriptError otherwise.
SheetRange ParseSheetRange(std::u16string_view text, bool severalAreas = false);

/// A text quoted for output: "a ""b""".
std::string Quoted(std::u16string_view text);

} // namespace tarvex::simtool

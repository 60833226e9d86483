#pragma once

// Reading comma-separated files (RFC 4180, UTF-8) for tarvex-sim's `load` command.

#include <istream>
#include <string>
#include <vector>

namespace tarvex::simtool {

/// The records of a CSV text, each a list of fields (UTF-16). Fields are separated by
/// commas and records by CR LF or LF; a field in double quotes may hold commas, line breaks
/// and doubled quotes. A UTF-8 byte order mark is skipped. Throws ScriptError naming the
/// line of a malformed record (a quote inside an unquoted field, text after a closing
/// quote, a quote left open).
std::vector<std::vector<std::u16string>> ReadCsv(std::istream& input);

} // namespace tarvex::simtool

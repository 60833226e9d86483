#pragma once

// The registry export text format, in which the simulator keeps its per-user store:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Morvane Software\Tarvex\Options]
//   "TrackColumns"=dword:00000001
//   "Name"="text with \"quotes\" and \\ backslash"
//   @="the key's default value"
//   "Data"=hex:01,02,03
//   "Path"=hex(2):25,00,54,00,00,00
//
// Written in UTF-8 with LF line ends; read also with a UTF-8 byte order mark, CR LF line
// ends, ';' comment lines and '\' line continuations inside hex data.

#include <string>
#include <string_view>

#include "base/result.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::sim {

/// The first line of every file in the format.
inline constexpr std::string_view kRegistryExportHeader = "Windows Registry Editor Version 5.00";

/// The code of the error raised for a malformed file (ERROR_BADDB).
inline constexpr base::HResult kMalformedRegistryFile = base::FromWin32(1009);

/// Adds the keys and values of `text` to `registry`, all or nothing. Throws base::Error
/// "Malformed registry file '<sourceName>', line <n>: <problem>" when `text` is not in the
/// format; `registry` is then unchanged.
void ReadRegistryExport(std::string_view text, std::string_view sourceName,
                        MemoryRegistry& registry);

/// Writes every key and value of `registry` in the format. Keys without values are written
/// only where no key below them implies them. Answers hr InvalidArg, leaving `text` as it
/// was, when a name cannot be written (a line break in it, or invalid UTF-8).
base::HResult WriteRegistryExport(const MemoryRegistry& registry, std::string& text);

} // namespace tarvex::sim

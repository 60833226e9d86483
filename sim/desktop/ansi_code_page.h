#pragma once

// The ANSI code page of the simulated desktop: Windows-1252, the code page of Western
// European Windows installations, with the mappings Windows gives it (the five bytes that
// have no character of their own map to the C1 control with the same number).

#include <optional>
#include <string>
#include <string_view>

namespace tarvex::sim {

/// `text` in Windows-1252, or nothing when a character of it has no byte there.
std::optional<std::string> ToWindows1252(std::u16string_view text);

/// Windows-1252 bytes as UTF-16 text.
std::u16string FromWindows1252(std::string_view bytes);

} // namespace tarvex::sim

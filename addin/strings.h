#pragma once

// The module's own strings. The DLL carries them as a string table (its resource script
// includes this header); the native build reads the same texts from here.

#define TARVEX_IDS_DUPLICATE_PROMPT 65276
#define TARVEX_TEXT_DUPLICATE_PROMPT "Entered value is duplicate of cell %s. Go to cell %s?"

#ifndef RC_INVOKED

#include <initializer_list>
#include <string>
#include <string_view>

namespace tarvex::addin {

inline constexpr unsigned kIdsDuplicatePrompt = TARVEX_IDS_DUPLICATE_PROMPT;

/// The text of string `id` as the DLL's string table holds it; empty for an unknown id.
std::u16string BuiltInString(unsigned id);

/// Fills a message template: each "%s" takes the next argument in turn and "%%" is one "%".
/// Throws Error(E_INVALIDARG) when the template asks for more arguments than given or
/// holds another specifier, so a damaged template never reads what is not there.
std::u16string FormatTemplate(std::u16string_view pattern,
                              std::initializer_list<std::u16string_view> args);

} // namespace tarvex::addin

#endif

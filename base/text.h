#pragma once

// Conversions between UTF-8 (the system's narrow text) and UTF-16 (automation strings), and
// the comparison of names spelt in ASCII.

#include <string>
#include <string_view>

namespace tarvex::base {

/// UTF-8 to UTF-16. Each malformed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

/// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

/// Whether two texts are equal when ASCII letters compare without regard to their case; no
/// other character folds (a name spelt in ASCII must not match U+017F, long s, for an s).
bool EqualsAsciiIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept;
/// The same for a name written as narrow ASCII text.
bool EqualsAsciiIgnoringCase(std::u16string_view a, std::string_view b) noexcept;

} // namespace tarvex::base

#pragma once

// Conversions between UTF-8 (the system's narrow text) and UTF-16 (automation strings).

#include <string>
#include <string_view>

namespace tarvex::host {

/// UTF-8 to UTF-16. Each malformed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

/// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

} // namespace tarvex::host

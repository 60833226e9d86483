#pragma once

// Windows' wide strings are UTF-16, as the seam's texts are: these helpers hand texts across
// without recoding them.

#include <windows.h>

#include <oleauto.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvex::win {

/// A copy of `text` as a wide string.
inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

/// `text` seen as a zero-terminated wide string, valid while `text` lives unchanged.
inline const wchar_t* WideOf(const std::u16string& text) noexcept {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

/// The first `length` units of a wide string.
inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

/// A zero-terminated wide string; null gives "".
inline std::u16string FromWide(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

/// The text of a BSTR, with its length (it may hold zeros); null gives "".
inline std::u16string_view ViewOf(BSTR text) noexcept {
    return text ? std::u16string_view(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text))
                : std::u16string_view();
}

} // namespace tarvex::win

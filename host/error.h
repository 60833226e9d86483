#pragma once

// The one error type of the system. Failures inside the add-in are C++ exceptions of this
// type; COM entry points turn them back into result codes.

#include <exception>
#include <string>
#include <string_view>

#include "result.h"

namespace tarvex::host {

/// A failure with a result code (an HRESULT, or a framework code such as 31101) and a
/// message in UTF-8 for the user.
class Error : public std::exception {
public:
    Error(HResult code, std::string message);

    HResult Code() const noexcept { return m_code; }
    const std::string& Message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    HResult m_code;
    std::string m_message;
};

/// Formats a result code the way Windows tools print it: "0x80020009".
std::string FormatHResult(HResult code);

/// Throws `Error(code, "<what> failed (0x...)")` when `code` is a failure.
void ThrowIfFailed(HResult code, std::string_view what);

} // namespace tarvex::host

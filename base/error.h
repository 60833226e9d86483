#pragma once

// The one error type of the system. Failures inside the add-in are C++ exceptions of this
// type; COM entry points turn them back into result codes.

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "result.h"

namespace tarvex::base {

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

/// A caught exception as a COM entry point answers it.
struct CaughtFailure {
    /// E_OUTOFMEMORY for std::bad_alloc, an Error's own failure code, else the fallback.
    HResult code;
    /// An Error's own small positive number (a framework code such as 31101), else 0.
    std::uint16_t number = 0;
    /// What the exception says; empty for one of no known type.
    std::string message;
};

/// What a failed entry point answers: the one translation of the exception in flight into a
/// result code, with the fallback the entry point prescribes. Call it only inside a catch
/// block. When `keepOwnCodes` is false every failure is the fallback (an export that
/// answers E_FAIL for all of them).
CaughtFailure CatchCurrentFailure(HResult fallback, bool keepOwnCodes = true) noexcept;

} // namespace tarvex::base

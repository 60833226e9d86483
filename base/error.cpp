#include "error.h"

#include <cstdio>
#include <new>

namespace tarvex::base {

Error::Error(HResult code, std::string message)
    : m_code(code)
    , m_message(std::move(message)) {}

std::string FormatHResult(HResult code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

void ThrowIfFailed(HResult code, std::string_view what) {
    if (Failed(code)) {
        std::string message(what);
        message += " failed (";
        message += FormatHResult(code);
        message += ')';
        throw Error(code, std::move(message));
    }
}

CaughtFailure CatchCurrentFailure(HResult fallback, bool keepOwnCodes) noexcept {
    CaughtFailure failure{fallback, 0, {}};
    try {
        try {
            throw;
        } catch (const Error& error) {
            if (keepOwnCodes && Failed(error.Code()))
                failure.code = error.Code();
            else if (error.Code() > 0 && error.Code() <= 0xFFFF)
                failure.number = static_cast<std::uint16_t>(error.Code());
            failure.message = error.Message();
        } catch (const std::bad_alloc&) {
            if (keepOwnCodes)
                failure.code = hr::OutOfMemory;
            failure.message = "Out of memory";
        } catch (const std::exception& error) {
            failure.message = error.what();
        }
    } catch (...) {
        // An exception of no known type, or a message that could not be copied: the code
        // alone still tells.
    }
    return failure;
}

} // namespace tarvex::base

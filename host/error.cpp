#include "error.h"

#include <cstdio>

namespace tarvex::host {

Error::Error(HResult code, std::string message) : m_code(code), m_message(std::move(message)) {}

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

} // namespace tarvex::host

#include "guid.h"

#include <cstdio>

#include "error.h"

namespace tarvex::host {

std::string Guid::ToString() const {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(data1), data2, data3, data4[0], data4[1], data4[2],
                  data4[3], data4[4], data4[5], data4[6], data4[7]);
    return text;
}

namespace detail {
void ThrowBadGuid(std::string_view text) {
    throw Error(hr::InvalidArg, "Malformed GUID text '" + std::string(text) + "'");
}
} // namespace detail

} // namespace tarvex::host

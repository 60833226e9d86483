#include "guid.h"

#include <cstdio>
#include <random>

#include "error.h"

namespace tarvex::base {

std::string Guid::ToString() const {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(data1), data2, data3, data4[0], data4[1], data4[2],
                  data4[3], data4[4], data4[5], data4[6], data4[7]);
    return text;
}

Guid Guid::Generate() {
    static std::mt19937_64 engine{[] {
        std::random_device device;
        std::seed_seq seeds{device(), device(), device(), device()};
        return std::mt19937_64(seeds);
    }()};
    const std::uint64_t high = engine();
    const std::uint64_t low = engine();
    Guid guid;
    guid.data1 = static_cast<std::uint32_t>(high >> 32);
    guid.data2 = static_cast<std::uint16_t>(high >> 16);
    guid.data3 = static_cast<std::uint16_t>((high & 0x0FFF) | 0x4000); // version 4
    for (int i = 0; i < 8; ++i)
        guid.data4[i] = static_cast<std::uint8_t>(low >> (56 - 8 * i));
    guid.data4[0] = static_cast<std::uint8_t>((guid.data4[0] & 0x3F) | 0x80); // RFC 4122 variant
    return guid;
}

namespace detail {
void ThrowBadGuid(std::string_view text) {
    throw Error(hr::InvalidArg, "Malformed GUID text '" + std::string(text) + "'");
}
} // namespace detail

} // namespace tarvex::base

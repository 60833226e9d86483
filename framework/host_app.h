#pragma once

// The Office host applications the frame knows, and sets of them.

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace tarvex::framework {

enum class TadxOfficeHostApp : std::uint8_t {
    ohaExcel = 0,
    ohaWord = 1,
    ohaOutlook = 2,
    ohaPowerPoint = 3,
    ohaAccess = 4,
    ohaProject = 5,
    ohaFrontPage = 6,
    ohaMapPoint = 7,
    ohaVisio = 8,
    ohaPublisher = 9,
    ohaInfoPath = 10,
};

inline constexpr int kHostAppCount = 11;

/// The name under which a host keeps its add-in keys ("Excel", "MS Project"...).
std::string_view HostKeyName(TadxOfficeHostApp host) noexcept;

/// The ProgID that tells whether a host is installed ("Excel.Application"...).
std::string_view HostProgId(TadxOfficeHostApp host) noexcept;

/// A set of hosts.
class TadxHostAppSet {
public:
    constexpr TadxHostAppSet() noexcept = default;
    constexpr TadxHostAppSet(std::initializer_list<TadxOfficeHostApp> hosts) noexcept {
        for (TadxOfficeHostApp host : hosts)
            m_bits |= Bit(host);
    }

    constexpr bool Contains(TadxOfficeHostApp host) const noexcept { return m_bits & Bit(host); }
    constexpr bool Empty() const noexcept { return m_bits == 0; }
    constexpr void Insert(TadxOfficeHostApp host) noexcept { m_bits |= Bit(host); }
    friend constexpr bool operator==(TadxHostAppSet, TadxHostAppSet) = default;

private:
    static constexpr std::uint16_t Bit(TadxOfficeHostApp host) noexcept {
        return static_cast<std::uint16_t>(1u << static_cast<unsigned>(host));
    }
    std::uint16_t m_bits = 0;
};

} // namespace tarvex::framework

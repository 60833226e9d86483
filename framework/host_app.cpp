#include "framework/host_app.h"

#include <array>

namespace tarvex::framework {

namespace {
struct HostNames {
    std::string_view keyName;
    std::string_view progId;
};

constexpr std::array<HostNames, kHostAppCount> kHosts{{
    {"Excel", "Excel.Application"},
    {"Word", "Word.Application"},
    {"Outlook", "Outlook.Application"},
    {"PowerPoint", "PowerPoint.Application"},
    {"Access", "Access.Application"},
    {"MS Project", "MSProject.Application"},
    {"FrontPage", "FrontPage.Application"},
    {"MapPoint", "MapPoint.Application"},
    {"Visio", "Visio.Application"},
    {"Publisher", "Publisher.Application"},
    {"InfoPath", "InfoPath.Application"},
}};
} // namespace

std::string_view HostKeyName(TadxOfficeHostApp host) noexcept {
    return kHosts[static_cast<std::size_t>(host)].keyName;
}

std::string_view HostProgId(TadxOfficeHostApp host) noexcept {
    return kHosts[static_cast<std::size_t>(host)].progId;
}

} // namespace tarvex::framework

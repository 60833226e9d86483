#include "framework/color_window.h"

#include "framework/module.h"

namespace tarvex::framework {

namespace {
constexpr std::uint32_t kQueryEndSession = 0x0011;
} // namespace

std::optional<std::uint8_t> ReadOfficeTheme(host::Registry& registry) {
    std::unique_ptr<host::RegistryKey> key;
    if (base::Failed(registry.OpenKey(host::RegistryRoot::CurrentUser,
                                      "Software\\Microsoft\\Office\\12.0\\Common",
                                      host::RegistryAccess::Read, key)))
        return std::nullopt;
    host::RegistryValue value;
    if (base::Failed(key->QueryValue("Theme", value)))
        return std::nullopt;
    const std::optional<std::uint32_t> number = value.AsDWord();
    if (!number)
        return std::nullopt;
    return static_cast<std::uint8_t>(*number & 0xFF);
}

TadxNativeColorWindow::TadxNativeColorWindow(TadxCOMAddInModule& module)
    : m_module(module) {
    host::Desktop& desktop = module.Desktop();
    const std::string caption = base::Guid::Generate().ToString();
    m_window = desktop.CreateMessageWindow(u"TadxNativeColorWindow",
                                           std::u16string(caption.begin(), caption.end()),
                                           [this](std::uint32_t message, std::uintptr_t,
                                                  std::intptr_t) { return OnMessage(message); });
    m_broadcast = desktop.RegisterMessage(u"WM_MSO_BROADCASTCHANGE");
}

std::optional<std::intptr_t> TadxNativeColorWindow::OnMessage(std::uint32_t message) {
    if (message == kQueryEndSession)
        return 1;
    if (m_broadcast != 0 && message == m_broadcast) {
        if (const std::optional<std::uint8_t> theme = ReadOfficeTheme(m_module.Registry()))
            m_module.SetColorScheme(*theme);
        if (m_module.OnOfficeColorSchemeChanged) {
            m_module.Guard([this] {
                m_module.OnOfficeColorSchemeChanged(
                    m_module, static_cast<TadxOfficeColorScheme>(m_module.ColorScheme()));
            });
        }
    }
    return std::nullopt;
}

} // namespace tarvex::framework

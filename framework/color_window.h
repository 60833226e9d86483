#pragma once

// TadxNativeColorWindow: a hidden window that hears Office's colour scheme broadcast and
// makes the module re-read the scheme.

#include <cstdint>
#include <memory>
#include <optional>

#include "host/desktop.h"
#include "host/registry.h"

namespace tarvex::framework {

class TadxCOMAddInModule;

/// The Office colour scheme as the value "Theme" of the current user's key
/// Software\Microsoft\Office\12.0\Common holds it: its low byte, without a range check;
/// nothing when the value is not there or not a number.
std::optional<std::uint8_t> ReadOfficeTheme(host::Registry& registry);

class TadxNativeColorWindow {
public:
    /// Creates the hidden window (class "TadxNativeColorWindow", caption a new GUID) and
    /// registers "WM_MSO_BROADCASTCHANGE". Throws Error "Error creating window class" when
    /// the class cannot be registered.
    explicit TadxNativeColorWindow(TadxCOMAddInModule& module);

    TadxNativeColorWindow(const TadxNativeColorWindow&) = delete;
    TadxNativeColorWindow& operator=(const TadxNativeColorWindow&) = delete;

    host::WindowHandle Handle() const noexcept { return m_window->Handle(); }
    /// The number of the registered broadcast message.
    std::uint32_t BroadcastMessage() const noexcept { return m_broadcast; }

private:
    std::optional<std::intptr_t> OnMessage(std::uint32_t message);

    TadxCOMAddInModule& m_module;
    std::uint32_t m_broadcast = 0;
    std::unique_ptr<host::MessageWindow> m_window;
};

} // namespace tarvex::framework

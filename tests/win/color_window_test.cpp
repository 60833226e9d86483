// The colour window on real Windows: a hidden top-level window that hears Office's
// registered broadcast and re-reads "Theme" from the real registry.

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/color_window.h"
#include "framework/module.h"
#include "host/win/desktop.h"
#include "host/win/registry.h"

namespace tarvex::framework {
namespace {

class PlainModule : public TadxCOMAddInModule {
    friend class TadxCOMAddInModule;
    explicit PlainModule(ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override { SetAddInName(u"Tarvex"); }
};

void SetTheme(DWORD theme) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\12.0\\Common", 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, L"Theme", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&theme),
                     sizeof theme);
    ::RegCloseKey(key);
}

TEST(ColorWindow, HearsTheRegisteredBroadcastAndReReadsTheme) {
    win::Win32Desktop desktop;
    win::Win32Registry registry;
    auto module = TadxCOMAddInModule::Create<PlainModule>(ModuleServices{desktop, registry});
    int heard = 0;
    module->OnOfficeColorSchemeChanged = [&](TComponent&, TadxOfficeColorScheme) { ++heard; };
    SetTheme(1);
    module->ReadColorScheme();
    EXPECT_EQ(module->ColorScheme(), 1);
    module->CreateColorWindow();

    const auto window = reinterpret_cast<HWND>(module->ColorWindow()->Handle());
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_FALSE(::IsWindowVisible(window));
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, L"TadxNativeColorWindow");
    EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(::GetWindowLongW(window, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    EXPECT_EQ(::RegisterWindowMessageW(L"WM_MSO_BROADCASTCHANGE"),
              module->ColorWindow()->BroadcastMessage());

    SetTheme(0x203);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, module->ColorWindow()->BroadcastMessage(), 0, 0,
                          SMTO_BLOCK, 5000, &result);
    EXPECT_EQ(module->ColorScheme(), 3);
    EXPECT_EQ(heard, 1);

    EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);

    module.reset();
    EXPECT_FALSE(::IsWindow(window)) << "the window goes with the module";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\12.0");
}

} // namespace
} // namespace tarvex::framework

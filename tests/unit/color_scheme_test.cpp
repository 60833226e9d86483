// Following Office's colour scheme: reading "Theme" and the hidden window that hears the
// scheme change broadcast.

#include <gtest/gtest.h>

#include "base/error.h"
#include "framework/color_window.h"
#include "framework/module.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::framework {
namespace {

constexpr std::string_view kCommonKey = "Software\\Microsoft\\Office\\12.0\\Common";
constexpr std::uint32_t kQueryEndSession = 0x0011;

class PlainModule : public TadxCOMAddInModule {
    friend class TadxCOMAddInModule;
    explicit PlainModule(ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override { SetAddInName(u"Tarvex"); }
};

class ColorScheme : public ::testing::Test {
protected:
    void SetTheme(std::uint32_t theme) {
        registry.PutValue(host::RegistryRoot::CurrentUser, kCommonKey, "Theme",
                          host::RegistryValue::FromDWord(theme));
    }

    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::unique_ptr<PlainModule> module =
        TadxCOMAddInModule::Create<PlainModule>(ModuleServices{desktop, registry});
};

TEST_F(ColorScheme, ThemeIsReadAsItsLowByteWhenPresent) {
    module->ReadColorScheme();
    EXPECT_EQ(module->ColorScheme(), 0) << "no value: the scheme stays as it was";
    SetTheme(2);
    module->ReadColorScheme();
    EXPECT_EQ(module->ColorScheme(), 2);
    SetTheme(0x105);
    module->ReadColorScheme();
    EXPECT_EQ(module->ColorScheme(), 5) << "no range check, the low byte";
    registry.PutValue(host::RegistryRoot::CurrentUser, kCommonKey, "Theme",
                      host::RegistryValue::FromString(u"3"));
    module->ReadColorScheme();
    EXPECT_EQ(module->ColorScheme(), 5) << "a value that is not a number is not read";
}

TEST_F(ColorScheme, BroadcastMakesTheModuleReReadAndTellItsHandler) {
    std::vector<TadxOfficeColorScheme> heard;
    module->OnOfficeColorSchemeChanged = [&](TComponent&, TadxOfficeColorScheme scheme) {
        heard.push_back(scheme);
    };
    module->CreateColorWindow();
    ASSERT_NE(module->ColorWindow(), nullptr);
    const auto captions = desktop.MessageWindowCaptions();
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_EQ(captions[0].size(), 38u) << "a GUID in braces";
    EXPECT_EQ(module->ColorWindow()->BroadcastMessage(),
              desktop.RegisterMessage(u"WM_MSO_BROADCASTCHANGE"));

    SetTheme(3);
    EXPECT_TRUE(desktop.Broadcast(module->ColorWindow()->BroadcastMessage()).empty())
        << "the broadcast goes on to default processing";
    EXPECT_EQ(module->ColorScheme(), 3);
    EXPECT_EQ(heard, std::vector<TadxOfficeColorScheme>{TadxOfficeColorScheme::Black});

    desktop.Broadcast(0x1234);
    EXPECT_EQ(heard.size(), 1u) << "other messages are not the scheme's";
}

TEST_F(ColorScheme, EndOfSessionQueryIsAnsweredYes) {
    module->CreateColorWindow();
    EXPECT_EQ(desktop.Broadcast(kQueryEndSession), std::vector<std::intptr_t>{1});
}

TEST_F(ColorScheme, FailingHandlerIsReported) {
    std::vector<std::u16string> shown;
    desktop.SetMessageHandler([&](const sim::ShownMessage& message) {
        shown.push_back(message.text);
        return 1;
    });
    module->OnOfficeColorSchemeChanged = [&](TComponent&, TadxOfficeColorScheme) {
        throw base::Error(base::hr::Fail, "repaint failed");
    };
    module->CreateColorWindow();
    desktop.Broadcast(module->ColorWindow()->BroadcastMessage());
    EXPECT_EQ(shown, std::vector<std::u16string>{
                         u"Tarvex error: the add-in has fired an exception.\r\nrepaint failed"});
}

TEST_F(ColorScheme, RecreatingReplacesTheWindowAndClassFailureIsAnError) {
    module->CreateColorWindow();
    const auto first = desktop.MessageWindowCaptions();
    module->CreateColorWindow();
    const auto second = desktop.MessageWindowCaptions();
    ASSERT_EQ(second.size(), 1u) << "the old window went";
    EXPECT_NE(first, second) << "a fresh caption";

    sim::SimDesktop failing;
    failing.SetWindowClassesFail(true);
    auto other = TadxCOMAddInModule::Create<PlainModule>(ModuleServices{failing, registry});
    try {
        other->CreateColorWindow();
        FAIL() << "no error";
    } catch (const base::Error& error) {
        EXPECT_STREQ(error.what(), "Error creating window class");
    }
    EXPECT_EQ(other->ColorWindow(), nullptr);
    module.reset();
    EXPECT_TRUE(desktop.MessageWindowCaptions().empty()) << "the module's window goes with it";
}

} // namespace
} // namespace tarvex::framework

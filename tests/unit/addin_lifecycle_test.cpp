// The add-in's module as Office starts and uses it: its design on the command bar and the
// ribbon, start-up, the Track switch on both, workbook events and the link commands.

#include <gtest/gtest.h>

#include "addin/module.h"
#include "base/error.h"
#include "framework/addin_object.h"
#include "framework/command_bar.h"
#include "framework/command_bar_button.h"
#include "framework/custom_ui.h"
#include "framework/factory.h"
#include "framework/ribbon_callbacks_dispatch.h"
#include "framework/ribbon_controls.h"
#include "settings/options.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/excel/office_host.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_ribbon.h"

namespace tarvex::addin {
namespace {

using framework::TadxMsoButtonState;

constexpr std::int32_t kOfficeButtonDown = -1;

class AddinLifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        excel.AddWorkbook(u"Book1");
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            messages.push_back(message.text);
            return 1;
        });
    }

    /// Starts the add-in in Excel of `version` as Office does (sim::OfficeHost), each call
    /// expected to succeed.
    void Start(std::u16string version) {
        excel.SetVersion(version);
        sim::OfficeHost office(
            excel, addin, callbacks, {},
            [](const sim::OfficeCall& call, const std::function<sim::OfficeHost::Outcome()>& run) {
                const sim::OfficeHost::Outcome outcome = run();
                EXPECT_FALSE(outcome.Failed()) << call.name;
                return outcome;
            });
        office.StartUp();
        module = dynamic_cast<TAddInModule*>(addin.Module());
        ASSERT_TRUE(module);
    }

    sim::SimOffice& Office() { return excel.Office(); }

    /// The Office controls of the add-in's bar, in order, with the Help popup's after it.
    std::vector<sim::CommandBarControlData> BarControls() {
        std::vector<sim::CommandBarControlData> controls;
        const auto bar = Office().FindBar(u"Tarvex");
        if (!bar)
            return controls;
        for (const auto handle : Office().Controls(*bar)) {
            controls.push_back(Office().Control(handle));
            if (const auto popup = Office().PopupBar(handle))
                for (const auto item : Office().Controls(*popup))
                    controls.push_back(Office().Control(item));
        }
        return controls;
    }

    sim::SimOffice::ControlHandle BarControl(std::u16string_view caption) {
        const auto bar = Office().FindBar(u"Tarvex");
        for (const auto handle : Office().Controls(*bar))
            if (Office().Control(handle).caption == caption)
                return handle;
        throw base::Error(base::hr::InvalidArg, "no such control");
    }

    /// Office's click on a ribbon control of the add-in through the add-in's callbacks: the
    /// control, and for a toggle button the state the click gives it.
    void RibbonClick(framework::TadxRibbonCustomControl& control,
                     std::optional<bool> pressed = std::nullopt) {
        std::vector<host::Variant> arguments{
            host::Variant(Office().MakeRibbonControl(control.Id()))};
        if (pressed)
            arguments.emplace_back(*pressed);
        host::Variant result;
        bool known = false;
        const base::HResult answer = sim::CallByName(
            *callbacks, pressed ? u"OnActionState_Callback" : u"OnActionCommon_Callback",
            std::move(arguments), result, known);
        ASSERT_TRUE(known);
        EXPECT_EQ(answer, base::hr::Ok);
    }

    /// A click on Track wherever the add-in shows it.
    void ClickTrack() {
        if (module->UsesRibbon())
            RibbonClick(module->RibbonTrack(), !module->RibbonTrack().Pressed());
        else
            Office().Click(BarControl(u"Track"));
    }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::vector<std::u16string> messages;
    const framework::TadxFactory factory{"qorvel", "Tarvex", "Tarvex Object", base::Guid(),
                                         "C:\\Tarvex\\"};
    framework::TadxAddinProcessState process;
    framework::TadxAddin addin{factory,
                               [this] {
                                   return framework::TadxCOMAddInModule::Create<TAddInModule>(
                                       framework::ModuleServices{desktop, registry});
                               },
                               process};
    const host::Ref<host::Dispatch> callbacks = host::MakeRef<framework::TadxRibbonDispatch>(
        [this]() -> framework::TadxCOMAddInModule* { return addin.Module(); });
    TAddInModule* module = nullptr;
};

TEST_F(AddinLifecycle, FirstStartOnExcel2003ShowsTheBarWithTrackUpAndEnabled) {
    Start(u"11.0");
    const auto bar = Office().FindBar(u"Tarvex");
    ASSERT_TRUE(bar);
    EXPECT_TRUE(Office().Bar(*bar).visible);
    EXPECT_EQ(Office().Bar(*bar).position, 1) << "top";
    EXPECT_TRUE(Office().Bar(*bar).temporary);

    const auto controls = BarControls();
    std::vector<std::u16string> captions;
    for (const auto& control : controls)
        captions.push_back(control.caption);
    EXPECT_EQ(captions,
              (std::vector<std::u16string>{u"Track", u"Options...", u"Help",
                                           u"Request support online", u"Request support via e-mail",
                                           u"Anonymous feedback", u"Tell a friend/colleague",
                                           u"Subscribe to news", u"Suggest new feature", u"Help"}));
    const std::vector<bool> groups{true, false, true, false, false, true, false, false, true, true};
    for (std::size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(controls[i].beginGroup, groups[i]);
        EXPECT_TRUE(controls[i].temporary);
    }
    EXPECT_EQ(controls[0].tag, u"{15371C52-2B93-42C6-B57E-437CC0670502}");
    EXPECT_EQ(controls[0].tooltipText, u"Track");
    EXPECT_EQ(controls[0].style, 3) << "icon and caption";
    EXPECT_EQ(controls[0].state, 0) << "up";
    EXPECT_TRUE(controls[0].enabled);
    EXPECT_NE(controls[0].face.source, sim::ButtonFace::Source::None) << "Track has its image";
    EXPECT_EQ(controls[3].face.source, sim::ButtonFace::Source::None) << "no image";

    EXPECT_FALSE(module->Tracking());
    EXPECT_TRUE(module->ActiveColumnMode() && module->ActiveRowMode() &&
                module->CaseSensitiveSearch())
        << "the defaults are loaded";
    EXPECT_TRUE(messages.empty());
}

TEST_F(AddinLifecycle, AControlsKeyThatCannotBeReadIsNoErrorAtStartUp) {
    registry.PutValue(host::RegistryRoot::CurrentUser,
                      "Software\\Microsoft\\Office\\Excel\\AddIns\\qorvel.Tarvex\\Controls",
                      "{OLD}", host::RegistryValue::FromDWord(1));
    registry.FailEvery(sim::RegistryOperation::DeleteTree);
    registry.FailEvery(sim::RegistryOperation::ValueNames);
    Start(u"11.0");
    EXPECT_EQ(messages, std::vector<std::u16string>{});
    EXPECT_EQ(BarControls().size(), 10u);
}

TEST_F(AddinLifecycle, FirstStartOnTheRibbonHidesTheBarAndLeavesTrackEnabledAndUnpressed) {
    Start(u"16.0");
    const auto bar = Office().FindBar(u"Tarvex");
    ASSERT_TRUE(bar) << "the bar is built for the ribbon as well";
    EXPECT_FALSE(Office().Bar(*bar).visible);
    EXPECT_TRUE(module->RibbonTrack().Enabled());
    EXPECT_FALSE(module->RibbonTrack().Pressed());
    EXPECT_FALSE(module->Tracking());
}

TEST_F(AddinLifecycle, TheRibbonIsTheOneTheCustomUiDocumentIsCheckedFor) {
    Start(u"16.0");
    auto reference = framework::TadxCOMAddInModule::Create<testing::RibbonTestModule>(
        framework::ModuleServices{desktop, registry});
    reference->SetFactory(&factory);
    testing::BuildAddinRibbon(*reference);
    EXPECT_EQ(framework::BuildCustomUIXml(*module, u"Microsoft.Excel.Workbook"),
              framework::BuildCustomUIXml(*reference, u"Microsoft.Excel.Workbook"));
}

TEST_F(AddinLifecycle, TrackOnTheBarShowsTheSwitchAsTheButtonsState) {
    Start(u"11.0");
    EXPECT_FALSE(Office().Click(BarControl(u"Track"))) << "the default action is not cancelled";
    EXPECT_TRUE(module->Tracking());
    EXPECT_EQ(Office().Control(BarControl(u"Track")).state, kOfficeButtonDown);
    Office().Click(BarControl(u"Track"));
    EXPECT_FALSE(module->Tracking());
    EXPECT_EQ(Office().Control(BarControl(u"Track")).state, 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(AddinLifecycle, AFailedTrackOnTheRibbonSetsTheToggleBackAndIsReported) {
    Start(u"16.0");
    RibbonClick(module->RibbonTrack(), true);
    EXPECT_TRUE(module->Tracking());
    EXPECT_TRUE(module->RibbonTrack().Pressed());

    // A selected-range mode with a chart selected: the options cannot be taken over.
    settings::TOptions(registry).SetColumnSelectedRange(true);
    excel.SelectChart();
    RibbonClick(module->RibbonTrack(), false);
    EXPECT_TRUE(module->Tracking()) << "the switch stays";
    EXPECT_TRUE(module->RibbonTrack().Pressed()) << "and the toggle shows it again";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(u"Tarvex error: the add-in has fired an exception.", 0), 0u);
}

TEST_F(AddinLifecycle, WorkbookEventsEnableAndDisableTrackWithoutTouchingTheSwitch) {
    for (const std::u16string version : {u"11.0", u"16.0"}) {
        SCOPED_TRACE(std::string(version.begin(), version.end()));
        Start(version);
        const auto trackEnabled = [&] {
            return version == u"16.0" ? module->RibbonTrack().Enabled()
                                      : Office().Control(BarControl(u"Track")).enabled;
        };
        ClickTrack();
        ASSERT_TRUE(module->Tracking());
        // The last workbook closed: Excel's events reach the module through its sink.
        while (excel.CloseActiveWorkbook()) {
        }
        EXPECT_FALSE(trackEnabled());
        EXPECT_TRUE(module->Tracking());
        excel.NewWorkbook();
        EXPECT_TRUE(trackEnabled());
        ClickTrack();
        EXPECT_FALSE(addin.OnDisconnection(framework::remove_mode::HostShutdown).Failed());
    }
}

TEST_F(AddinLifecycle, LinksOpenInANormalWindowAndOnlyTheFeatureFormHasNoReferral) {
    Start(u"16.0");
    desktop.SetShellSchemes({});
    for (const Command command : {Command::RequestSupportOnline, Command::RequestSupportViaEmail,
                                  Command::AnonymousFeedback, Command::TellAFriend,
                                  Command::SubscribeToNews, Command::SuggestNewFeature})
        EXPECT_NO_THROW(module->RunCommand(command)) << "no program for it is no failure";
    const auto& requests = desktop.ShellRequests();
    ASSERT_EQ(requests.size(), 6u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.verb, "open");
        EXPECT_EQ(request.showCommand, host::show_command::ShowNormal);
    }
    EXPECT_EQ(requests[0].file, LinkAddress(Link::RequestSupportOnline));
    EXPECT_TRUE(requests[1].file.starts_with("mailto:"));
    for (const std::size_t i : {0, 2, 3, 4})
        EXPECT_NE(requests[i].file.find("ref="), std::string::npos) << requests[i].file;
    EXPECT_EQ(requests[5].file.find("ref="), std::string::npos);
    EXPECT_TRUE(messages.empty());
}

TEST_F(AddinLifecycle, OptionsFromTheLauncherBehaveAsTheButton) {
    Start(u"16.0");
    std::vector<std::u16string> shown;
    desktop.SetModalHandler([&](base::Form& form) {
        shown.push_back(form.caption);
        form.UserClick(form.IndexOf("chkCaseSensitive"));
        form.UserClick(form.IndexOf("btnOk"));
        return form.ModalResult();
    });
    auto& group = dynamic_cast<framework::TadxRibbonGroup&>(module->adxRibbonTab().Controls()[0]);
    RibbonClick(group.Controls()[1]);
    EXPECT_FALSE(module->CaseSensitiveSearch());
    RibbonClick(group.Controls()[3]);
    EXPECT_TRUE(module->CaseSensitiveSearch());
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"Options", u"Options"}));
}

} // namespace
} // namespace tarvex::addin

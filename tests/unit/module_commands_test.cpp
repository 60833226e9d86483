// The module's lifecycle chores and its Options and Help commands, through the simulated
// Excel, desktop and registry.

#include <gtest/gtest.h>

#include "addin/module.h"
#include "base/error.h"
#include "framework/factory.h"
#include "host/excel/dispids.h"
#include "settings/options.h"
#include "settings/options_form.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_in_excel.h"

namespace tarvex::addin {
namespace {

using host::RegistryRoot;

constexpr host::WindowHandle kExcelWindow = 0x1000;
constexpr host::WindowHandle kOtherWindow = 0x2000;
constexpr std::string_view kAddinKey = "Software\\Microsoft\\Office\\Excel\\AddIns\\qorvel.Tarvex";

class ModuleCommands : public ::testing::Test {
protected:
    void SetUp() override {
        excel.AddWorkbook(u"Book1");
        testing::ConnectToExcel(*module, excel);
        module->SetFactory(&factory);
        desktop.SetForegroundWindow(kExcelWindow);
        desktop.SetActiveWindow(kExcelWindow);
    }

    /// Answers the options dialog with `act`, which clicks as a user would.
    void AnswerOptions(std::function<void(base::Form&)> act) {
        desktop.SetModalHandler([this, act](base::Form& form) {
            EXPECT_EQ(form.caption, u"Options");
            EXPECT_EQ(module->OptionsDialog(), &form) << "the module knows its dialog";
            ownerWhileShown = desktop.OwnerWindow();
            act(form);
            return form.ModalResult();
        });
    }

    static void Click(base::Form& form, const char* name) { form.UserClick(form.IndexOf(name)); }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    const framework::TadxFactory factory{"qorvel", "Tarvex", "Tarvex Object", base::Guid(),
                                         "C:\\Program Files\\Tarvex\\"};
    std::vector<std::string> helpOpened;
    std::unique_ptr<TAddInModule> module = framework::TadxCOMAddInModule::Create<TAddInModule>(
        framework::ModuleServices{desktop, registry},
        AddInResources{
            .openHelp = [this](const std::string& text) { helpOpened.push_back(text); }});
    host::WindowHandle ownerWhileShown = 0;
};

TEST_F(ModuleCommands, InitializeOwnsDialogsByExcelAndDropsOnlyTheControlRecords) {
    const std::string controls = std::string(kAddinKey) + "\\Controls";
    registry.PutValue(RegistryRoot::CurrentUser, controls + "\\Bar\\Button", "Tag",
                      host::RegistryValue::FromString(u"x"));
    registry.PutValue(RegistryRoot::CurrentUser, kAddinKey, "LoadBehavior",
                      host::RegistryValue::FromDWord(3));
    registry.PutKey(RegistryRoot::CurrentUser, "Controls");
    module->OnAddInInitialize(*module);
    EXPECT_EQ(desktop.OwnerWindow(), kExcelWindow);
    EXPECT_FALSE(registry.HasKey(RegistryRoot::CurrentUser, controls));
    EXPECT_TRUE(registry.GetValue(RegistryRoot::CurrentUser, kAddinKey, "LoadBehavior"));
    // Nothing to delete is no failure.
    module->OnAddInInitialize(*module);

    // Without its factory the module has no key: a key "Controls" at the root is not its own.
    module->SetFactory(nullptr);
    module->OnAddInInitialize(*module);
    EXPECT_TRUE(registry.HasKey(RegistryRoot::CurrentUser, "Controls"));

    module->OnAddInFinalize(*module);
    EXPECT_EQ(desktop.OwnerWindow(), 0u);
}

TEST_F(ModuleCommands, InitializeReportsARegistryThatRefusesTheDeletion) {
    registry.PutKey(RegistryRoot::CurrentUser, std::string(kAddinKey) + "\\Controls\\Bar");
    registry.FailEvery(sim::RegistryOperation::DeleteTree);
    EXPECT_THROW(module->OnAddInInitialize(*module), base::Error);
}

TEST_F(ModuleCommands, OptionsOkTakesEffectAtOnceAndCancelChangesNothing) {
    module->LoadOptions();
    ASSERT_TRUE(module->ActiveRowMode());
    desktop.SetOwnerWindow(kOtherWindow);

    AnswerOptions([](base::Form& form) {
        Click(form, "chkRows");
        Click(form, "chkCaseSensitive");
        Click(form, "btnCancel");
    });
    module->OptionsClick(*module);
    EXPECT_TRUE(module->ActiveRowMode());
    EXPECT_TRUE(module->CaseSensitiveSearch());
    EXPECT_TRUE(settings::TOptions(registry).TrackRows());
    EXPECT_EQ(ownerWhileShown, kExcelWindow) << "owned by the foreground window";
    EXPECT_EQ(desktop.OwnerWindow(), kOtherWindow) << "the previous owner comes back";
    EXPECT_EQ(module->OptionsDialog(), nullptr);

    AnswerOptions([](base::Form& form) {
        Click(form, "chkRows");
        Click(form, "chkCaseSensitive");
        Click(form, "btnOk");
    });
    module->OptionsClick(*module);
    EXPECT_FALSE(module->ActiveRowMode());
    EXPECT_FALSE(module->CaseSensitiveSearch());
    EXPECT_FALSE(module->Tracking()) << "Options never switches tracking";
    EXPECT_EQ(desktop.OwnerWindow(), kOtherWindow);
}

TEST_F(ModuleCommands, OptionsOkWithASelectedRangeModeTakesTheSelectionOfThatMoment) {
    excel.Select(*sim::ParseA1Area(u"B2:B20"));
    AnswerOptions([](base::Form& form) {
        Click(form, "rbColumnSelectedRange");
        Click(form, "btnOk");
    });
    module->OptionsClick(*module);
    ASSERT_TRUE(module->SelectedRange());
    EXPECT_EQ(module->SelectedRange().Address(host::excel::xlA1), u"$B$2:$B$20");

    // A chart selected then: the options are saved, the failure passes on, and the owner
    // still comes back.
    excel.SelectChart();
    AnswerOptions([](base::Form& form) {
        Click(form, "rbRowSelectedRange");
        Click(form, "btnOk");
    });
    desktop.SetOwnerWindow(kOtherWindow);
    EXPECT_THROW(module->OptionsClick(*module), base::Error);
    EXPECT_TRUE(settings::TOptions(registry).RowSelectedRange());
    EXPECT_EQ(desktop.OwnerWindow(), kOtherWindow);
    EXPECT_EQ(module->OptionsDialog(), nullptr);
}

TEST_F(ModuleCommands, AFailingDialogStillRestoresTheOwner) {
    desktop.SetOwnerWindow(kOtherWindow);
    desktop.SetModalHandler(
        [](base::Form&) -> int { throw base::Error(base::hr::OutOfMemory, "No window"); });
    EXPECT_THROW(module->OptionsClick(*module), base::Error);
    EXPECT_EQ(desktop.OwnerWindow(), kOtherWindow);
    EXPECT_EQ(module->OptionsDialog(), nullptr);
}

TEST_F(ModuleCommands, HelpOpensTopicsOfTheFileInTheAddinFolder) {
    module->HelpClick(*module);
    AnswerOptions([](base::Form& form) {
        Click(form, "btnHelp");
        Click(form, "btnCancel");
    });
    module->OptionsClick(*module);
    EXPECT_EQ(helpOpened,
              (std::vector<std::string>{"C:\\Program Files\\Tarvex\\qorvel.chm::/Introduction.htm",
                                        "C:\\Program Files\\Tarvex\\qorvel.chm::/Lesson1.htm"}));

    // Help that fails or is missing is simply not shown.
    auto silent = framework::TadxCOMAddInModule::Create<TAddInModule>(
        framework::ModuleServices{desktop, registry},
        AddInResources{.openHelp = [](const std::string&) {
            throw base::Error(base::hr::Fail, "no engine");
        }});
    EXPECT_NO_THROW(silent->HelpClick(*silent));
    auto without = framework::TadxCOMAddInModule::Create<TAddInModule>(
        framework::ModuleServices{desktop, registry});
    EXPECT_NO_THROW(without->HelpClick(*without));
}

} // namespace
} // namespace tarvex::addin

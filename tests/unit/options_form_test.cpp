// The options dialog over the in-memory registry and the simulated desktop: what it shows
// for what is stored, what its check boxes do to their radio buttons, what it reads and
// writes and in which order, Help, and a save that the registry refuses.

#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "settings/options_form.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::settings {
namespace {

using base::ControlKind;
using base::Rect;
using host::RegistryRoot;
using host::RegistryValue;
using sim::RegistryOperation;
namespace modal_result = base::modal_result;

constexpr std::string_view kOptionsKey = "Software\\Morvane Software\\Tarvex\\Options";

const std::vector<std::string> kReadOrder = {"TrackColumns",    "TrackRows", "CaseSensitive",
                                             "ActiveColumn",    "ActiveRow", "ColumnSelectedRange",
                                             "RowSelectedRange"};
const std::vector<std::string> kWriteOrder = {"TrackColumns", "ActiveColumn", "ColumnSelectedRange",
                                              "TrackRows",    "ActiveRow",    "RowSelectedRange",
                                              "CaseSensitive"};

// The seven option controls in the order the checks below list them.
const char* const kOptionControls[] = {"chkColumns",      "rbActiveColumn", "rbColumnSelectedRange",
                                       "chkRows",         "rbActiveRow",    "rbRowSelectedRange",
                                       "chkCaseSensitive"};

// The option controls' states in one line: "+" checked, "-" cleared, "#" disabled.
std::string States(const base::Form& form) {
    std::string states;
    for (const char* name : kOptionControls) {
        const base::FormControl& control = form.Control(name);
        if (!states.empty())
            states += ' ';
        states += name;
        states += control.checked ? '+' : '-';
        if (!control.enabled)
            states += '#';
    }
    return states;
}

class OptionsDialog : public ::testing::Test {
protected:
    OptionsDialog() { m_form.HelpFolder = "C:\\Tools\\"; }

    void Store(std::string_view name, std::uint32_t value) {
        m_registry.PutValue(RegistryRoot::CurrentUser, kOptionsKey, name,
                            RegistryValue::FromDWord(value));
    }
    // The seven options as REG_DWORD values, in write order.
    void StoreAll(std::initializer_list<std::uint32_t> values) {
        auto value = values.begin();
        for (const std::string& name : kWriteOrder)
            Store(name, *value++);
    }
    std::optional<RegistryValue> Stored(std::string_view name) const {
        return m_registry.GetValue(RegistryRoot::CurrentUser, kOptionsKey, name);
    }
    // The value names of the logged operations of one kind, in the order they were made.
    std::vector<std::string> NamesOf(RegistryOperation operation) const {
        std::vector<std::string> names;
        for (const sim::RegistryCall& call : m_registry.Log()) {
            if (call.operation == operation)
                names.push_back(call.valueName);
        }
        return names;
    }
    int Click(const char* name) {
        m_form.UserClick(m_form.IndexOf(name));
        return m_form.ModalResult();
    }

    sim::MemoryRegistry m_registry;
    sim::SimDesktop m_desktop;
    std::vector<std::string> m_helpTopics;
    TfrmOptions m_form{m_registry, m_desktop,
                       [this](const std::string& topic) { m_helpTopics.push_back(topic); }};
};

TEST_F(OptionsDialog, LayoutAt96Dpi) {
    EXPECT_EQ(m_form.caption, u"Options");
    EXPECT_EQ(m_form.clientWidth, 376);
    EXPECT_EQ(m_form.clientHeight, 218);
    EXPECT_EQ(m_form.fontPoints, 8);
    EXPECT_TRUE(m_form.fontName == u"MS Shell Dlg" || m_form.fontName == u"MS Sans Serif");

    struct Expected {
        const char* name;
        ControlKind kind;
        std::u16string caption;
        const char* parent;
        Rect inClient;
    };
    // Positions in the dialog's client area: the parents' offsets added up.
    const Expected expected[] = {
        {"grpTrack", ControlKind::GroupBox, u"Track", nullptr, {11, 8, 353, 129}},
        {"chkColumns", ControlKind::CheckBox, u"Columns", "grpTrack", {27, 32, 97, 17}},
        {"pnlColumns", ControlKind::Panel, u"", "grpTrack", {19, 56, 145, 73}},
        {"rbActiveColumn",
         ControlKind::RadioButton,
         u"Active column",
         "pnlColumns",
         {35, 64, 113, 17}},
        {"rbColumnSelectedRange",
         ControlKind::RadioButton,
         u"Selected range",
         "pnlColumns",
         {35, 98, 113, 17}},
        {"chkRows", ControlKind::CheckBox, u"Rows", "grpTrack", {211, 32, 97, 17}},
        {"pnlRows", ControlKind::Panel, u"", "grpTrack", {203, 56, 145, 73}},
        {"rbActiveRow", ControlKind::RadioButton, u"Active row", "pnlRows", {224, 64, 113, 17}},
        {"rbRowSelectedRange",
         ControlKind::RadioButton,
         u"Selected range",
         "pnlRows",
         {224, 98, 113, 17}},
        {"chkCaseSensitive", ControlKind::CheckBox, u"Case sensitive", nullptr, {16, 154, 97, 17}},
        {"pnlButtons", ControlKind::Panel, u"", nullptr, {0, 177, 376, 41}},
        {"btnOk", ControlKind::Button, u"Ok", "pnlButtons", {128, 185, 75, 25}},
        {"btnCancel", ControlKind::Button, u"Cancel", "pnlButtons", {208, 185, 75, 25}},
        {"btnHelp", ControlKind::Button, u"Help", "pnlButtons", {288, 185, 75, 25}},
    };
    ASSERT_EQ(m_form.ControlCount(), static_cast<int>(std::size(expected)));
    std::vector<int> tabSequence;
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const int index = m_form.IndexOf(e.name);
        const base::FormControl& control = m_form.Control(index);
        tabSequence.push_back(index);
        EXPECT_EQ(control.kind, e.kind);
        EXPECT_EQ(control.caption, e.caption);
        EXPECT_EQ(control.parent, e.parent ? m_form.IndexOf(e.parent) : -1);
        EXPECT_EQ(m_form.ClientBounds(index), e.inClient);
        EXPECT_TRUE(control.visible);
    }
    // The table above lists the controls in tab order.
    EXPECT_EQ(m_form.TabSequence(), tabSequence);
    EXPECT_EQ(m_form.Control("btnCancel").modalResult, modal_result::Cancel);
    EXPECT_EQ(m_form.Control("btnHelp").modalResult, modal_result::None);
}

TEST_F(OptionsDialog, StartsWithBothSidesOffAndTheActiveButtonsChecked) {
    EXPECT_EQ(States(m_form), "chkColumns- rbActiveColumn+# rbColumnSelectedRange-# chkRows- "
                              "rbActiveRow+# rbRowSelectedRange-# chkCaseSensitive-");
    EXPECT_TRUE(m_registry.Log().empty()) << "creating the dialog reads nothing";
}

TEST_F(OptionsDialog, FirstOpeningShowsTheDefaultsAndStoresAllSevenEvenOnCancel) {
    std::string shown;
    m_desktop.SetModalHandler([&](base::Form& form) {
        shown = States(form);
        form.UserClick(form.IndexOf("btnCancel"));
        return modal_result::None;
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), modal_result::Cancel);

    EXPECT_EQ(shown, "chkColumns+ rbActiveColumn+ rbColumnSelectedRange- chkRows+ rbActiveRow+ "
                     "rbRowSelectedRange- chkCaseSensitive+");
    // Each missing value is asked for, written with its default and read back before the
    // next one is asked for: the reads keep their order and the only writes are the defaults.
    // The first is asked for only once: the key does not exist yet, so nothing is queried
    // before its default creates the key.
    std::vector<std::string> queried = {kReadOrder[0]};
    for (auto name = kReadOrder.begin() + 1; name != kReadOrder.end(); ++name)
        queried.insert(queried.end(), {*name, *name});
    EXPECT_EQ(NamesOf(RegistryOperation::QueryValue), queried);
    EXPECT_EQ(NamesOf(RegistryOperation::SetValue), kReadOrder);
    const std::uint32_t defaults[] = {1, 1, 0, 1, 1, 0, 1};
    for (std::size_t i = 0; i < kWriteOrder.size(); ++i)
        EXPECT_EQ(Stored(kWriteOrder[i]), RegistryValue::FromDWord(defaults[i])) << kWriteOrder[i];
    EXPECT_EQ(m_registry.OpenKeyCount(), 0u);
}

TEST_F(OptionsDialog, OkWritesAllSevenInItsOrderAfterReadingThemInTheirs) {
    StoreAll({1, 1, 0, 1, 0, 1, 0});
    m_desktop.SetModalHandler(sim::ClickButton(u"Ok"));
    EXPECT_EQ(m_desktop.ShowModal(m_form), modal_result::Ok);

    EXPECT_EQ(NamesOf(RegistryOperation::QueryValue), kReadOrder);
    EXPECT_EQ(NamesOf(RegistryOperation::SetValue), kWriteOrder);
    EXPECT_EQ(Stored("ActiveRow"), RegistryValue::FromDWord(0));
    EXPECT_EQ(Stored("RowSelectedRange"), RegistryValue::FromDWord(1));
    EXPECT_EQ(Stored("CaseSensitive"), RegistryValue::FromDWord(0));
}

TEST_F(OptionsDialog, OkStoresWhatIsShownInCanonicalForm) {
    // Values that read as true or as their default but are not stored as 0 or 1.
    Store("TrackRows", 2);
    m_registry.PutValue(RegistryRoot::CurrentUser, kOptionsKey, "CaseSensitive",
                        RegistryValue::FromString(u"0"));
    m_desktop.SetModalHandler(sim::ClickButton(u"Ok"));
    EXPECT_EQ(m_desktop.ShowModal(m_form), modal_result::Ok);
    EXPECT_EQ(Stored("TrackRows"), RegistryValue::FromDWord(1));
    EXPECT_EQ(Stored("CaseSensitive"), RegistryValue::FromDWord(1));
}

TEST_F(OptionsDialog, ColumnsStoredOffOpenDisabledWithTheirChoiceAndOkWritesItBack) {
    StoreAll({0, 0, 1, 1, 1, 0, 1});
    std::string shown;
    m_desktop.SetModalHandler([&](base::Form& form) {
        shown = States(form);
        // A disabled radio button cannot be clicked.
        form.UserClick(form.IndexOf("rbActiveColumn"));
        form.UserClick(form.IndexOf("btnOk"));
        return modal_result::None;
    });
    m_registry.ClearLog();
    EXPECT_EQ(m_desktop.ShowModal(m_form), modal_result::Ok);

    EXPECT_EQ(shown, "chkColumns- rbActiveColumn-# rbColumnSelectedRange+# chkRows+ rbActiveRow+ "
                     "rbRowSelectedRange- chkCaseSensitive+");
    EXPECT_EQ(NamesOf(RegistryOperation::SetValue), kWriteOrder) << "disabled ones included";
    EXPECT_EQ(Stored("TrackColumns"), RegistryValue::FromDWord(0));
    EXPECT_EQ(Stored("ActiveColumn"), RegistryValue::FromDWord(0));
    EXPECT_EQ(Stored("ColumnSelectedRange"), RegistryValue::FromDWord(1));
}

TEST_F(OptionsDialog, ClearingRowsDisablesBothRowButtonsAndCheckingItAgainRestoresTheirChoice) {
    StoreAll({1, 1, 0, 1, 0, 1, 1});
    std::vector<std::string> seen;
    m_desktop.SetModalHandler([&](base::Form& form) {
        form.UserClick(form.IndexOf("chkRows"));
        seen.push_back(States(form));
        form.UserClick(form.IndexOf("chkRows"));
        seen.push_back(States(form));
        return modal_result::Cancel; // the close box
    });
    m_registry.ClearLog();
    EXPECT_EQ(m_desktop.ShowModal(m_form), modal_result::Cancel);

    EXPECT_EQ(seen, (std::vector<std::string>{
                        "chkColumns+ rbActiveColumn+ rbColumnSelectedRange- chkRows- rbActiveRow-# "
                        "rbRowSelectedRange+# chkCaseSensitive+",
                        "chkColumns+ rbActiveColumn+ rbColumnSelectedRange- chkRows+ rbActiveRow- "
                        "rbRowSelectedRange+ chkCaseSensitive+"}));
    EXPECT_TRUE(NamesOf(RegistryOperation::SetValue).empty()) << "the close box writes nothing";
}

TEST(OptionsDialogLoad, RadioPairShowsTheSelectedRangeWhenItIsStoredTrue) {
    struct Case {
        std::uint32_t active, selectedRange;
        bool activeShown, selectedRangeShown;
    };
    const Case cases[] = {
        {1, 0, true, false}, {0, 1, false, true}, {1, 1, false, true}, {0, 0, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "stored " << c.active << c.selectedRange);
        sim::MemoryRegistry registry;
        sim::SimDesktop desktop;
        for (const char* side : {"Column", "Row"}) {
            registry.PutValue(RegistryRoot::CurrentUser, kOptionsKey, std::string("Active") + side,
                              RegistryValue::FromDWord(c.active));
            registry.PutValue(RegistryRoot::CurrentUser, kOptionsKey,
                              side + std::string("SelectedRange"),
                              RegistryValue::FromDWord(c.selectedRange));
        }
        TfrmOptions form(registry, desktop, [](const std::string&) {});
        EXPECT_EQ(desktop.ShowModal(form), modal_result::Cancel);
        EXPECT_EQ(form.Control("rbActiveColumn").checked, c.activeShown);
        EXPECT_EQ(form.Control("rbColumnSelectedRange").checked, c.selectedRangeShown);
        EXPECT_EQ(form.Control("rbActiveRow").checked, c.activeShown);
        EXPECT_EQ(form.Control("rbRowSelectedRange").checked, c.selectedRangeShown);
    }
}

TEST_F(OptionsDialog, HelpOpensLesson1InTheHelpFolderAndLeavesTheDialogAsItWas) {
    StoreAll({1, 0, 1, 0, 1, 0, 1});
    std::string before, after;
    int resultAfterHelp = -1;
    m_desktop.SetModalHandler([&](base::Form& form) {
        m_registry.ClearLog();
        before = States(form);
        resultAfterHelp = Click("btnHelp");
        after = States(form);
        return modal_result::Cancel;
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), modal_result::Cancel);

    EXPECT_EQ(m_helpTopics, std::vector<std::string>{"C:\\Tools\\qorvel.chm::/Lesson1.htm"});
    EXPECT_EQ(resultAfterHelp, modal_result::None) << "the dialog stays open";
    EXPECT_EQ(after, before);
    EXPECT_TRUE(m_registry.Log().empty()) << "Help reads and writes nothing";
}

TEST(OptionsDialogHelp, NeedsAWayToOpenHelp) {
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    EXPECT_THROW(TfrmOptions form(registry, desktop, nullptr), base::Error);
}

class OptionsDialogSaveFailure : public OptionsDialog {};

TEST_F(OptionsDialogSaveFailure, IsShownToTheUserAndTheDialogStaysOpen) {
    StoreAll({1, 1, 0, 1, 1, 0, 1});
    m_desktop.SetOwnerWindow(0x5150);
    int resultAfterFailure = -1;
    m_desktop.SetModalHandler([&](base::Form&) {
        m_registry.ClearLog();
        Click("chkCaseSensitive");
        Click("rbColumnSelectedRange");
        m_registry.FailEvery(RegistryOperation::SetValue, "TrackRows");
        resultAfterFailure = Click("btnOk");
        // The user gives up on this choice and saves what can be saved.
        m_registry.ClearFailures();
        return Click("btnOk");
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), modal_result::Ok);

    EXPECT_EQ(resultAfterFailure, modal_result::None);
    ASSERT_EQ(m_desktop.ShownMessages().size(), 1u);
    const sim::ShownMessage& box = m_desktop.ShownMessages()[0];
    EXPECT_EQ(box.text, u"Failed to set data for 'TrackRows'");
    EXPECT_EQ(box.caption, u"Error");
    EXPECT_EQ(box.style, host::message_box::Ok | host::message_box::IconError);
    EXPECT_EQ(box.owner, 0x5150u) << "owned by the add-in's owner window";
    // The first Ok stopped at TrackRows; the second wrote all seven.
    std::vector<std::string> writes(kWriteOrder.begin(), kWriteOrder.begin() + 4);
    writes.insert(writes.end(), kWriteOrder.begin(), kWriteOrder.end());
    EXPECT_EQ(NamesOf(RegistryOperation::SetValue), writes);
    EXPECT_EQ(Stored("CaseSensitive"), RegistryValue::FromDWord(0));
    EXPECT_EQ(m_registry.OpenKeyCount(), 0u);
}

TEST_F(OptionsDialogSaveFailure, KeepsWhatWasWrittenBeforeItWhenTheUserCancels) {
    StoreAll({1, 1, 0, 1, 1, 0, 1});
    m_desktop.SetModalHandler([&](base::Form&) {
        Click("rbColumnSelectedRange");
        Click("chkCaseSensitive");
        m_registry.FailEvery(RegistryOperation::SetValue, "ActiveRow");
        Click("btnOk");
        return Click("btnCancel");
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), modal_result::Cancel);
    EXPECT_EQ(Stored("ActiveColumn"), RegistryValue::FromDWord(0));
    EXPECT_EQ(Stored("ColumnSelectedRange"), RegistryValue::FromDWord(1));
    EXPECT_EQ(Stored("CaseSensitive"), RegistryValue::FromDWord(1)) << "never reached";
}

TEST_F(OptionsDialogSaveFailure, OkWhileTheErrorBoxIsUpDoesNothing) {
    // The box is modal to the owner window only: the dialog still takes clicks meanwhile.
    m_desktop.SetMessageHandler([&](const sim::ShownMessage&) {
        m_registry.ClearFailures();
        Click("btnOk");
        return 1;
    });
    m_desktop.SetModalHandler([&](base::Form&) {
        m_registry.FailEvery(RegistryOperation::SetValue, "TrackColumns");
        m_registry.ClearLog();
        Click("btnOk");
        return m_form.ModalResult() == modal_result::None ? Click("btnCancel") : -1;
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), modal_result::Cancel);
    EXPECT_EQ(m_desktop.ShownMessages().size(), 1u);
    EXPECT_EQ(NamesOf(RegistryOperation::SetValue), std::vector<std::string>{"TrackColumns"});
}

} // namespace
} // namespace tarvex::settings

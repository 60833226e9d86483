// The portable form model: radio groups, click rules, enabling, tab order, and the view
// that a shown dialog follows.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/form.h"
#include "tests/support/grouped_form.h"

namespace tarvex::base {
namespace {

using testing::GroupedForm;

class RecordingView final : public FormView {
public:
    void ControlChanged(int index) override { changes.push_back(index); }
    std::vector<int> changes;
};

TEST(FormRadioGroups, CheckingOneClearsOnlyTheOthersOfItsParent) {
    GroupedForm form;
    form.SetChecked(form.rbOther, true);
    form.SetChecked(form.rbActive, true);
    form.SetChecked(form.rbRange, true);
    EXPECT_FALSE(form.Control(form.rbActive).checked);
    EXPECT_TRUE(form.Control(form.rbRange).checked);
    EXPECT_TRUE(form.Control(form.rbOther).checked) << "another panel is another group";
}

TEST(FormRadioGroups, ClearingFromCodeChecksNothingElseAndRunsNoCode) {
    GroupedForm form;
    form.SetChecked(form.rbActive, true);
    form.clicks.clear();
    form.SetChecked(form.rbActive, false);
    EXPECT_FALSE(form.Control(form.rbActive).checked);
    EXPECT_FALSE(form.Control(form.rbRange).checked) << "a group may show neither checked";
    EXPECT_TRUE(form.clicks.empty());
}

TEST(FormRadioGroups, UserClickOnTheCheckedButtonChangesNothing) {
    GroupedForm form;
    form.UserClick(form.rbRange);
    EXPECT_TRUE(form.Control(form.rbRange).checked);
    form.clicks.clear();
    form.UserClick(form.rbRange);
    EXPECT_TRUE(form.Control(form.rbRange).checked) << "a radio button does not toggle";
    EXPECT_TRUE(form.clicks.empty());
}

TEST(FormClicks, CheckBoxCodeRunsOnEveryChangeButNotForTheSameState) {
    GroupedForm form;
    form.SetChecked(form.chkColumns, false);
    EXPECT_TRUE(form.clicks.empty()) << "already unchecked";
    form.SetChecked(form.chkColumns, true);
    form.SetChecked(form.chkColumns, true);
    EXPECT_EQ(form.clicks, std::vector<int>{form.chkColumns});
    form.UserClick(form.chkColumns);
    EXPECT_FALSE(form.Control(form.chkColumns).checked) << "a click toggles";
    EXPECT_EQ(form.clicks.size(), 2u);
}

TEST(FormClicks, DisabledOrHiddenControlsAndTheContentsOfSuchContainersIgnoreClicks) {
    GroupedForm form;
    form.SetEnabled(form.rbRange, false);
    form.UserClick(form.rbRange);
    EXPECT_FALSE(form.Control(form.rbRange).checked);

    form.SetEnabled(form.group, false);
    form.UserClick(form.rbActive);
    form.UserClick(form.chkRows);
    EXPECT_FALSE(form.Control(form.rbActive).checked) << "its group box is disabled";
    EXPECT_FALSE(form.Control(form.chkRows).checked);
    form.SetEnabled(form.group, true);

    form.SetVisible(form.left, false);
    form.UserClick(form.rbActive);
    EXPECT_FALSE(form.Control(form.rbActive).checked) << "its panel is hidden";
    EXPECT_FALSE(form.AcceptsInput(form.rbActive));
    form.SetVisible(form.left, true);
    EXPECT_TRUE(form.AcceptsInput(form.rbActive));
    EXPECT_TRUE(form.clicks.empty());
}

TEST(FormClicks, ButtonRunsTheCodeFirstThenEndsWithItsResult) {
    GroupedForm form;
    form.UserClick(form.btnHelp);
    EXPECT_EQ(form.ModalResult(), modal_result::None) << "Help has no result";
    form.UserClick(form.btnOk);
    EXPECT_EQ(form.clicks, (std::vector<int>{form.btnHelp, form.btnOk}));
    EXPECT_EQ(form.resultsSeenByCode.back(), modal_result::None) << "the code ran first";
    EXPECT_EQ(form.ModalResult(), modal_result::Ok);
}

TEST(FormClicks, ClicksAfterTheFormEndedAreIgnored) {
    GroupedForm form;
    form.UserClick(form.btnOk);
    form.UserClick(form.chkCase);
    form.UserClick(form.btnHelp);
    EXPECT_EQ(form.clicks, std::vector<int>{form.btnOk});
    EXPECT_FALSE(form.Control(form.chkCase).checked);
    EXPECT_EQ(form.ModalResult(), modal_result::Ok);
}

TEST(FormEnabling, CodeChangesReachTheViewOncePerRealChange) {
    GroupedForm form;
    RecordingView view;
    form.AttachView(&view);
    form.SetChecked(form.rbActive, true);
    form.UserClick(form.chkColumns); // the code enables both radio buttons: no change
    EXPECT_EQ(view.changes, (std::vector<int>{form.rbActive, form.chkColumns}));

    view.changes.clear();
    form.UserClick(form.chkColumns); // unchecked: the code disables both
    form.SetChecked(form.rbRange, true);
    form.SetCaption(form.chkCase, u"Case");
    form.SetCaption(form.chkCase, u"Match case");
    EXPECT_EQ(view.changes, (std::vector<int>{form.chkColumns, form.rbActive, form.rbRange,
                                              form.rbRange, form.rbActive, form.chkCase}));
    EXPECT_FALSE(form.Control(form.rbActive).enabled);
    EXPECT_TRUE(form.Control(form.rbRange).checked) << "code may change disabled controls";

    form.AttachView(nullptr);
    form.SetCaption(form.chkCase, u"Case");
    EXPECT_EQ(view.changes.size(), 6u) << "a detached view hears nothing";
}

TEST(FormLayout, ClientBoundsAddEveryParentsOffset) {
    GroupedForm form;
    EXPECT_EQ(form.ClientBounds(form.chkColumns), (Rect{27, 32, 97, 17}));
    EXPECT_EQ(form.ClientBounds(form.rbRange), (Rect{11 + 8 + 16, 8 + 48 + 42, 113, 17}));
    EXPECT_EQ(form.ClientBounds(form.btnOk), (Rect{128, 185, 75, 25}));
}

TEST(FormLayout, TabSequenceVisitsEachContainerInPlace) {
    GroupedForm form;
    // The row panel (tab order 3) was added before the Rows check box (2).
    EXPECT_EQ(form.TabSequence(),
              (std::vector<int>{form.group, form.chkColumns, form.left, form.rbActive, form.rbRange,
                                form.chkRows, form.right, form.rbOther, form.chkCase, form.btnOk,
                                form.btnHelp}));
}

TEST(FormLayout, FirstFocusSkipsWhatCannotTakeTheFocus) {
    GroupedForm form;
    EXPECT_EQ(form.FirstFocus(), form.chkColumns);
    form.SetEnabled(form.chkColumns, false);
    EXPECT_EQ(form.FirstFocus(), form.rbActive);
    form.SetEnabled(form.group, false);
    EXPECT_EQ(form.FirstFocus(), form.chkCase);
    form.SetVisible(form.chkCase, false);
    form.SetEnabled(form.btnOk, false);
    EXPECT_EQ(form.FirstFocus(), form.btnHelp);
    form.SetEnabled(form.btnHelp, false);
    EXPECT_EQ(form.FirstFocus(), -1);
}

TEST(FormLayout, NextFocusWrapsAroundAndSkipsWhatCannotTakeIt) {
    GroupedForm form;
    EXPECT_EQ(form.NextFocus(form.chkColumns), form.rbActive);
    EXPECT_EQ(form.NextFocus(form.btnHelp), form.chkColumns) << "wraps around";
    form.SetVisible(form.right, false);
    EXPECT_EQ(form.NextFocus(form.chkRows), form.chkCase) << "past the hidden panel";
    // A container's focus goes past everything inside it.
    form.SetEnabled(form.group, false);
    EXPECT_EQ(form.NextFocus(form.group), form.chkCase);
    EXPECT_EQ(form.NextFocus(form.btnHelp), form.chkCase);
    form.SetEnabled(form.chkCase, false);
    form.SetEnabled(form.btnOk, false);
    EXPECT_EQ(form.NextFocus(form.btnHelp), -1) << "never the control itself";
}

class BadlyBuiltForm : public Form {
public:
    int Add(std::string name, ControlKind kind, int parent) {
        FormControl control;
        control.name = std::move(name);
        control.kind = kind;
        control.parent = parent;
        return AddControl(std::move(control));
    }
};

TEST(FormLayout, RejectsUnnamedOrDuplicateControlsAndParentsThatHoldNothing) {
    BadlyBuiltForm form;
    const int label = form.Add("lblA", ControlKind::Label, -1);
    const int panel = form.Add("pnlA", ControlKind::Panel, -1);
    EXPECT_THROW(form.Add("", ControlKind::Label, -1), Error);
    EXPECT_THROW(form.Add("lblA", ControlKind::Label, -1), Error);
    EXPECT_THROW(form.Add("rbA", ControlKind::RadioButton, label), Error)
        << "a label holds nothing";
    EXPECT_THROW(form.Add("rbB", ControlKind::RadioButton, 5), Error) << "not added yet";
    EXPECT_THROW(form.Add("rbC", ControlKind::RadioButton, -2), Error);
    EXPECT_EQ(form.Add("rbD", ControlKind::RadioButton, panel), 2);
    EXPECT_EQ(form.ControlCount(), 3);
    try {
        form.IndexOf("missing");
        FAIL() << "no exception";
    } catch (const Error& error) {
        EXPECT_EQ(error.Code(), hr::InvalidArg);
    }
}

TEST(FormModal, BeginModalClearsTheLastResultAndRunsOnShow) {
    GroupedForm form;
    form.UserClick(form.btnOk);
    form.BeginModal();
    EXPECT_EQ(form.ModalResult(), modal_result::None);
    EXPECT_EQ(form.shows, 1);
    form.UserClick(form.chkCase);
    EXPECT_TRUE(form.Control(form.chkCase).checked) << "the form takes clicks again";
    form.Close();
    EXPECT_EQ(form.ModalResult(), modal_result::Cancel);
    form.SetModalResult(modal_result::Ok);
    EXPECT_EQ(form.ModalResult(), modal_result::Ok) << "a result set after closing wins";
}

} // namespace
} // namespace tarvex::base

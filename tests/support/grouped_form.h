#pragma once

// A form shaped like the options dialog, for the tests of the form model and of the real
// dialog machinery: a group box holding a check box and two panels of radio buttons, a
// check box on the form, and the buttons Ok and Help. As the options dialog does, it starts
// with the column radio buttons disabled and checks "Columns" when shown, whose code then
// enables them.

#include <string>
#include <vector>

#include "base/form.h"

namespace tarvex::testing {

class GroupedForm : public base::Form {
public:
    GroupedForm() {
        using base::ControlKind;
        caption = u"Grouped";
        clientWidth = 376;
        clientHeight = 218;
        group = Add("grpTrack", ControlKind::GroupBox, u"Track", {11, 8, 353, 129}, -1, 0);
        chkColumns =
            Add("chkColumns", ControlKind::CheckBox, u"Columns", {16, 24, 97, 17}, group, 0);
        left = Add("pnlColumn", ControlKind::Panel, u"", {8, 48, 145, 73}, group, 1);
        rbActive = Add("rbActive", ControlKind::RadioButton, u"Active", {16, 8, 113, 17}, left, 0);
        rbRange = Add("rbRange", ControlKind::RadioButton, u"Range", {16, 42, 113, 17}, left, 1);
        // Added before the Rows check box, though it comes after it in tab order.
        right = Add("pnlRow", ControlKind::Panel, u"", {192, 48, 145, 73}, group, 3);
        rbOther = Add("rbOther", ControlKind::RadioButton, u"Other", {21, 8, 113, 17}, right, 0);
        chkRows = Add("chkRows", ControlKind::CheckBox, u"Rows", {200, 24, 97, 17}, group, 2);
        chkCase = Add("chkCase", ControlKind::CheckBox, u"Case", {16, 154, 97, 17}, -1, 1);
        btnOk = Add("btnOk", ControlKind::Button, u"Ok", {128, 185, 75, 25}, -1, 2,
                    base::modal_result::Ok);
        btnHelp = Add("btnHelp", ControlKind::Button, u"Help", {288, 185, 75, 25}, -1, 3);
    }

    /// Starts as the options dialog's FormCreate leaves it: column radio buttons disabled,
    /// "Active" checked.
    void Prepare() {
        SetEnabled(rbActive, false);
        SetEnabled(rbRange, false);
        SetChecked(rbActive, true);
        clicks.clear();
    }

    int group, chkColumns, left, rbActive, rbRange, right, rbOther, chkRows, chkCase, btnOk,
        btnHelp;
    /// Every control whose code ran, in order, and the modal result the code saw.
    std::vector<int> clicks;
    std::vector<int> resultsSeenByCode;
    int shows = 0;
    /// When set, OnShow checks "Columns" (as loading stored options does).
    bool checkColumnsOnShow = false;

protected:
    void OnShow() override {
        ++shows;
        if (checkColumnsOnShow)
            SetChecked(chkColumns, true);
    }

    void OnClick(int index) override {
        clicks.push_back(index);
        resultsSeenByCode.push_back(ModalResult());
        // The options dialog's rule: the radio buttons are enabled exactly when their check
        // box is checked.
        if (index == chkColumns) {
            SetEnabled(rbActive, Control(chkColumns).checked);
            SetEnabled(rbRange, Control(chkColumns).checked);
        }
    }

private:
    int Add(std::string name, base::ControlKind kind, std::u16string text, base::Rect bounds,
            int parent, int tabOrder, int result = base::modal_result::None) {
        base::FormControl control;
        control.name = std::move(name);
        control.kind = kind;
        control.caption = std::move(text);
        control.bounds = bounds;
        control.parent = parent;
        control.tabOrder = tabOrder;
        control.modalResult = result;
        return AddControl(std::move(control));
    }
};

} // namespace tarvex::testing

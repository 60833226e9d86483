// The dialog machinery beyond the prompt, on a form shaped like the options dialog: group
// boxes and panels as real parents, tab order through them, check boxes and radio buttons
// changed through the form's model, and the form's code reaching the windows.

#include <windows.h>

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "host/win/desktop.h"
#include "host/win/handles.h"
#include "tests/support/grouped_form.h"
#include "tests/win/dialog_watcher.h"
#include "tests/win/window_capture.h"

namespace tarvex::win {
namespace {

using testing::DialogWatcher;
using testing::GroupedForm;

constexpr wchar_t kDialogClass[] = L"#32770";

int Scaled(int pixels) {
    const UniqueHdc screen(::CreateCompatibleDC(nullptr));
    return ::MulDiv(pixels, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 96);
}

// Tests that show windows take turns with other test programs on the shared display.
class FormDialog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_lock.Held()) << "the test display stayed busy"; }

private:
    testing::DesktopLock m_lock;
};

bool Checked(HWND button) {
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The windows of the form's controls, found by their captions.
struct Windows {
    HWND group, columns, active, range, rows, other, caseBox, ok, help;
};

Windows FindWindows(HWND dialog) {
    const auto find = [&](const wchar_t* text) {
        return testing::FindDescendant(dialog, L"Button", text);
    };
    return {find(L"Track"), find(L"Columns"), find(L"Active"), find(L"Range"), find(L"Rows"),
            find(L"Other"), find(L"Case"),    find(L"Ok"),     find(L"Help")};
}

TEST_F(FormDialog, ContainersAreRealParentsAndChildrenSitAtTheirDesignPositions) {
    GroupedForm form;
    form.Prepare();
    form.checkColumnsOnShow = true;
    struct Seen {
        bool all = false;
        HWND groupParent = nullptr, columnsParent = nullptr, panel = nullptr, panelParent = nullptr;
        LONG_PTR groupStyle = 0, groupExStyle = 0, panelExStyle = 0;
        RECT range{}, other{};
        std::wstring focus;
        bool activeEnabled = false, activeChecked = false, columnsChecked = false;
        std::string screenshot;
    } seen;
    Win32Desktop desktop;
    DialogWatcher watcher(kDialogClass, L"Grouped", [&](HWND dialog) {
        const Windows w = FindWindows(dialog);
        seen.all = w.group && w.columns && w.active && w.range && w.rows && w.other && w.caseBox &&
                   w.ok && w.help;
        if (!seen.all) {
            ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        }
        seen.groupParent = ::GetParent(w.group);
        seen.groupStyle = ::GetWindowLongPtrW(w.group, GWL_STYLE);
        seen.groupExStyle = ::GetWindowLongPtrW(w.group, GWL_EXSTYLE);
        seen.columnsParent = ::GetParent(w.columns);
        seen.panel = ::GetParent(w.active);
        seen.panelParent = ::GetParent(seen.panel);
        seen.panelExStyle = ::GetWindowLongPtrW(seen.panel, GWL_EXSTYLE);
        seen.range = testing::RectInClient(w.range, dialog);
        seen.other = testing::RectInClient(w.other, dialog);
        seen.focus = testing::TextOf(testing::FocusOf(dialog));
        seen.activeEnabled = ::IsWindowEnabled(w.active);
        seen.activeChecked = Checked(w.active);
        seen.columnsChecked = Checked(w.columns);
        watcher.WaitForPainted();
        seen.screenshot = testing::SaveCapture(testing::CaptureSettledWindow(dialog), "grouped");
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(desktop.ShowModal(form), base::modal_result::Cancel);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    ASSERT_TRUE(seen.all) << "a control is missing";

    EXPECT_EQ(seen.columnsParent, seen.panelParent) << "the panel sits in the group box";
    EXPECT_NE(seen.groupParent, seen.columnsParent) << "the group box is the check box's parent";
    EXPECT_EQ(seen.groupStyle & BS_TYPEMASK, BS_GROUPBOX);
    EXPECT_TRUE(seen.groupExStyle & WS_EX_CONTROLPARENT);
    EXPECT_TRUE(seen.panelExStyle & WS_EX_CONTROLPARENT);
    // Range: 11 + 8 + 16, 8 + 48 + 42 in the dialog's client area; Other: 11 + 192 + 21.
    // Each level is scaled on its own, so above 96 DPI a child may round a pixel away from
    // its scaled position in the dialog.
    EXPECT_NEAR(seen.range.left, Scaled(35), 1);
    EXPECT_NEAR(seen.range.top, Scaled(98), 1);
    EXPECT_NEAR(seen.other.left, Scaled(224), 1);
    EXPECT_NEAR(seen.other.top, Scaled(64), 1);
    EXPECT_EQ(seen.focus, L"Columns") << "the first control in tab order that takes the focus";
    EXPECT_TRUE(seen.columnsChecked) << "set by OnShow before the window was built";
    EXPECT_TRUE(seen.activeEnabled) << "enabled by the form's code during OnShow";
    EXPECT_TRUE(seen.activeChecked);
    EXPECT_FALSE(seen.screenshot.empty());
}

TEST_F(FormDialog, TabVisitsTheControlsInTabOrderThroughTheContainers) {
    GroupedForm form;
    form.Prepare();
    form.checkColumnsOnShow = true;
    std::vector<std::wstring> visited;
    Win32Desktop desktop;
    DialogWatcher watcher(kDialogClass, L"Grouped", [&](HWND dialog) {
        HWND focus = testing::FocusOf(dialog);
        visited.push_back(testing::TextOf(focus));
        for (int i = 0; i < 7; ++i) {
            const HWND from = focus;
            testing::PressKey(from, VK_TAB);
            // Moving the focus passes through no focus at all for a moment.
            if (!testing::WaitUntil(
                    [&] {
                        focus = testing::FocusOf(dialog);
                        return focus && focus != from;
                    },
                    3000))
                break;
            visited.push_back(testing::TextOf(focus));
        }
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    desktop.ShowModal(form);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    // A radio group is entered at its checked button; the group box and panels take no focus.
    EXPECT_EQ(visited, (std::vector<std::wstring>{L"Columns", L"Active", L"Rows", L"Other", L"Case",
                                                  L"Ok", L"Help", L"Columns"}));
}

TEST_F(FormDialog, ClicksInsideContainersGoThroughTheModelAndItsCodeReachesTheWindows) {
    GroupedForm form;
    form.Prepare();
    form.checkColumnsOnShow = true;
    struct Seen {
        bool rangeChecked = false, activeCleared = false, radiosDisabled = false;
        bool otherUnchanged = false, columnsFocused = false, enterOnCheckBoxIgnored = false;
    } seen;
    Win32Desktop desktop;
    DialogWatcher watcher(kDialogClass, L"Grouped", [&](HWND dialog) {
        const Windows w = FindWindows(dialog);
        if (!w.range || !w.columns || !w.ok)
            return;
        testing::ClickButton(w.range);
        seen.rangeChecked = testing::WaitUntil([&] { return Checked(w.range); }, 3000);
        seen.activeCleared = !Checked(w.active);
        seen.otherUnchanged = !Checked(w.other);
        // The check box's code disables both radio buttons of its panel.
        testing::ClickButton(w.columns);
        seen.radiosDisabled = testing::WaitUntil(
            [&] { return !::IsWindowEnabled(w.active) && !::IsWindowEnabled(w.range); }, 3000);
        // Enter on a check box is no click on anything (the dialog manager sends IDOK with
        // the focused check box as the sender). The Rows click is handled after it.
        ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(w.columns), TRUE);
        seen.columnsFocused = testing::FocusOf(dialog) == w.columns;
        testing::PressKey(w.columns, VK_RETURN);
        testing::ClickButton(w.rows);
        testing::WaitUntil([&] { return Checked(w.rows); }, 3000);
        seen.enterOnCheckBoxIgnored = ::IsWindow(dialog) && !Checked(w.columns);
        testing::ClickButton(w.ok);
    });
    EXPECT_EQ(desktop.ShowModal(form), base::modal_result::Ok);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    EXPECT_FALSE(watcher.Forced());
    EXPECT_TRUE(seen.rangeChecked);
    EXPECT_TRUE(seen.activeCleared) << "the other radio button of its panel";
    EXPECT_TRUE(seen.otherUnchanged);
    EXPECT_TRUE(seen.radiosDisabled);
    EXPECT_TRUE(seen.columnsFocused);
    EXPECT_TRUE(seen.enterOnCheckBoxIgnored);
    // The model saw the same, and the Ok button's code ran before the dialog ended.
    EXPECT_TRUE(form.Control(form.rbRange).checked);
    EXPECT_FALSE(form.Control(form.rbActive).checked);
    EXPECT_FALSE(form.Control(form.chkColumns).checked);
    EXPECT_FALSE(form.Control(form.rbRange).enabled);
    EXPECT_TRUE(form.Control(form.chkRows).checked);
    EXPECT_EQ(form.clicks, (std::vector<int>{form.chkColumns, form.rbRange, form.chkColumns,
                                             form.chkRows, form.btnOk}));
    EXPECT_EQ(form.resultsSeenByCode.back(), base::modal_result::None);
}

// Two buttons: the first disables itself when pressed, the second ends the form.
class SelfDisablingForm : public base::Form {
public:
    SelfDisablingForm() {
        caption = u"Once";
        clientWidth = 200;
        clientHeight = 60;
        once = Add("btnOnce", u"Once", 20, base::modal_result::None);
        done = Add("btnDone", u"Done", 110, base::modal_result::Ok);
    }
    int once, done;

protected:
    void OnClick(int index) override {
        if (index == once)
            SetEnabled(once, false);
    }

private:
    int Add(std::string name, std::u16string text, int left, int result) {
        base::FormControl button;
        button.name = std::move(name);
        button.kind = base::ControlKind::Button;
        button.caption = std::move(text);
        button.bounds = {left, 20, 75, 25};
        button.tabOrder = ControlCount();
        button.modalResult = result;
        return AddControl(std::move(button));
    }
};

TEST_F(FormDialog, DisablingTheFocusedButtonHandsTheFocusOn) {
    SelfDisablingForm form;
    std::wstring before, after;
    Win32Desktop desktop;
    DialogWatcher watcher(kDialogClass, L"Once", [&](HWND dialog) {
        const HWND once = testing::FocusOf(dialog);
        before = testing::TextOf(once);
        testing::PressKey(once, VK_RETURN);
        testing::WaitUntil([&] { return !::IsWindowEnabled(once); }, 3000);
        const HWND focus = testing::FocusOf(dialog);
        after = focus ? testing::TextOf(focus) : L"(none)";
        testing::PressKey(focus ? focus : dialog, VK_RETURN);
    });
    EXPECT_EQ(desktop.ShowModal(form), base::modal_result::Ok) << "Enter reached the next button";
    watcher.Finish();
    EXPECT_FALSE(watcher.Forced());
    EXPECT_EQ(before, L"Once");
    EXPECT_EQ(after, L"Done");
    EXPECT_FALSE(form.Control(form.once).enabled);
}

} // namespace
} // namespace tarvex::win

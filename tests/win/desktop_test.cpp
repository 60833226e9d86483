// The real duplicate prompt, shown by Win32Desktop and answered from a watcher thread as a
// user would answer it: its window, layout and texts, the keys and clicks that end it, and
// what it does to the other windows of the thread.

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

#include "base/error.h"
#include "host/win/desktop.h"
#include "host/win/handles.h"
#include "settings/information_form.h"
#include "tests/win/dialog_watcher.h"
#include "tests/win/window_capture.h"

namespace tarvex::win {
namespace {

using settings::TfrmInformation;
using testing::DialogWatcher;

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kMessage[] = L"Entered value is duplicate of cell B3. Go to cell B3?";

// Design pixels (96 DPI) at the system's DPI, as the dialogs scale them.
int Scaled(int pixels) {
    const UniqueHdc screen(::CreateCompatibleDC(nullptr));
    return ::MulDiv(pixels, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 96);
}

RECT ScaledRect(int left, int top, int width, int height) {
    return {Scaled(left), Scaled(top), Scaled(left) + Scaled(width), Scaled(top) + Scaled(height)};
}

// Rectangles compared as text, so that a failure shows both.
std::string Text(const RECT& rect) {
    return "(" + std::to_string(rect.left) + "," + std::to_string(rect.top) + ")-(" +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom) + ")";
}

// A visible top-level window of the test's thread, standing in for Excel's windows.
UniqueHwnd TopLevelWindow(const wchar_t* title, int left, DWORD extraStyle = WS_VISIBLE) {
    return UniqueHwnd(::CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW | extraStyle, left,
                                        10, 200, 120, nullptr, nullptr, nullptr, nullptr));
}

// Tests that show windows take turns with other test programs on the shared display.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_lock.Held()) << "the test display stayed busy"; }

private:
    testing::DesktopLock m_lock;
};

class FormDialogFailures : public DesktopTest {};
class OwnedMessageBox : public DesktopTest {};

// Restores the process-wide owner window when a test ends.
class PromptDialog : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        m_previousOwner = m_desktop.OwnerWindow();
        m_prompt.SetMessage(std::u16string(reinterpret_cast<const char16_t*>(kMessage)));
    }
    void TearDown() override { m_desktop.SetOwnerWindow(m_previousOwner); }

    Win32Desktop m_desktop;
    TfrmInformation m_prompt;
    host::WindowHandle m_previousOwner = 0;
};

struct Layout {
    std::wstring caption, windowClass, label, yes, no;
    RECT client{}, labelRect{}, yesRect{}, noRect{};
    LONG_PTR style = 0;
    POINT centre{}, areaCentre{};
    bool idealSize = false;
    bool painted = false;
    std::string screenshot;
};

TEST_F(PromptDialog, ShowsItsCaptionMessageAndLayoutScaledFromDesignPixels) {
    Layout seen;
    DialogWatcher watcher(kDialogClass, L"Information", [&](HWND dialog) {
        seen.caption = testing::TextOf(dialog);
        seen.windowClass = testing::ClassOf(dialog);
        seen.style = ::GetWindowLongPtrW(dialog, GWL_STYLE);
        ::GetClientRect(dialog, &seen.client);
        const HWND label = testing::FindDescendant(dialog, L"Static", kMessage);
        const HWND yes = testing::FindDescendant(dialog, L"Button", L"Yes");
        const HWND no = testing::FindDescendant(dialog, L"Button", L"No");
        if (label && yes && no) {
            seen.label = testing::TextOf(label);
            seen.yes = testing::TextOf(yes);
            seen.no = testing::TextOf(no);
            seen.labelRect = testing::RectInClient(label, dialog);
            seen.yesRect = testing::RectInClient(yes, dialog);
            seen.noRect = testing::RectInClient(no, dialog);
            // BCM_GETIDEALSIZE exists in the version 6 buttons only.
            SIZE ideal{};
            seen.idealSize =
                ::SendMessageW(yes, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != FALSE;
        }
        RECT frame{};
        ::GetWindowRect(dialog, &frame);
        seen.centre = {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoW(::MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
        seen.areaCentre = {(monitor.rcWork.left + monitor.rcWork.right) / 2,
                           (monitor.rcWork.top + monitor.rcWork.bottom) / 2};
        seen.painted = watcher.WaitForPainted();
        seen.screenshot = testing::SaveCapture(testing::CaptureSettledWindow(dialog), "prompt");
        if (no)
            testing::ClickButton(no);
    });
    const int result = m_desktop.ShowModal(m_prompt);
    watcher.Finish();

    ASSERT_TRUE(watcher.Found()) << "no dialog 'Information' appeared";
    EXPECT_FALSE(watcher.Forced());
    EXPECT_EQ(result, base::modal_result::No) << "clicking No answers No";
    EXPECT_EQ(seen.caption, L"Information");
    EXPECT_EQ(seen.windowClass, kDialogClass);
    EXPECT_EQ(seen.label, kMessage);
    EXPECT_EQ(seen.yes, L"Yes");
    EXPECT_EQ(seen.no, L"No");
    EXPECT_EQ(Text(seen.client), Text(ScaledRect(0, 0, 310, 149)));
    EXPECT_EQ(Text(seen.labelRect), Text(ScaledRect(16, 55, 281, 25)));
    EXPECT_EQ(Text(seen.yesRect), Text(ScaledRect(144, 112, 75, 25)));
    EXPECT_EQ(Text(seen.noRect), Text(ScaledRect(224, 112, 75, 25)));
    // A fixed dialog frame with the close box only.
    EXPECT_TRUE(seen.style & WS_SYSMENU);
    EXPECT_TRUE(seen.style & DS_MODALFRAME);
    EXPECT_FALSE(seen.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_LE(std::abs(seen.centre.x - seen.areaCentre.x), 1);
    EXPECT_LE(std::abs(seen.centre.y - seen.areaCentre.y), 1);
    EXPECT_TRUE(seen.idealSize) << "the buttons are the visual-styles (version 6) ones";
    EXPECT_TRUE(seen.painted);
    EXPECT_FALSE(seen.screenshot.empty()) << "no screenshot written";
}

TEST_F(PromptDialog, EnterRightAfterOpeningAnswersYes) {
    std::wstring focused;
    DialogWatcher watcher(kDialogClass, L"Information", [&](HWND dialog) {
        const HWND focus = testing::FocusOf(dialog);
        focused = testing::TextOf(focus);
        testing::PressKey(focus, VK_RETURN);
    });
    const int result = m_desktop.ShowModal(m_prompt);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    EXPECT_EQ(focused, L"Yes");
    EXPECT_EQ(result, base::modal_result::Yes);
    EXPECT_FALSE(watcher.Forced());
}

TEST_F(PromptDialog, EnterOnNoAnswersNo) {
    DialogWatcher watcher(kDialogClass, L"Information", [&](HWND dialog) {
        testing::PressKey(testing::FocusOf(dialog), VK_TAB);
        testing::WaitUntil([&] { return testing::TextOf(testing::FocusOf(dialog)) == L"No"; });
        testing::PressKey(testing::FocusOf(dialog), VK_RETURN);
    });
    EXPECT_EQ(m_desktop.ShowModal(m_prompt), base::modal_result::No);
    watcher.Finish();
    EXPECT_FALSE(watcher.Forced());
}

TEST_F(PromptDialog, CloseBoxAndAltF4AnswerCancel) {
    {
        DialogWatcher watcher(kDialogClass, L"Information", [](HWND dialog) {
            ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(m_desktop.ShowModal(m_prompt), base::modal_result::Cancel);
        watcher.Finish();
        EXPECT_FALSE(watcher.Forced());
    }
    {
        DialogWatcher watcher(kDialogClass, L"Information", [](HWND dialog) {
            // Alt+F4 arrives as a system key with the Alt bit (29) of lParam set.
            const HWND focus = testing::FocusOf(dialog);
            ::PostMessageW(focus, WM_SYSKEYDOWN, VK_F4, 1 | (1 << 29));
            ::PostMessageW(focus, WM_SYSKEYUP, VK_F4, 1 | (1 << 29) | (3u << 30));
        });
        EXPECT_EQ(m_desktop.ShowModal(m_prompt), base::modal_result::Cancel);
        watcher.Finish();
        EXPECT_FALSE(watcher.Forced());
    }
}

TEST_F(PromptDialog, EscapeLeavesItOpen) {
    DialogWatcher watcher(kDialogClass, L"Information", [](HWND dialog) {
        testing::PressKey(testing::FocusOf(dialog), VK_ESCAPE);
        // Handled in order: if Escape had ended the dialog, this click would find it gone.
        testing::ClickButton(testing::FindDescendant(dialog, L"Button", L"No"));
    });
    EXPECT_EQ(m_desktop.ShowModal(m_prompt), base::modal_result::No);
    watcher.Finish();
    EXPECT_FALSE(watcher.Forced());
}

TEST_F(PromptDialog, LongMessageWrapsAndIsClippedAtTheLabelsBottomEdge) {
    m_prompt.SetMessage(u"Entered value is duplicate of cell XFD1048576. Go to cell XFD1048576? "
                        u"This sentence makes the message far longer than the two lines that "
                        u"fit into the label, so its end must be cut off.");
    testing::Capture capture;
    RECT label{}, gap{};
    std::uint32_t background = 0;
    DialogWatcher watcher(kDialogClass, L"Information", [&](HWND dialog) {
        watcher.WaitForPainted();
        capture = testing::CaptureSettledWindow(dialog);
        testing::SaveCapture(capture, "prompt-long-message");
        // Client coordinates to capture coordinates.
        RECT frame{};
        ::GetWindowRect(dialog, &frame);
        POINT origin{0, 0};
        ::ClientToScreen(dialog, &origin);
        const int dx = origin.x - frame.left, dy = origin.y - frame.top;
        label = ScaledRect(16, 55, 281, 25);
        ::OffsetRect(&label, dx, dy);
        // Between the label's bottom edge and the buttons' top edge (at 144 DPI the scaled
        // edges may round a pixel apart from the scaled 80).
        gap = {label.left, label.bottom, label.right, Scaled(112) + dy};
        background = capture.rgb.empty() ? 0 : capture.Pixel(dx + 2, dy + 2);
        testing::ClickButton(testing::FindDescendant(dialog, L"Button", L"No"));
    });
    EXPECT_EQ(m_desktop.ShowModal(m_prompt), base::modal_result::No);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    ASSERT_FALSE(capture.rgb.empty())
        << "the screen could not be read, or the dialog stayed covered";
    const int middle = (label.top + label.bottom) / 2;
    EXPECT_TRUE(capture.AnyPixelOtherThan({label.left, label.top, label.right, middle}, background))
        << "text on the first line";
    EXPECT_TRUE(
        capture.AnyPixelOtherThan({label.left, middle, label.right, label.bottom}, background))
        << "the text wraps onto a second line";
    EXPECT_FALSE(capture.AnyPixelOtherThan(gap, background))
        << "nothing is drawn below the label: the rest is clipped";
}

TEST_F(PromptDialog, OtherWindowsOfTheThreadAreDisabledWhileItIsUpAndComeBackAfter) {
    const UniqueHwnd owner = TopLevelWindow(L"Excel", 10);
    const UniqueHwnd other = TopLevelWindow(L"Other workbook", 300);
    const UniqueHwnd hidden = TopLevelWindow(L"Hidden", 600, 0);
    const UniqueHwnd disabled = TopLevelWindow(L"Disabled", 900, WS_VISIBLE | WS_DISABLED);
    ASSERT_TRUE(owner && other && hidden && disabled);
    ::SetForegroundWindow(owner.Get());
    ::SetActiveWindow(owner.Get());
    m_desktop.SetOwnerWindow(reinterpret_cast<host::WindowHandle>(owner.Get()));

    struct During {
        bool ownerEnabled = true, otherEnabled = true, hiddenEnabled = false;
        HWND dialogOwner = nullptr;
    } during;
    DialogWatcher watcher(kDialogClass, L"Information", [&](HWND dialog) {
        during.ownerEnabled = ::IsWindowEnabled(owner.Get());
        during.otherEnabled = ::IsWindowEnabled(other.Get());
        during.hiddenEnabled = ::IsWindowEnabled(hidden.Get());
        during.dialogOwner = ::GetWindow(dialog, GW_OWNER);
        testing::PressKey(testing::FocusOf(dialog), VK_RETURN);
    });
    EXPECT_EQ(m_desktop.ShowModal(m_prompt), base::modal_result::Yes);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());

    EXPECT_EQ(during.dialogOwner, owner.Get()) << "owned by the owner window";
    EXPECT_FALSE(during.ownerEnabled);
    EXPECT_FALSE(during.otherEnabled);
    EXPECT_TRUE(during.hiddenEnabled) << "hidden windows are left alone";
    EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
    EXPECT_TRUE(::IsWindowEnabled(other.Get()));
    EXPECT_FALSE(::IsWindowEnabled(disabled.Get())) << "it was disabled before and stays so";
    EXPECT_EQ(::GetActiveWindow(), owner.Get()) << "the owner is active again";
    EXPECT_EQ(m_desktop.OwnerWindow(), reinterpret_cast<host::WindowHandle>(owner.Get()));
}

TEST_F(PromptDialog, DestroyedOwnerStillLetsThePromptAppear) {
    HWND gone = nullptr;
    {
        const UniqueHwnd owner = TopLevelWindow(L"Closed workbook", 10);
        gone = owner.Get();
    }
    m_desktop.SetOwnerWindow(reinterpret_cast<host::WindowHandle>(gone));
    HWND dialogOwner = reinterpret_cast<HWND>(1);
    DialogWatcher watcher(kDialogClass, L"Information", [&](HWND dialog) {
        dialogOwner = ::GetWindow(dialog, GW_OWNER);
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(m_desktop.ShowModal(m_prompt), base::modal_result::Cancel);
    watcher.Finish();
    EXPECT_TRUE(watcher.Found());
    EXPECT_EQ(dialogOwner, nullptr);
}

// A form whose button's code fails.
class FailingForm : public base::Form {
public:
    FailingForm() {
        caption = u"Failing";
        clientWidth = 200;
        clientHeight = 80;
        base::FormControl button;
        button.name = "btnFail";
        button.kind = base::ControlKind::Button;
        button.caption = u"Fail";
        button.bounds = {60, 30, 75, 25};
        button.modalResult = base::modal_result::Ok;
        AddControl(std::move(button));
    }
    bool failOnShow = false;

protected:
    void OnShow() override {
        if (failOnShow)
            throw std::runtime_error("no options");
    }
    void OnClick(int) override { throw base::Error(base::hr::AccessDenied, "registry refused"); }
};

TEST_F(FormDialogFailures, ErrorFromTheFormsCodeEndsTheDialogAndPassesOnAfterRestoring) {
    const UniqueHwnd other = TopLevelWindow(L"Other workbook", 300);
    Win32Desktop desktop;
    FailingForm form;
    HWND dialog = nullptr;
    DialogWatcher watcher(kDialogClass, L"Failing", [&](HWND found) {
        dialog = found;
        testing::ClickButton(testing::FindDescendant(found, L"Button", L"Fail"));
    });
    try {
        desktop.ShowModal(form);
        ADD_FAILURE() << "no exception";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), base::hr::AccessDenied);
        EXPECT_EQ(error.Message(), "registry refused");
        EXPECT_TRUE(::IsWindowEnabled(other.Get())) << "restored before the error arrives";
    }
    watcher.Finish();
    EXPECT_TRUE(watcher.Found());
    EXPECT_FALSE(watcher.Forced());
    EXPECT_FALSE(::IsWindow(dialog));
    form.SetCaption(0, u"later"); // the dialog's view is detached: nothing to reach
}

TEST_F(FormDialogFailures, ErrorWhileShowingOpensNothingAndDisablesNothing) {
    const UniqueHwnd other = TopLevelWindow(L"Other workbook", 300);
    Win32Desktop desktop;
    FailingForm form;
    form.failOnShow = true;
    EXPECT_THROW(desktop.ShowModal(form), std::runtime_error);
    EXPECT_TRUE(::IsWindowEnabled(other.Get()));
}

TEST_F(OwnedMessageBox, IsOwnedByTheOwnerWindowAndReturnsTheButtonPressed) {
    const UniqueHwnd owner = TopLevelWindow(L"Excel", 10);
    Win32Desktop desktop;
    const host::WindowHandle previous = desktop.OwnerWindow();
    desktop.SetOwnerWindow(reinterpret_cast<host::WindowHandle>(owner.Get()));
    HWND boxOwner = nullptr;
    bool ownerEnabled = true;
    std::wstring text;
    DialogWatcher watcher(kDialogClass, L"Tarvex test", [&](HWND box) {
        boxOwner = ::GetWindow(box, GW_OWNER);
        ownerEnabled = ::IsWindowEnabled(owner.Get());
        text = testing::TextOf(testing::FindDescendant(box, L"Static", L"Go to cell B3?"));
        testing::ClickButton(::GetDlgItem(box, IDNO));
    });
    const int result =
        desktop.ShowMessage(u"Go to cell B3?", u"Tarvex test",
                            host::message_box::YesNo | host::message_box::IconQuestion);
    watcher.Finish();
    desktop.SetOwnerWindow(previous);
    ASSERT_TRUE(watcher.Found());
    EXPECT_EQ(result, IDNO);
    EXPECT_EQ(boxOwner, owner.Get());
    EXPECT_FALSE(ownerEnabled);
    EXPECT_EQ(text, L"Go to cell B3?");
    EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
}

} // namespace
} // namespace tarvex::win

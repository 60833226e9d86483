// The real "Options" dialog over the real registry of the test prefix, shown by Win32Desktop
// and driven from a watcher thread as a user would: its windows, places and texts, the Tab
// key, what its check boxes do to the radio buttons, and what reaches the registry.

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "host/win/desktop.h"
#include "host/win/handles.h"
#include "host/win/registry.h"
#include "settings/help.h"
#include "settings/options_form.h"
#include "sim/registry/memory_registry.h"
#include "tests/win/dialog_watcher.h"
#include "tests/win/window_capture.h"

namespace tarvex::win {
namespace {

using host::RegistryRoot;
using host::RegistryValue;
using settings::TfrmOptions;
using testing::DialogWatcher;

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr char kOptionsKey[] = "Software\\Morvane Software\\Tarvex\\Options";
constexpr auto kUser = RegistryRoot::CurrentUser;

int Scaled(int pixels) {
    const UniqueHdc screen(::CreateCompatibleDC(nullptr));
    return ::MulDiv(pixels, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 96);
}

// Rectangles compared as text, so that a failure shows both.
std::string Text(const RECT& rect) {
    return "(" + std::to_string(rect.left) + "," + std::to_string(rect.top) + ")-(" +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom) + ")";
}

RECT ScaledRect(int left, int top, int width, int height) {
    return {Scaled(left), Scaled(top), Scaled(left) + Scaled(width), Scaled(top) + Scaled(height)};
}

std::string ScaledText(int left, int top, int width, int height) {
    return Text(ScaledRect(left, top, width, height));
}

// Whether every edge of `actual` lies within a pixel of `expected`: controls inside
// containers are scaled level by level, so above 96 DPI their edges may round a pixel away
// from the scaled design rectangle.
bool WithinAPixel(const RECT& actual, const RECT& expected) {
    return std::abs(actual.left - expected.left) <= 1 && std::abs(actual.top - expected.top) <= 1 &&
           std::abs(actual.right - expected.right) <= 1 &&
           std::abs(actual.bottom - expected.bottom) <= 1;
}

// The folder of the test program, ending in a backslash: the build puts qorvel.chm there.
std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    path.resize(path.find_last_of(L'\\') + 1);
    return base::Utf16ToUtf8(std::u16string(path.begin(), path.end()));
}

// The first visible top-level window of `thread` titled `caption`, other than `except`.
HWND FindThreadWindowTitled(DWORD thread, const wchar_t* caption, HWND except = nullptr);

bool Checked(HWND button) {
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The dialog's windows. Both "Selected range" buttons are found inside their own panels.
struct Windows {
    HWND group, columns, columnPanel, activeColumn, columnRange, rows, rowPanel, activeRow,
        rowRange, caseSensitive, strip, ok, cancel, help;

    explicit Windows(HWND dialog) {
        const auto find = [](HWND parent, const wchar_t* text) {
            return parent ? testing::FindDescendant(parent, L"Button", text) : nullptr;
        };
        group = find(dialog, L"Track");
        columns = find(dialog, L"Columns");
        activeColumn = find(dialog, L"Active column");
        columnPanel = activeColumn ? ::GetParent(activeColumn) : nullptr;
        columnRange = find(columnPanel, L"Selected range");
        rows = find(dialog, L"Rows");
        activeRow = find(dialog, L"Active row");
        rowPanel = activeRow ? ::GetParent(activeRow) : nullptr;
        rowRange = find(rowPanel, L"Selected range");
        caseSensitive = find(dialog, L"Case sensitive");
        ok = find(dialog, L"Ok");
        strip = ok ? ::GetParent(ok) : nullptr;
        cancel = find(dialog, L"Cancel");
        help = find(dialog, L"Help");
    }
    bool All() const {
        return group && columns && columnPanel && activeColumn && columnRange && rows && rowPanel &&
               activeRow && rowRange && caseSensitive && strip && ok && cancel && help;
    }
    // The check boxes and radio buttons that edit the seven options.
    std::vector<std::pair<std::string, HWND>> Options() const {
        return {{"chkColumns", columns},
                {"rbActiveColumn", activeColumn},
                {"rbColumnSelectedRange", columnRange},
                {"chkRows", rows},
                {"rbActiveRow", activeRow},
                {"rbRowSelectedRange", rowRange},
                {"chkCaseSensitive", caseSensitive}};
    }
    // Their states as the unit tests write them: "+" checked, "-" cleared, "#" disabled.
    std::string States() const {
        std::string states;
        for (const auto& [name, window] : Options()) {
            states += states.empty() ? "" : " ";
            states += name;
            states += Checked(window) ? '+' : '-';
            if (!::IsWindowEnabled(window))
                states += '#';
        }
        return states;
    }
};

constexpr char kDefaults[] = "chkColumns+ rbActiveColumn+ rbColumnSelectedRange- chkRows+ "
                             "rbActiveRow+ rbRowSelectedRange- chkCaseSensitive+";

// Takes the shared display for the test, starts and ends with no options stored for the
// prefix's user, and restores the process-wide owner window.
class OptionsDialogWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lock.Held()) << "the test display stayed busy";
        m_previousOwner = m_desktop.OwnerWindow();
        m_desktop.SetOwnerWindow(0);
        m_registry.DeleteTree(kUser, kOptionsKey);
        m_form.HelpFolder = "C:\\Tools\\";
    }
    void TearDown() override {
        m_registry.DeleteTree(kUser, kOptionsKey);
        m_desktop.SetOwnerWindow(m_previousOwner);
    }

    std::optional<RegistryValue> Stored(std::string_view name) {
        std::unique_ptr<host::RegistryKey> key;
        RegistryValue value;
        if (base::Failed(m_registry.OpenKey(kUser, kOptionsKey, host::RegistryAccess::Read, key)) ||
            base::Failed(key->QueryValue(name, value)))
            return std::nullopt;
        return value;
    }
    void Store(std::string_view name, const RegistryValue& value) {
        std::unique_ptr<host::RegistryKey> key;
        ASSERT_EQ(m_registry.CreateKey(kUser, kOptionsKey, key), base::hr::Ok);
        ASSERT_EQ(key->SetValue(name, value), base::hr::Ok);
    }

    testing::DesktopLock m_lock;
    Win32Registry m_registry;
    Win32Desktop m_desktop;
    host::WindowHandle m_previousOwner = 0;
    // The dialog's Help goes to the process's help access, as in the add-in. It runs on the
    // dialog's thread; the watcher only waits for the count.
    settings::HelpAccess m_help{m_desktop, m_registry};
    std::atomic<int> m_helpCalls{0};
    std::string m_lastTopic;
    TfrmOptions m_form{m_registry, m_desktop, [this](const std::string& topic) {
                           m_lastTopic = topic;
                           m_help.OpenText(base::Utf8ToUtf16(topic));
                           ++m_helpCalls;
                       }};
};

TEST_F(OptionsDialogWindow, ShowsEveryControlAtItsDesignPlaceWithItsText) {
    struct Seen {
        bool all = false;
        std::wstring caption;
        LONG_PTR style = 0;
        RECT client{};
        std::vector<std::pair<std::string, RECT>> rects;
        bool parentsRight = false, panelsBorderless = false;
        std::vector<std::string> clipped;
        LONG fontHeight = 0;
        std::string screenshot;
    } seen;
    DialogWatcher watcher(kDialogClass, L"Options", [&](HWND dialog) {
        const Windows w(dialog);
        seen.all = w.All();
        seen.caption = testing::TextOf(dialog);
        seen.style = ::GetWindowLongPtrW(dialog, GWL_STYLE);
        ::GetClientRect(dialog, &seen.client);
        LOGFONTW font{};
        if (::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)),
                         sizeof font, &font) == sizeof font)
            seen.fontHeight = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
        if (seen.all) {
            const std::pair<const char*, HWND> controls[] = {
                {"grpTrack", w.group},
                {"chkColumns", w.columns},
                {"pnlColumns", w.columnPanel},
                {"rbActiveColumn", w.activeColumn},
                {"rbColumnSelectedRange", w.columnRange},
                {"chkRows", w.rows},
                {"pnlRows", w.rowPanel},
                {"rbActiveRow", w.activeRow},
                {"rbRowSelectedRange", w.rowRange},
                {"chkCaseSensitive", w.caseSensitive},
                {"pnlButtons", w.strip},
                {"btnOk", w.ok},
                {"btnCancel", w.cancel},
                {"btnHelp", w.help}};
            for (const auto& [name, window] : controls)
                seen.rects.emplace_back(name, testing::RectInClient(window, dialog));
            seen.parentsRight =
                ::GetParent(w.group) == dialog && ::GetParent(w.columns) == w.group &&
                ::GetParent(w.columnPanel) == w.group && ::GetParent(w.rows) == w.group &&
                ::GetParent(w.rowPanel) == w.group && ::GetParent(w.rowRange) == w.rowPanel &&
                ::GetParent(w.caseSensitive) == dialog && ::GetParent(w.strip) == dialog &&
                ::GetParent(w.cancel) == w.strip && ::GetParent(w.help) == w.strip;
            seen.panelsBorderless = true;
            for (const HWND panel : {w.columnPanel, w.rowPanel, w.strip}) {
                const LONG_PTR style = ::GetWindowLongPtrW(panel, GWL_STYLE);
                const LONG_PTR exStyle = ::GetWindowLongPtrW(panel, GWL_EXSTYLE);
                seen.panelsBorderless = seen.panelsBorderless && !(style & WS_BORDER) &&
                                        !(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) &&
                                        testing::TextOf(panel).empty();
            }
            // Each check box's and radio button's box and caption fit into its rectangle.
            for (const auto& [name, button] : w.Options()) {
                SIZE ideal{};
                RECT rect{};
                ::GetClientRect(button, &rect);
                if (!::SendMessageW(button, BCM_GETIDEALSIZE, 0,
                                    reinterpret_cast<LPARAM>(&ideal)) ||
                    ideal.cx > rect.right || ideal.cy > rect.bottom)
                    seen.clipped.push_back(name + " needs " + std::to_string(ideal.cx) + "x" +
                                           std::to_string(ideal.cy));
            }
        }
        watcher.WaitForPainted();
        seen.screenshot = testing::SaveCapture(testing::CaptureSettledWindow(dialog), "options");
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), base::modal_result::Cancel);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found()) << "no dialog 'Options' appeared";
    EXPECT_FALSE(watcher.Forced());
    ASSERT_TRUE(seen.all) << "a control is missing";

    EXPECT_EQ(seen.caption, L"Options");
    EXPECT_TRUE(seen.style & WS_SYSMENU);
    EXPECT_TRUE(seen.style & DS_MODALFRAME);
    EXPECT_FALSE(seen.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_EQ(Text(seen.client), ScaledText(0, 0, 376, 218));
    // The dialog font grows with the display's DPI as the rectangles do.
    EXPECT_EQ(seen.fontHeight, ::MulDiv(m_form.fontPoints, Scaled(96), 72));
    // In the dialog's client area: rbActiveColumn is group box 11,8 + panel 8,48 + 16,8.
    const std::vector<std::pair<std::string, RECT>> expected = {
        {"grpTrack", ScaledRect(11, 8, 353, 129)},
        {"chkColumns", ScaledRect(27, 32, 97, 17)},
        {"pnlColumns", ScaledRect(19, 56, 145, 73)},
        {"rbActiveColumn", ScaledRect(35, 64, 113, 17)},
        {"rbColumnSelectedRange", ScaledRect(35, 98, 113, 17)},
        {"chkRows", ScaledRect(211, 32, 97, 17)},
        {"pnlRows", ScaledRect(203, 56, 145, 73)},
        {"rbActiveRow", ScaledRect(224, 64, 113, 17)},
        {"rbRowSelectedRange", ScaledRect(224, 98, 113, 17)},
        {"chkCaseSensitive", ScaledRect(16, 154, 97, 17)},
        {"pnlButtons", ScaledRect(0, 177, 376, 41)},
        {"btnOk", ScaledRect(128, 185, 75, 25)},
        {"btnCancel", ScaledRect(208, 185, 75, 25)},
        {"btnHelp", ScaledRect(288, 185, 75, 25)}};
    ASSERT_EQ(seen.rects.size(), std::size(expected));
    for (std::size_t i = 0; i < seen.rects.size(); ++i) {
        EXPECT_EQ(seen.rects[i].first, expected[i].first);
        EXPECT_TRUE(WithinAPixel(seen.rects[i].second, expected[i].second))
            << expected[i].first << " is at " << Text(seen.rects[i].second) << ", designed at "
            << Text(expected[i].second);
    }
    EXPECT_TRUE(seen.parentsRight) << "group box and panels are the real parents";
    EXPECT_TRUE(seen.panelsBorderless);
    EXPECT_EQ(seen.clipped, std::vector<std::string>{}) << "box and caption fit in each";
    EXPECT_FALSE(seen.screenshot.empty()) << "no screenshot written";
}

TEST_F(OptionsDialogWindow, TabVisitsTheControlsInTabOrder) {
    std::vector<std::wstring> visited;
    DialogWatcher watcher(kDialogClass, L"Options", [&](HWND dialog) {
        HWND focus = testing::FocusOf(dialog);
        visited.push_back(testing::TextOf(focus));
        for (int i = 0; i < 8; ++i) {
            const HWND from = focus;
            testing::PressKey(from, VK_TAB);
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
    m_desktop.ShowModal(m_form);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    // Each radio pair is entered at its checked button.
    EXPECT_EQ(visited, (std::vector<std::wstring>{L"Columns", L"Active column", L"Rows",
                                                  L"Active row", L"Case sensitive", L"Ok",
                                                  L"Cancel", L"Help", L"Columns"}));
}

TEST_F(OptionsDialogWindow, FirstOpeningShowsTheDefaultsAndStoresThemEvenOnCancel) {
    ASSERT_FALSE(Stored("TrackColumns"));
    std::string shown;
    DialogWatcher watcher(kDialogClass, L"Options", [&](HWND dialog) {
        const Windows w(dialog);
        if (!w.All())
            return;
        shown = w.States();
        testing::ClickButton(w.cancel);
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), base::modal_result::Cancel);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    EXPECT_FALSE(watcher.Forced());

    EXPECT_EQ(shown, kDefaults);
    const std::pair<const char*, std::uint32_t> defaults[] = {
        {"TrackColumns", 1}, {"ActiveColumn", 1},     {"ColumnSelectedRange", 0}, {"TrackRows", 1},
        {"ActiveRow", 1},    {"RowSelectedRange", 0}, {"CaseSensitive", 1}};
    for (const auto& [name, value] : defaults)
        EXPECT_EQ(Stored(name), RegistryValue::FromDWord(value)) << name;
}

TEST_F(OptionsDialogWindow, ClearingRowsDisablesItsButtonsAndCheckingItAgainRestoresTheirChoice) {
    Store("ActiveRow", RegistryValue::FromDWord(0));
    Store("RowSelectedRange", RegistryValue::FromDWord(1));
    std::vector<std::string> seen;
    DialogWatcher watcher(kDialogClass, L"Options", [&](HWND dialog) {
        const Windows w(dialog);
        if (!w.All())
            return;
        seen.push_back(w.States());
        testing::ClickButton(w.rows);
        testing::WaitUntil([&] { return !Checked(w.rows); }, 3000);
        seen.push_back(w.States());
        testing::ClickButton(w.rows);
        testing::WaitUntil([&] { return Checked(w.rows); }, 3000);
        seen.push_back(w.States());
        testing::ClickButton(w.cancel);
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), base::modal_result::Cancel);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "chkColumns+ rbActiveColumn+ rbColumnSelectedRange- chkRows+ "
                        "rbActiveRow- rbRowSelectedRange+ chkCaseSensitive+",
                        "chkColumns+ rbActiveColumn+ rbColumnSelectedRange- chkRows- "
                        "rbActiveRow-# rbRowSelectedRange+# chkCaseSensitive+",
                        "chkColumns+ rbActiveColumn+ rbColumnSelectedRange- chkRows+ "
                        "rbActiveRow- rbRowSelectedRange+ chkCaseSensitive+"}));
}

TEST_F(OptionsDialogWindow, OkWritesAllSevenAlsoTheDisabledOnes) {
    // Stored in forms that a save replaces: each value reads as true or as its default, and
    // only a write makes it a REG_DWORD 0 or 1.
    Store("TrackColumns", RegistryValue::FromDWord(2));
    Store("ActiveColumn", RegistryValue::FromDWord(7));
    Store("ColumnSelectedRange", RegistryValue::FromString(u"1"));
    Store("TrackRows", RegistryValue::FromDWord(2));
    Store("ActiveRow", RegistryValue::FromDWord(5));
    Store("RowSelectedRange", RegistryValue{host::RegistryType::Binary, {0, 0, 0, 0, 0, 0, 0, 0}});
    Store("CaseSensitive", RegistryValue::FromString(u"0"));
    std::string before;
    DialogWatcher watcher(kDialogClass, L"Options", [&](HWND dialog) {
        const Windows w(dialog);
        if (!w.All())
            return;
        before = w.States();
        testing::ClickButton(w.columns);
        testing::ClickButton(w.rowRange);
        testing::ClickButton(w.ok);
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), base::modal_result::Ok);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    EXPECT_FALSE(watcher.Forced());

    EXPECT_EQ(before, kDefaults);
    const std::pair<const char*, std::uint32_t> written[] = {
        {"TrackColumns", 0}, {"ActiveColumn", 1},     {"ColumnSelectedRange", 0}, {"TrackRows", 1},
        {"ActiveRow", 0},    {"RowSelectedRange", 1}, {"CaseSensitive", 1}};
    for (const auto& [name, value] : written)
        EXPECT_EQ(Stored(name), RegistryValue::FromDWord(value)) << name;
}

TEST_F(OptionsDialogWindow, EscapeAndHelpLeaveItOpenAndTheCloseBoxWritesNothing) {
    Store("TrackRows", RegistryValue::FromDWord(2));
    Store("CaseSensitive", RegistryValue::FromString(u"0"));
    m_form.HelpFolder = ProgramFolder();
    struct Seen {
        std::string before, afterHelp, afterCaseClick;
        bool helpCalled = false, openAfterHelp = false, helpWindow = false;
    } seen;
    DialogWatcher watcher(kDialogClass, L"Options", [&](HWND dialog) {
        const Windows w(dialog);
        if (!w.All())
            return;
        seen.before = w.States();
        testing::PressKey(testing::FocusOf(dialog), VK_ESCAPE);
        // Handled in order after Escape: had Escape ended the dialog, Help would find it gone.
        testing::ClickButton(w.help);
        seen.helpCalled = testing::WaitUntil([&] { return m_helpCalls > 0; }, 5000);
        // The engine opens the help file beside the program in a window of the dialog's
        // thread, titled with the help project's title.
        const DWORD thread = ::GetWindowThreadProcessId(dialog, nullptr);
        HWND helpWindow = nullptr;
        seen.helpWindow = testing::WaitUntil([&] {
            helpWindow = FindThreadWindowTitled(thread, L"Tarvex Help");
            return helpWindow != nullptr;
        });
        if (helpWindow) {
            ::PostMessageW(helpWindow, WM_CLOSE, 0, 0);
            testing::WaitUntil([&] { return !::IsWindow(helpWindow); }, 5000);
        }
        seen.openAfterHelp = ::IsWindow(dialog) && ::IsWindowVisible(dialog);
        seen.afterHelp = w.States();
        testing::ClickButton(w.caseSensitive);
        testing::WaitUntil([&] { return !Checked(w.caseSensitive); }, 3000);
        seen.afterCaseClick = w.States();
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(m_desktop.ShowModal(m_form), base::modal_result::Cancel);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    EXPECT_FALSE(watcher.Forced());

    EXPECT_TRUE(seen.helpCalled);
    EXPECT_EQ(m_helpCalls.load(), 1);
    EXPECT_EQ(m_lastTopic, ProgramFolder() + "qorvel.chm::/Lesson1.htm");
    EXPECT_TRUE(m_help.EngineLoaded());
    EXPECT_TRUE(seen.helpWindow) << "a help window titled 'Tarvex Help'";
    EXPECT_TRUE(seen.openAfterHelp);
    EXPECT_EQ(seen.before, kDefaults);
    EXPECT_EQ(seen.afterHelp, seen.before);
    EXPECT_NE(seen.afterCaseClick, seen.before);
    EXPECT_EQ(Stored("TrackRows"), RegistryValue::FromDWord(2));
    EXPECT_EQ(Stored("CaseSensitive"), RegistryValue::FromString(u"0"));
}

struct TitleSearch {
    const wchar_t* caption;
    HWND except, found;
};

// An EnumThreadWindows callback: a named function, since 32-bit callbacks are stdcall, which
// no lambda converts to.
BOOL CALLBACK MatchTitle(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<TitleSearch*>(context);
    if (window != search.except && ::IsWindowVisible(window) &&
        testing::TextOf(window) == search.caption) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindThreadWindowTitled(DWORD thread, const wchar_t* caption, HWND except) {
    TitleSearch search{caption, except, nullptr};
    ::EnumThreadWindows(thread, &MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(OptionsDialogWindow, FailedSaveShowsAnErrorBoxAndTheDialogStaysOpen) {
    // All seven stored, so that only the save writes; the registry refuses one of them.
    sim::MemoryRegistry registry;
    for (const char* name : {"TrackColumns", "ActiveColumn", "ColumnSelectedRange", "TrackRows",
                             "ActiveRow", "RowSelectedRange", "CaseSensitive"})
        registry.PutValue(kUser, kOptionsKey, name, RegistryValue::FromDWord(1));
    registry.FailEvery(sim::RegistryOperation::SetValue, "TrackRows");
    TfrmOptions form(registry, m_desktop, [](const std::string&) {});
    struct Seen {
        std::wstring text;
        bool dialogUp = false, dialogUpAfterBox = false;
    } seen;
    DialogWatcher watcher(kDialogClass, L"Options", [&](HWND dialog) {
        const Windows w(dialog);
        if (!w.All())
            return;
        testing::ClickButton(w.ok);
        const DWORD thread = ::GetWindowThreadProcessId(dialog, nullptr);
        HWND box = nullptr;
        testing::WaitUntil([&] {
            box = FindThreadWindowTitled(thread, L"Error", dialog);
            return box != nullptr;
        });
        if (!box)
            return;
        seen.text = testing::TextOf(
            testing::FindDescendant(box, L"Static", L"Failed to set data for 'TrackRows'"));
        seen.dialogUp = ::IsWindowVisible(dialog);
        testing::ClickButton(::GetDlgItem(box, IDOK));
        testing::WaitUntil([&] { return !::IsWindow(box); }, 5000);
        seen.dialogUpAfterBox = ::IsWindowVisible(dialog);
        testing::ClickButton(w.cancel);
    });
    EXPECT_EQ(m_desktop.ShowModal(form), base::modal_result::Cancel);
    watcher.Finish();
    ASSERT_TRUE(watcher.Found());
    EXPECT_FALSE(watcher.Forced());
    EXPECT_EQ(seen.text, L"Failed to set data for 'TrackRows'");
    EXPECT_TRUE(seen.dialogUp);
    EXPECT_TRUE(seen.dialogUpAfterBox) << "the dialog stays open after the box";
    std::vector<std::string> writes;
    for (const sim::RegistryCall& call : registry.Log()) {
        if (call.operation == sim::RegistryOperation::SetValue)
            writes.push_back(call.valueName);
    }
    EXPECT_EQ(writes, (std::vector<std::string>{"TrackColumns", "ActiveColumn",
                                                "ColumnSelectedRange", "TrackRows"}))
        << "written up to the refused value, then Cancel writes nothing";
}

} // namespace
} // namespace tarvex::win

// The whole add-in as Excel runs it: registered by regsvr32 where Excel is installed, found
// through Excel's add-in key, created by its ProgID, started, and driven through real COM by
// a simulated Excel and Office; its real prompt is answered as a user would.

#include <windows.h>

#include <olectl.h>

#include <atomic>
#include <cwchar>
#include <gtest/gtest.h>
#include <ole2.h>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "addin/links.h"
#include "host/module_lock.h"
#include "host/registry.h"
#include "host/win/com_adapters.h"
#include "host/win/handles.h"
#include "host/win/registry.h"
#include "server/tarvex_object.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "tests/e2e/host_sketch.h"
#include "tests/win/dialog_watcher.h"
#include "tests/win/registered_dll.h"
#include "tests/win/window_capture.h"

namespace tarvex::win {
namespace {

using host::RegistryRoot;

constexpr char kAddinsKey[] = "Software\\Microsoft\\Office\\Excel\\AddIns";
constexpr char kTarvexKey[] = "Software\\Morvane Software\\Tarvex";

// Keeps the visible top-level windows titled "Tarvex Help" (the help file's title).
BOOL CALLBACK KeepHelpWindow(HWND window, LPARAM windows) {
    if (::IsWindowVisible(window) && testing::TextOf(window) == L"Tarvex Help")
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// Closes the help windows (a user's click on their close box).
BOOL CALLBACK CloseHelpWindow(HWND window, LPARAM) {
    if (testing::TextOf(window) == L"Tarvex Help")
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// The help windows of this thread, once its pending messages are handled.
std::vector<HWND> HelpWindows() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), KeepHelpWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The whole content of a text file (empty when it cannot be read).
std::string ReadFile(const std::wstring& path) {
    std::string text;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    ::CloseHandle(file);
    return text;
}

// Finds a visible dialog captioned `caption` (any caption when it is empty) of a thread (an
// EnumThreadWindows callback).
struct DialogSearch {
    const wchar_t* caption = L"Information";
    HWND found = nullptr;
};
BOOL CALLBACK FindDialogOfThread(HWND window, LPARAM search) {
    auto& state = *reinterpret_cast<DialogSearch*>(search);
    if (::IsWindowVisible(window) && testing::ClassOf(window) == L"#32770" &&
        (!*state.caption || testing::TextOf(window) == state.caption)) {
        state.found = window;
        return FALSE;
    }
    return TRUE;
}

// Keeps the text of the dialog's label: its static control with a text (a message box's
// icon is a static control without one).
BOOL CALLBACK KeepStaticText(HWND child, LPARAM text) {
    if (testing::ClassOf(child) == L"Static" && !testing::TextOf(child).empty())
        *reinterpret_cast<std::wstring*>(text) = testing::TextOf(child);
    return TRUE;
}

// The Options dialog's Selected range of the columns: the one beside Active column, in the
// same panel (the rows' panel has a button of the same caption).
HWND ColumnRangeButton(HWND dialog) {
    const HWND activeColumn = testing::FindDescendant(dialog, L"Button", L"Active column");
    return activeColumn
               ? testing::FindDescendant(::GetParent(activeColumn), L"Button", L"Selected range")
               : nullptr;
}

std::wstring LabelTextOf(HWND dialog) {
    std::wstring text;
    ::EnumChildWindows(dialog, KeepStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

// Answers every dialog captioned `caption` that the creating thread shows until Finish,
// one after the other, with the button labelled `button`, and keeps their texts. A dialog
// without that button, and any dialog still up after a long quiet wait, is closed by force
// (Forced), so that a wrong dialog fails the test instead of hanging it.
class AnswerEvery {
public:
    AnswerEvery(const wchar_t* caption, const wchar_t* button)
        : m_caption(caption)
        , m_button(button)
        , m_thread(::GetCurrentThreadId())
        , m_watcher([this] { Watch(); }) {}
    ~AnswerEvery() { Finish(); }
    AnswerEvery(const AnswerEvery&) = delete;
    AnswerEvery& operator=(const AnswerEvery&) = delete;

    /// Tells the watcher that the watched call has returned and waits for it to end.
    void Finish() {
        m_returned = true;
        if (m_watcher.joinable())
            m_watcher.join();
    }
    bool Forced() const noexcept { return m_forced; }

    /// The texts of the dialogs answered, in order (read after Finish).
    std::vector<std::wstring> texts;

private:
    HWND FindDialog(const wchar_t* caption) const {
        DialogSearch search{caption, nullptr};
        ::EnumThreadWindows(m_thread, FindDialogOfThread, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    void Watch() {
        constexpr int kQuietLimit = 15000;
        int quiet = 0;
        while (!m_returned) {
            const HWND dialog = FindDialog(m_caption);
            if (!dialog) {
                ::Sleep(10);
                if ((quiet += 10) >= kQuietLimit) {
                    // The call shows something else, or hangs: close what is up.
                    ForceClose(FindDialog(L""));
                    quiet = 0;
                }
                continue;
            }
            quiet = 0;
            texts.push_back(LabelTextOf(dialog));
            if (const HWND answer = testing::FindDescendant(dialog, L"Button", m_button))
                testing::ClickButton(answer);
            // The next one is looked for once this one is gone.
            if (!testing::WaitUntil([&] { return !::IsWindow(dialog) || m_returned; }, 10000))
                ForceClose(dialog);
        }
    }

    void ForceClose(HWND dialog) {
        if (!dialog)
            return;
        m_forced = true;
        ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        testing::WaitUntil([&] { return !::IsWindow(dialog) || m_returned; }, 5000);
    }

    const wchar_t* m_caption;
    const wchar_t* m_button;
    DWORD m_thread;
    std::atomic<bool> m_returned{false};
    std::atomic<bool> m_forced{false};
    std::thread m_watcher;
};

// Makes `command` the handler of URL scheme `scheme` while it lives; the handler found before
// (or none) is restored.
class SchemeHandler {
public:
    SchemeHandler(host::Registry& registry, std::string scheme, const std::wstring& command)
        : m_registry(registry)
        , m_path(std::move(scheme) + "\\shell\\open\\command") {
        std::unique_ptr<host::RegistryKey> key;
        m_existed = base::Succeeded(
            registry.OpenKey(RegistryRoot::ClassesRoot, m_path, host::RegistryAccess::Read, key));
        if (m_existed) {
            host::RegistryValue value;
            if (base::Succeeded(key->QueryValue("", value)))
                m_previous = value;
        }
        m_installed =
            base::Succeeded(registry.CreateKey(RegistryRoot::ClassesRoot, m_path, key)) &&
            base::Succeeded(key->SetValue("", host::RegistryValue::FromString(
                                                  std::u16string(command.begin(), command.end()))));
    }
    ~SchemeHandler() {
        std::unique_ptr<host::RegistryKey> key;
        if (!m_existed) {
            static_cast<void>(m_registry.DeleteTree(RegistryRoot::ClassesRoot, m_path));
        } else if (m_previous &&
                   base::Succeeded(m_registry.CreateKey(RegistryRoot::ClassesRoot, m_path, key))) {
            static_cast<void>(key->SetValue("", *m_previous));
        }
    }
    SchemeHandler(const SchemeHandler&) = delete;
    SchemeHandler& operator=(const SchemeHandler&) = delete;

    bool Installed() const noexcept { return m_installed; }

private:
    host::Registry& m_registry;
    std::string m_path;
    bool m_existed = false;
    bool m_installed = false;
    std::optional<host::RegistryValue> m_previous;
};

class OfficeHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(registration.Held());
        ASSERT_TRUE(desktop.Held());
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        Clean();
        // Excel is installed: registration writes the add-in key Excel loads add-ins from.
        ASSERT_TRUE(SetExcelInstalled(registry, true));
        ASSERT_EQ(RunRegsvr32(BuiltDll()), 0u);
        excel.SetVersion(u"16.0");
        excel.AddWorkbook(u"Book1", {u"Sheet1"});
    }
    void TearDown() override {
        ExpectEverythingReleased();
        // Excel cannot be started here to take the bars away: it is "uninstalled" first.
        Clean();
        if (!unregistered) {
            EXPECT_EQ(RunRegsvr32(BuiltDll(), true), 0u);
        }
        ::CoUninitialize();
    }

    // Once the host lets go of the add-in (and the test's own references are gone), the
    // add-in holds none of the host's objects and the DLL none of its own.
    void ExpectEverythingReleased() {
        dispatch.Reset();
        extensibility.Reset();
        application.Reset();
        addInInst = {};
        // Excel exits: Office drops its event connections and COMAddIn.Object.
        excel.Office().Restart();
        EXPECT_EQ(host::ModuleLock::Held(), 0) << "host objects the add-in still holds";
        if (::GetModuleHandleW(L"qorvel.dll")) {
            EXPECT_EQ(ServerCanUnloadNow(), S_OK) << "the DLL's objects are all released";
        }
    }

    void Clean() {
        SetExcelInstalled(registry, false);
        static_cast<void>(registry.DeleteTree(RegistryRoot::CurrentUser, kTarvexKey));
        static_cast<void>(registry.DeleteTree(RegistryRoot::CurrentUser, kAddinKey));
    }

    // What Excel loads at start-up: every add-in key whose LoadBehavior is 3.
    std::vector<std::string> AddinsToLoad() {
        std::vector<std::string> names, load;
        std::unique_ptr<host::RegistryKey> key;
        if (base::Failed(registry.OpenKey(RegistryRoot::CurrentUser, kAddinsKey,
                                          host::RegistryAccess::Read, key)))
            return load;
        static_cast<void>(key->SubkeyNames(names));
        for (const std::string& name : names) {
            std::unique_ptr<host::RegistryKey> addin;
            host::RegistryValue behavior;
            if (base::Succeeded(registry.OpenKey(RegistryRoot::CurrentUser,
                                                 std::string(kAddinsKey) + "\\" + name,
                                                 host::RegistryAccess::Read, addin)) &&
                base::Succeeded(addin->QueryValue("LoadBehavior", behavior)) &&
                behavior.AsDWord() == 3u)
                load.push_back(name);
        }
        return load;
    }

    // The add-in as Excel finds and creates it: its key among Excel's add-ins, its ProgID,
    // its class. The object's IDispatch is kept for the callbacks.
    void CreateFromRegistration() {
        const std::vector<std::string> load = AddinsToLoad();
        EXPECT_EQ(load, std::vector<std::string>{"qorvel.Tarvex"});
        if (load.size() != 1)
            return;
        const std::wstring progId(load[0].begin(), load[0].end());
        CLSID clsid{};
        EXPECT_EQ(::CLSIDFromProgID(progId.c_str(), &clsid), S_OK);
        EXPECT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                                     server::kIidDTExtensibility2, extensibility.PutVoid()),
                  S_OK);
        if (extensibility) {
            EXPECT_EQ(extensibility->QueryInterface(IID_IDispatch, dispatch.PutVoid()), S_OK);
        }
    }

    // A ribbon callback called as Office calls it: arguments last-first in `args`.
    HRESULT Callback(const wchar_t* name, std::vector<VARIANT> args, VARIANT* result = nullptr) {
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        return dispatch->Invoke(DispIdOf(dispatch.Get(), name), IID_NULL, LOCALE_USER_DEFAULT,
                                DISPATCH_METHOD, &params, result, nullptr, nullptr);
    }

    static VARIANT Object(IDispatch* object) {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = VT_DISPATCH;
        value.pdispVal = object;
        return value;
    }

    static VARIANT Bool(bool value) {
        VARIANT variant;
        ::VariantInit(&variant);
        variant.vt = VT_BOOL;
        variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return variant;
    }

    // Starts the add-in on Excel 2016 as Excel does: connection, the ribbon's document and
    // its onLoad, then start-up completion; `afterStartup` connects it as a user loading it
    // later does (start-up runs inside the connection).
    void StartOnTheRibbon(bool afterStartup = false) {
        ASSERT_NO_FATAL_FAILURE(ConnectOnTheRibbon(afterStartup));
        if (!afterStartup) {
            ASSERT_EQ(extensibility->OnStartupComplete(nullptr), S_OK);
        }
    }

    // Starts on the ribbon and presses Track on; the Track control (null on a failure).
    ComPtr<IDispatch> StartTracking() {
        StartOnTheRibbon();
        ComPtr<IDispatch> track = Control(L"toggleButton");
        if (HasFatalFailure() || !track ||
            Callback(L"OnActionState_Callback", {Bool(true), Object(track.Get())}) != S_OK)
            return {};
        return track;
    }

    // Connects the add-in to Excel 2003 at Excel's start (no COMAddIn object, no ribbon).
    void ConnectToExcel2003() {
        excel.SetVersion(u"11.0");
        CreateFromRegistration();
        ASSERT_TRUE(extensibility);
        application = ToCom(excel.Application().Get());
        ASSERT_EQ(extensibility->OnConnection(application.Get(), 1, nullptr, nullptr), S_OK);
    }

    // The start on the ribbon up to, not including, start-up completion.
    void ConnectOnTheRibbon(bool afterStartup = false) {
        CreateFromRegistration();
        ASSERT_TRUE(extensibility);
        addInInst = excel.Office().AddComAddIn(u"qorvel.Tarvex", u"{0}", u"Tarvex");
        application = ToCom(excel.Application().Get());
        const ComPtr<IDispatch> instance = ToCom(addInInst.Get());
        ASSERT_EQ(extensibility->OnConnection(application.Get(), afterStartup ? 0 : 1,
                                              instance.Get(), nullptr),
                  S_OK);
        ComPtr<server::IRibbonExtensibility> ribbon;
        ASSERT_EQ(extensibility->QueryInterface(server::kIidRibbonExtensibility, ribbon.PutVoid()),
                  S_OK);
        const UniqueBstr ribbonId(::SysAllocString(L"Microsoft.Excel.Workbook"));
        UniqueBstr xml;
        ASSERT_EQ(ribbon->GetCustomUI(ribbonId.Get(), xml.Put()), S_OK);
        document.assign(xml.Get(), ::SysStringLen(xml.Get()));
        const ComPtr<IDispatch> ribbonUI = ToCom(excel.Office().RibbonUI().Get());
        ASSERT_EQ(Callback(L"RibbonLoaded_Callback", {Object(ribbonUI.Get())}), S_OK);
    }

    // The IRibbonControl Office hands to the callbacks for the first control of the document
    // written as `<tag idQ="default:ID"` after `after` (null when there is none).
    ComPtr<IDispatch> Control(const std::wstring& tag, std::size_t after = 0) {
        const std::wstring marker = L"<" + tag + L" idQ=\"default:";
        const std::size_t at = document.find(marker, after);
        if (at == std::wstring::npos)
            return {};
        const std::size_t begin = at + marker.size();
        const std::wstring id = document.substr(begin, document.find(L'"', begin) - begin);
        return ToCom(excel.Office().MakeRibbonControl(std::u16string(id.begin(), id.end())).Get());
    }

    // Options..., the group's next control after Track.
    ComPtr<IDispatch> OptionsButton() {
        return Control(L"button", document.find(L"<toggleButton"));
    }

    // The label the ribbon shows for `control` (getLabel).
    std::wstring LabelOf(IDispatch* control) {
        VARIANT text;
        ::VariantInit(&text);
        std::wstring label;
        if (SUCCEEDED(Callback(L"GetLabel_Callback", {Object(control)}, &text)) &&
            text.vt == VT_BSTR)
            label.assign(text.bstrVal, ::SysStringLen(text.bstrVal));
        ::VariantClear(&text);
        return label;
    }

    // The first button of the document whose label is `label`, or null.
    ComPtr<IDispatch> ButtonLabelled(const std::wstring& label) {
        for (std::size_t at = document.find(L"<button"); at != std::wstring::npos;
             at = document.find(L"<button", at + 1)) {
            ComPtr<IDispatch> control = Control(L"button", at);
            if (control && LabelOf(control.Get()) == label)
                return control;
        }
        return {};
    }

    void ShutDown() {
        EXPECT_EQ(extensibility->OnBeginShutdown(nullptr), S_OK);
        EXPECT_EQ(extensibility->OnDisconnection(0, nullptr), S_OK);
    }

    RegistrationLock registration;
    testing::DesktopLock desktop;
    Win32Registry registry;
    sim::SimExcel excel;
    host::Ref<host::Dispatch> addInInst;
    ComPtr<IDispatch> application;
    ComPtr<server::IDTExtensibility2> extensibility;
    ComPtr<IDispatch> dispatch;
    std::wstring document;
    bool unregistered = false;
};

TEST_F(OfficeHost, StartsFromItsRegistrationAndGuardsTheRoadOfOneEntry) {
    ASSERT_TRUE(StartTracking());

    // abc typed into B7 with abc in B3: the real prompt, answered Yes, takes the user to B3.
    excel.SetText({3, 2}, u"abc");
    std::wstring message;
    std::string screenshot;
    std::uint32_t caption = 0;
    testing::DialogWatcher watcher(L"#32770", L"Information", [&](HWND dialog) {
        if (const HWND yes = testing::FindDescendant(dialog, L"Button", L"Yes")) {
            message = LabelTextOf(dialog);
            watcher.WaitForPainted();
            const testing::Capture capture = testing::CaptureSettledWindow(dialog);
            screenshot = testing::SaveCapture(capture, "road_of_one_entry");
            // The caption bar's top row, clear of its text, halfway across.
            if (!capture.rgb.empty())
                caption = capture.Pixel(capture.width / 2, ::GetSystemMetrics(SM_CYFIXEDFRAME));
            testing::ClickButton(yes);
        }
    });
    excel.TypeInto({7, 2}, u"abc");
    watcher.Finish();
    EXPECT_TRUE(watcher.Found());
    EXPECT_FALSE(watcher.Forced());
    EXPECT_EQ(message, L"Entered value is duplicate of cell B3. Go to cell B3?");
    EXPECT_EQ(excel.ActiveCell(), (sim::Cell{3, 2})) << "Yes goes to the duplicate";
    EXPECT_FALSE(screenshot.empty());
    // The picture shows the frame as the user sees it: an active caption (Wine's default
    // colours draw it in one colour, without a gradient).
    const COLORREF active = ::GetSysColor(COLOR_ACTIVECAPTION);
    EXPECT_EQ(caption, (std::uint32_t{GetRValue(active)} << 16) | (GetGValue(active) << 8) |
                           GetBValue(active));

    // A second entry, answered by the close box: the user stays on the changed cell.
    std::wstring second;
    testing::DialogWatcher closer(L"#32770", L"Information", [&](HWND dialog) {
        second = LabelTextOf(dialog);
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    excel.TypeInto({9, 2}, u"abc");
    closer.Finish();
    EXPECT_FALSE(closer.Forced());
    EXPECT_EQ(second, L"Entered value is duplicate of cell B3. Go to cell B3?");
    EXPECT_EQ(excel.ActiveCell(), (sim::Cell{9, 2})) << "the close box keeps the changed cell";

    // xyz typed into E5 with xyz in E2 and in A5: two prompts, the column's first, each
    // answered No.
    excel.SetText({2, 5}, u"xyz");
    excel.SetText({5, 1}, u"xyz");
    AnswerEvery both(L"Information", L"No");
    excel.TypeInto({5, 5}, u"xyz");
    both.Finish();
    EXPECT_FALSE(both.Forced());
    EXPECT_EQ(both.texts, (std::vector<std::wstring>{
                              L"Entered value is duplicate of cell E2. Go to cell E2?",
                              L"Entered value is duplicate of cell A5. Go to cell A5?"}));
    ShutDown();
}

TEST_F(OfficeHost, OnlyTheSheetInFrontOfTheUserIsChecked) {
    ASSERT_TRUE(StartTracking());
    // A second sheet: its events reach the add-in's sink by their ids and change nothing.
    excel.NewSheet();
    excel.GoToSheet(u"Sheet1");
    excel.SetText({3, 2}, u"abc");
    excel.SetText(u"Sheet2", {3, 2}, u"abc");

    // A macro writing Sheet2 raises no prompt; the user's entry on Sheet1 does, which needs
    // the changed sheet and the active sheet known as one object through real COM.
    AnswerEvery prompts(L"Information", L"No");
    excel.Write(u"Sheet2", {{7, 2, 7, 2}}, u"abc");
    excel.TypeInto({7, 2}, u"abc");
    prompts.Finish();
    EXPECT_FALSE(prompts.Forced());
    EXPECT_EQ(prompts.texts,
              std::vector<std::wstring>{L"Entered value is duplicate of cell B3. Go to cell B3?"});
    ShutDown();
}

TEST_F(OfficeHost, OnExcel2003TheBarsTrackButtonSwitchesTrackingThroughItsClickEvent) {
    ASSERT_NO_FATAL_FAILURE(ConnectToExcel2003());
    ASSERT_EQ(extensibility->OnStartupComplete(nullptr), S_OK);

    sim::SimOffice& office = excel.Office();
    const auto bar = office.FindBar(u"Tarvex");
    ASSERT_TRUE(bar);
    EXPECT_TRUE(office.Bar(*bar).visible);
    std::vector<std::u16string> captions;
    std::optional<sim::SimOffice::ControlHandle> track;
    for (const auto handle : office.Controls(*bar)) {
        captions.push_back(office.Control(handle).caption);
        if (office.Control(handle).caption == u"Track")
            track = handle;
    }
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"Track", u"Options...", u"Help"}));
    ASSERT_TRUE(track);
    // The bar as Office draws it from the faces the add-in gave its buttons.
    constexpr std::uint32_t kBarColour = 0xECE9D8;
    constexpr std::int32_t kPopup = 10; // msoControlPopup
    std::vector<testing::ShownButton> shown;
    for (const auto handle : office.Controls(*bar)) {
        const sim::CommandBarControlData& data = office.Control(handle);
        shown.push_back({testing::FaceAsShown(data.face, kBarColour),
                         std::wstring(data.caption.begin(), data.caption.end()),
                         data.type == kPopup});
    }
    EXPECT_TRUE(shown[0].face && shown[1].face) << "Track and Options... show their pictures";
    EXPECT_FALSE(testing::SketchCommandBar(shown, kBarColour, "command_bar").empty());
    EXPECT_EQ(office.Control(*track).state, 0) << "up: tracking is off";

    // The click reaches the add-in through the button's connection point.
    office.Click(*track);
    EXPECT_EQ(office.Control(*track).state, -1) << "down: tracking is on";
    // No workbook left: Track is disabled; a new one enables it again.
    while (excel.CloseActiveWorkbook()) {
    }
    EXPECT_FALSE(office.Control(*track).enabled);
    excel.NewWorkbook();
    EXPECT_TRUE(office.Control(*track).enabled);
    EXPECT_EQ(office.Control(*track).state, -1) << "the switch stays on";
    ShutDown();
}

// Raw automation calls, as Excel and Office make them: DISPPARAMS built by hand, arguments
// last-first, through the IDispatch vtable of the callee.
HRESULT RawInvoke(IDispatch* callee, DISPID member, WORD flags, std::vector<VARIANT> args,
                  VARIANT* result = nullptr) {
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    return callee->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                          nullptr);
}

ComPtr<IDispatch> RawObject(IDispatch* from, DISPID property, std::vector<VARIANT> args = {}) {
    VARIANT result;
    ::VariantInit(&result);
    ComPtr<IDispatch> object;
    if (SUCCEEDED(RawInvoke(from, property, DISPATCH_PROPERTYGET, std::move(args), &result)) &&
        result.vt == VT_DISPATCH)
        *object.Put() = result.pdispVal; // the result's reference moves into the owner
    else
        ::VariantClear(&result);
    return object;
}

TEST_F(OfficeHost, ExcelsOwnWireFormatReachesTheAddinsObjectsUnconverted) {
    ASSERT_NO_FATAL_FAILURE(StartOnTheRibbon(true));
    // The onAction of a toggle button: the control (VT_DISPATCH) and pressed (VT_BOOL).
    const ComPtr<IDispatch> control = Control(L"toggleButton");
    ASSERT_TRUE(control);
    ASSERT_EQ(Callback(L"OnActionState_Callback", {Bool(true), Object(control.Get())}), S_OK);

    // The add-in's application event sink, as Excel holds it.
    const auto sinks = excel.AdvisedSinks();
    ASSERT_EQ(sinks.size(), 1u);
    const ComPtr<IDispatch> sink = ToCom(sinks[0].Get());

    // SheetChange(Sh, Target) = DISPID 0x61C, both VT_DISPATCH, Target first in the array.
    excel.SetText({3, 2}, u"abc");
    excel.SetText({7, 2}, u"abc");
    const ComPtr<IDispatch> sheet = RawObject(application.Get(), 0x133); // ActiveSheet
    ASSERT_TRUE(sheet);
    VARIANT address;
    ::VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = ::SysAllocString(L"B7");
    const ComPtr<IDispatch> target = RawObject(sheet.Get(), 0xC5, {address}); // Range("B7")
    ::VariantClear(&address);
    ASSERT_TRUE(target);
    std::wstring message;
    testing::DialogWatcher watcher(L"#32770", L"Information", [&](HWND dialog) {
        message = LabelTextOf(dialog);
        if (const HWND no = testing::FindDescendant(dialog, L"Button", L"No"))
            testing::ClickButton(no);
    });
    EXPECT_EQ(
        RawInvoke(sink.Get(), 0x61C, DISPATCH_METHOD, {Object(target.Get()), Object(sheet.Get())}),
        S_OK);
    watcher.Finish();
    EXPECT_EQ(message, L"Entered value is duplicate of cell B3. Go to cell B3?");

    // WorkbookBeforeClose(Wb, Cancel) = DISPID 0x622, Cancel VT_BYREF|VT_BOOL: the add-in
    // keeps Excel's answer as it is.
    const ComPtr<IDispatch> book = RawObject(application.Get(), 0x134); // ActiveWorkbook
    ASSERT_TRUE(book);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT cancelArg;
    ::VariantInit(&cancelArg);
    cancelArg.vt = VT_BYREF | VT_BOOL;
    cancelArg.pboolVal = &cancel;
    EXPECT_EQ(RawInvoke(sink.Get(), 0x622, DISPATCH_METHOD, {cancelArg, Object(book.Get())}), S_OK);
    EXPECT_EQ(cancel, VARIANT_FALSE);

    // A command bar button's Click(Ctrl, CancelDefault) = DISPID 1 on the Track button of
    // the (hidden) bar: tracking goes off again, and the ribbon's toggle shows it.
    sim::SimOffice& office = excel.Office();
    const auto bar = office.FindBar(u"Tarvex");
    ASSERT_TRUE(bar);
    std::optional<sim::SimOffice::ControlHandle> track;
    for (const auto handle : office.Controls(*bar))
        if (office.Control(handle).caption == u"Track")
            track = handle;
    ASSERT_TRUE(track);
    const auto buttonSinks = office.AdvisedSinks(*track);
    ASSERT_EQ(buttonSinks.size(), 1u);
    const ComPtr<IDispatch> button = ToCom(office.ObjectOf(*track).Get());
    VARIANT_BOOL cancelDefault = VARIANT_FALSE;
    VARIANT cancelDefaultArg;
    ::VariantInit(&cancelDefaultArg);
    cancelDefaultArg.vt = VT_BYREF | VT_BOOL;
    cancelDefaultArg.pboolVal = &cancelDefault;
    EXPECT_EQ(RawInvoke(ToCom(buttonSinks[0].Get()).Get(), 1, DISPATCH_METHOD,
                        {cancelDefaultArg, Object(button.Get())}),
              S_OK);
    VARIANT state;
    ::VariantInit(&state);
    ASSERT_EQ(Callback(L"GetPressed_Callback", {Object(control.Get())}, &state), S_OK);
    EXPECT_EQ(state.vt, VT_BOOL);
    EXPECT_EQ(state.boolVal, VARIANT_FALSE) << "the bar's Track switched tracking off";
    ShutDown();
}

TEST_F(OfficeHost, OptionsFromTheButtonAndTheLauncherAreStoredAndGuideTheNextEntries) {
    ASSERT_TRUE(StartTracking());
    const ComPtr<IDispatch> options = OptionsButton();
    ASSERT_TRUE(options);
    EXPECT_EQ(LabelOf(options.Get()), L"Options...");

    // In the real dialog: case no longer matters, and columns are checked in the range
    // selected when Ok is pressed (B1:B10).
    excel.Select({1, 2, 10, 2});
    testing::DialogWatcher watcher(L"#32770", L"Options", [&](HWND dialog) {
        const HWND caseSensitive = testing::FindDescendant(dialog, L"Button", L"Case sensitive");
        const HWND columnRange = ColumnRangeButton(dialog);
        const HWND ok = testing::FindDescendant(dialog, L"Button", L"Ok");
        if (!caseSensitive || !columnRange || !ok)
            return;
        watcher.WaitForPainted();
        testing::SaveCapture(testing::CaptureSettledWindow(dialog), "options_end_to_end");
        testing::ClickButton(caseSensitive);
        testing::ClickButton(columnRange);
        testing::ClickButton(ok);
    });
    ASSERT_EQ(Callback(L"OnActionCommon_Callback", {Object(options.Get())}), S_OK);
    watcher.Finish();
    EXPECT_TRUE(watcher.Found());
    EXPECT_FALSE(watcher.Forced());

    // Wine's registry holds the seven values the dialog saved.
    const std::pair<const char*, std::uint32_t> stored[] = {
        {"TrackColumns", 1}, {"ActiveColumn", 0},     {"ColumnSelectedRange", 1}, {"TrackRows", 1},
        {"ActiveRow", 1},    {"RowSelectedRange", 0}, {"CaseSensitive", 0}};
    std::unique_ptr<host::RegistryKey> key;
    ASSERT_EQ(registry.OpenKey(RegistryRoot::CurrentUser, std::string(kTarvexKey) + "\\Options",
                               host::RegistryAccess::Read, key),
              base::hr::Ok);
    for (const auto& [name, value] : stored) {
        host::RegistryValue read;
        EXPECT_EQ(key->QueryValue(name, read), base::hr::Ok) << name;
        EXPECT_EQ(read.AsDWord(), value) << name;
    }

    // ABC typed into B8 with abc in B3: a duplicate now.
    excel.SetText({3, 2}, u"abc");
    std::wstring message;
    testing::DialogWatcher prompt(L"#32770", L"Information", [&](HWND dialog) {
        message = LabelTextOf(dialog);
        if (const HWND no = testing::FindDescendant(dialog, L"Button", L"No"))
            testing::ClickButton(no);
    });
    excel.TypeInto({8, 2}, u"ABC");
    prompt.Finish();
    EXPECT_EQ(message, L"Entered value is duplicate of cell B3. Go to cell B3?");

    // The range is the one selected at Ok: selecting elsewhere later does not move it, and
    // an entry below it is not checked against the column.
    excel.Select({1, 4, 2, 4});
    AnswerEvery outside(L"Information", L"No");
    excel.TypeInto({12, 2}, u"abc");
    outside.Finish();
    EXPECT_TRUE(outside.texts.empty()) << "B12 lies outside B1:B10";
    AnswerEvery inside(L"Information", L"No");
    excel.TypeInto({9, 2}, u"abc");
    inside.Finish();
    EXPECT_EQ(inside.texts,
              std::vector<std::wstring>{L"Entered value is duplicate of cell B3. Go to cell B3?"});

    // The dialog box launcher opens the same dialog with what was stored: Case sensitive is
    // clicked on again and saved.
    const ComPtr<IDispatch> launcher = Control(L"button", document.find(L"<dialogBoxLauncher"));
    ASSERT_TRUE(launcher);
    bool wasChecked = true;
    testing::DialogWatcher again(L"#32770", L"Options", [&](HWND dialog) {
        const HWND caseSensitive = testing::FindDescendant(dialog, L"Button", L"Case sensitive");
        const HWND ok = testing::FindDescendant(dialog, L"Button", L"Ok");
        if (!caseSensitive || !ok)
            return;
        wasChecked = ::SendMessageW(caseSensitive, BM_GETCHECK, 0, 0) == BST_CHECKED;
        testing::ClickButton(caseSensitive);
        testing::ClickButton(ok);
    });
    ASSERT_EQ(Callback(L"OnActionCommon_Callback", {Object(launcher.Get())}), S_OK);
    again.Finish();
    EXPECT_TRUE(again.Found());
    EXPECT_FALSE(wasChecked) << "the stored choice is shown";
    host::RegistryValue caseValue;
    ASSERT_EQ(key->QueryValue("CaseSensitive", caseValue), base::hr::Ok);
    EXPECT_EQ(caseValue.AsDWord(), 1u);
    ShutDown();
}

// The error information a failed call left for its caller: source and description.
std::pair<std::wstring, std::wstring> LastErrorInfo() {
    ComPtr<IErrorInfo> info;
    std::pair<std::wstring, std::wstring> texts;
    if (::GetErrorInfo(0, info.Put()) != S_OK || !info)
        return texts;
    UniqueBstr source, description;
    if (SUCCEEDED(info->GetSource(source.Put())) && source)
        texts.first.assign(source.Get(), ::SysStringLen(source.Get()));
    if (SUCCEEDED(info->GetDescription(description.Put())) && description)
        texts.second.assign(description.Get(), ::SysStringLen(description.Get()));
    return texts;
}

constexpr wchar_t kErrorBoxLead[] = L"Tarvex error: the add-in has fired an exception.\r\n";

TEST_F(OfficeHost, AVersionExcelCannotGiveEndsStartUpWithAnErrorForOfficeAlone) {
    ASSERT_NO_FATAL_FAILURE(ConnectOnTheRibbon());
    excel.FailMember("Application.Version");
    AnswerEvery boxes(L"Error", L"OK");
    const HRESULT started = extensibility->OnStartupComplete(nullptr);
    boxes.Finish();
    EXPECT_TRUE(FAILED(started));
    const auto [source, description] = LastErrorInfo();
    EXPECT_EQ(source, L"qorvel.Tarvex");
    EXPECT_FALSE(description.empty());
    EXPECT_TRUE(boxes.texts.empty()) << "nothing is shown to the user on this path";
    excel.ClearFailures();
    EXPECT_FALSE(excel.Office().FindBar(u"Tarvex")) << "start-up ended before the bars";
    ShutDown();
}

TEST_F(OfficeHost, OnExcel2003ABarExcelWillNotAddIsReportedOnceAndStartUpGoesOn) {
    ASSERT_NO_FATAL_FAILURE(ConnectToExcel2003());
    excel.Office().FailMember("CommandBars.Add");
    AnswerEvery boxes(L"Error", L"OK");
    EXPECT_EQ(extensibility->OnStartupComplete(nullptr), S_OK);
    boxes.Finish();
    EXPECT_FALSE(boxes.Forced());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind(kErrorBoxLead, 0), 0u) << "the message box shows the error";
    EXPECT_GT(boxes.texts[0].size(), std::wcslen(kErrorBoxLead)) << "and the error's text";
    excel.ClearFailures();
    EXPECT_FALSE(excel.Office().FindBar(u"Tarvex"));
    // Start-up went on to its end, where the first start is recorded.
    std::unique_ptr<host::RegistryKey> key;
    host::RegistryValue mode;
    ASSERT_EQ(
        registry.OpenKey(RegistryRoot::CurrentUser, kAddinKey, host::RegistryAccess::Read, key),
        base::hr::Ok);
    ASSERT_EQ(key->QueryValue("ADXStartMode", mode), base::hr::Ok);
    EXPECT_EQ(mode.AsString(), std::optional<std::u16string>(u"NORMAL"));
    ShutDown();
}

TEST_F(OfficeHost, FailuresOfExcelDuringUseReachTheUserOnlyWhereAClickFailed) {
    const ComPtr<IDispatch> track = StartTracking();
    ASSERT_TRUE(track);

    // A search Excel cannot answer: the entry stays unchecked, silently.
    excel.SetText({3, 2}, u"abc");
    excel.FailMember("Range.Find");
    AnswerEvery silent(L"Error", L"OK");
    AnswerEvery noPrompt(L"Information", L"No");
    excel.TypeInto({7, 2}, u"abc");
    silent.Finish();
    noPrompt.Finish();
    EXPECT_TRUE(silent.texts.empty());
    EXPECT_TRUE(noPrompt.texts.empty());
    excel.ClearFailures();

    // Track pressed off and on again with the selected-range modes stored, while Excel
    // cannot say what is selected: the click fails, the user is told, and the toggle does
    // not claim tracking is on.
    ASSERT_EQ(Callback(L"OnActionState_Callback", {Bool(false), Object(track.Get())}), S_OK);
    std::unique_ptr<host::RegistryKey> options;
    ASSERT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, std::string(kTarvexKey) + "\\Options",
                                 options),
              base::hr::Ok);
    for (const char* name : {"TrackColumns", "ColumnSelectedRange"}) {
        ASSERT_EQ(options->SetValue(name, host::RegistryValue::FromDWord(1)), base::hr::Ok);
    }
    excel.FailMember("Application.Selection");
    AnswerEvery boxes(L"Error", L"OK");
    EXPECT_EQ(Callback(L"OnActionState_Callback", {Bool(true), Object(track.Get())}), S_OK);
    boxes.Finish();
    excel.ClearFailures();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind(kErrorBoxLead, 0), 0u);
    VARIANT pressed;
    ::VariantInit(&pressed);
    ASSERT_EQ(Callback(L"GetPressed_Callback", {Object(track.Get())}, &pressed), S_OK);
    EXPECT_EQ(pressed.boolVal, VARIANT_FALSE) << "tracking stayed off";
    ShutDown();
}

TEST_F(OfficeHost, OptionsSavedWhileExcelCannotNameTheSelectionAreKeptAndTheUserIsTold) {
    ASSERT_TRUE(StartTracking());
    const ComPtr<IDispatch> options = OptionsButton();
    ASSERT_TRUE(options);
    // The user picks the column's Selected range and Ok; the add-in then reloads its
    // options and asks Excel for the selection, which fails.
    excel.FailMember("Application.Selection");
    testing::DialogWatcher dialog(L"#32770", L"Options", [&](HWND window) {
        const HWND columnRange = ColumnRangeButton(window);
        const HWND ok = testing::FindDescendant(window, L"Button", L"Ok");
        if (!columnRange || !ok)
            return;
        testing::ClickButton(columnRange);
        testing::ClickButton(ok);
    });
    AnswerEvery boxes(L"Error", L"OK");
    EXPECT_EQ(Callback(L"OnActionCommon_Callback", {Object(options.Get())}), S_OK);
    dialog.Finish();
    boxes.Finish();
    excel.ClearFailures();
    EXPECT_FALSE(dialog.Forced());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind(kErrorBoxLead, 0), 0u);
    // What the user chose is stored all the same.
    std::unique_ptr<host::RegistryKey> key;
    host::RegistryValue range;
    ASSERT_EQ(registry.OpenKey(RegistryRoot::CurrentUser, std::string(kTarvexKey) + "\\Options",
                               host::RegistryAccess::Read, key),
              base::hr::Ok);
    ASSERT_EQ(key->QueryValue("ColumnSelectedRange", range), base::hr::Ok);
    EXPECT_EQ(range.AsDWord(), 1u);
    ShutDown();
}

// Every call the add-in makes into Excel for one checked entry, failed one at a time
// through real COM: each run ends quietly at the failed call, and Excel goes on.
TEST_F(OfficeHost, AnyFailingExcelCallOfACheckedEntryEndsTheCheckSilently) {
    ASSERT_TRUE(StartTracking());
    excel.SetText({3, 2}, u"abc");
    const auto enter = [&](std::size_t failing) {
        excel.SetText({7, 2}, u"");
        excel.ClearCalls();
        if (failing > 0)
            excel.FailCall(failing);
        testing::DialogWatcher prompt(L"#32770", L"Information", [](HWND dialog) {
            testing::ClickButton(testing::FindDescendant(dialog, L"Button", L"No"));
        });
        excel.TypeInto({7, 2}, u"abc");
        prompt.Finish();
        excel.ClearFailures();
        EXPECT_FALSE(prompt.Forced()) << "no other dialog; failing call " << failing;
        return prompt.Found();
    };
    ASSERT_TRUE(enter(0));
    const std::size_t total = excel.Calls().size();
    ASSERT_GT(total, 10u);
    std::size_t prompted = 0;
    for (std::size_t k = 1; k <= total; ++k) {
        prompted += enter(k) ? 1 : 0;
        EXPECT_EQ(excel.Calls().size(), k) << "nothing is asked after failing call " << k;
    }
    EXPECT_GT(prompted, 0u) << "calls after the prompt were swept too";
    EXPECT_LT(prompted, total);
    std::printf("fault sweep, a checked entry through COM: %zu Excel calls failed one by one\n",
                total);
    ShutDown();
}

TEST_F(OfficeHost, HelpFromTheRibbonsMenuOpensTheHelpFileBesideTheDll) {
    ASSERT_NO_FATAL_FAILURE(StartOnTheRibbon());
    // The Help menu's last item, after its last separator, is the help file's entry.
    const ComPtr<IDispatch> item = Control(L"button", document.rfind(L"<menuSeparator"));
    ASSERT_TRUE(item);
    EXPECT_EQ(LabelOf(item.Get()), L"Help");
    ASSERT_EQ(Callback(L"OnActionCommon_Callback", {Object(item.Get())}), S_OK);
    EXPECT_TRUE(testing::WaitUntil([] { return HelpWindows().size() == 1; }, 10000))
        << "a help window on qorvel.chm";
    if (const std::vector<HWND> windows = HelpWindows(); windows.size() == 1) {
        // The window draws its page from this thread's messages: let it, then keep a picture.
        testing::WaitUntil(
            [] {
                HelpWindows();
                return false;
            },
            1500);
        EXPECT_FALSE(
            testing::SaveCapture(testing::CaptureWindow(windows[0]), "help_window").empty());
    }
    ::EnumThreadWindows(::GetCurrentThreadId(), CloseHelpWindow, 0);
    EXPECT_TRUE(testing::WaitUntil([] { return HelpWindows().empty(); }, 5000));
    ShutDown();
}

TEST_F(OfficeHost, EachLinkHandsItsExactAddressToTheShell) {
    // The prefix's https and mailto handler records the address instead of opening it.
    const std::wstring record = TestFolder() + L"links-opened.txt";
    ::DeleteFileW(record.c_str());
    const std::wstring command =
        L"\"" + TestFolder() + L"tarvex_link_recorder.exe\" \"" + record + L"\" \"%1\"";
    // Wine reads a scheme's handler from the machine's classes only (a per-user one in
    // HKCU\Software\Classes is not looked at), so the test puts its recorder there and
    // puts Wine's own handler back afterwards.
    const SchemeHandler https(registry, "https", command);
    const SchemeHandler mailto(registry, "mailto", command);
    ASSERT_TRUE(https.Installed() && mailto.Installed());
    ASSERT_NO_FATAL_FAILURE(StartOnTheRibbon());

    const std::pair<const wchar_t*, addin::Link> links[] = {
        {L"Request support online", addin::Link::RequestSupportOnline},
        {L"Request support via e-mail", addin::Link::RequestSupportViaEmail},
        {L"Anonymous feedback", addin::Link::AnonymousFeedback},
        {L"Tell a friend/colleague", addin::Link::TellAFriend},
        {L"Subscribe to news", addin::Link::SubscribeToNews},
        {L"Suggest new feature", addin::Link::SuggestNewFeature}};
    std::string expected;
    for (const auto& [label, link] : links) {
        SCOPED_TRACE(std::string(label, label + std::wcslen(label)));
        const ComPtr<IDispatch> item = ButtonLabelled(label);
        ASSERT_TRUE(item);
        ASSERT_EQ(Callback(L"OnActionCommon_Callback", {Object(item.Get())}), S_OK);
        expected += addin::LinkAddress(link) + "\n";
        // The handler runs as a process of its own: wait for its line.
        EXPECT_TRUE(testing::WaitUntil([&] { return ReadFile(record) == expected; }, 15000))
            << "recorded:\n"
            << ReadFile(record);
    }
    ShutDown();
    ::DeleteFileW(record.c_str());
}

TEST_F(OfficeHost, EveryCallbackTheDocumentNamesAnswersAndTheImagesAreAlphaBitmaps) {
    ASSERT_NO_FATAL_FAILURE(StartOnTheRibbon());
    // The document as Office received it, for the schema check that runs after this test.
    ::CreateDirectoryW(L"test-output", nullptr);
    {
        const int size =
            ::WideCharToMultiByte(CP_UTF8, 0, document.c_str(), static_cast<int>(document.size()),
                                  nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<std::size_t>(size), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, document.c_str(), static_cast<int>(document.size()),
                              utf8.data(), size, nullptr, nullptr);
        const HANDLE file = ::CreateFileW(L"test-output\\customui_from_dll.xml", GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        EXPECT_TRUE(
            ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr));
        ::CloseHandle(file);
    }

    // Every get* callback of every control, as Office calls them to draw the ribbon.
    const std::wregex element(L"<([a-zA-Z]+) [^>]*idQ=\"default:([A-Za-z0-9]+)\"[^>]*>");
    const std::wregex callback(L" get[A-Za-z]+=\"([A-Za-z_]+)\"");
    int calls = 0;
    int images = 0;
    std::vector<testing::ShownControl> shown;
    for (std::wsregex_iterator it(document.begin(), document.end(), element), end; it != end;
         ++it) {
        const std::wstring id = (*it)[2];
        const std::wstring tag = it->str();
        testing::ShownControl& control = shown.emplace_back();
        control.tag = (*it)[1];
        const ComPtr<IDispatch> ribbonControl =
            ToCom(excel.Office().MakeRibbonControl(std::u16string(id.begin(), id.end())).Get());
        for (std::wsregex_iterator call(tag.begin(), tag.end(), callback); call != end; ++call) {
            const std::wstring name = (*call)[1];
            SCOPED_TRACE(std::string(id.begin(), id.end()) + " " +
                         std::string(name.begin(), name.end()));
            VARIANT result;
            ::VariantInit(&result);
            ASSERT_EQ(Callback(name.c_str(), {Object(ribbonControl.Get())}, &result), S_OK);
            ++calls;
            if (name == L"GetLabel_Callback" && result.vt == VT_BSTR)
                control.label.assign(result.bstrVal, ::SysStringLen(result.bstrVal));
            else if (name == L"GetSize_Callback" && result.vt == VT_I4)
                control.size = result.lVal == 1 ? L"large" : L"normal";
            else if (name == L"GetEnabled_Callback" && result.vt == VT_BOOL)
                control.enabled = result.boolVal != VARIANT_FALSE;
            else if (name == L"GetPressed_Callback" && result.vt == VT_BOOL)
                control.pressed = result.boolVal != VARIANT_FALSE;
            else if (name == L"GetVisible_Callback" && result.vt == VT_BOOL)
                control.visible = result.boolVal != VARIANT_FALSE;
            if (name == L"GetImage_Callback" && result.vt == VT_DISPATCH && result.pdispVal) {
                // A 32-bit bitmap whose transparent corner has alpha 0.
                ComPtr<IPicture>& picture = control.image;
                ASSERT_EQ(result.pdispVal->QueryInterface(IID_IPicture, picture.PutVoid()), S_OK);
                SHORT type = 0;
                picture->get_Type(&type);
                EXPECT_EQ(type, PICTYPE_BITMAP);
                OLE_HANDLE handle = 0;
                picture->get_Handle(&handle);
                DIBSECTION section{};
                ASSERT_EQ(::GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)),
                                       sizeof section, &section),
                          static_cast<int>(sizeof section));
                EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
                ASSERT_NE(section.dsBm.bmBits, nullptr);
                EXPECT_EQ(*static_cast<const std::uint32_t*>(section.dsBm.bmBits) >> 24, 0u);
                ++images;
            }
            ::VariantClear(&result);
        }
    }

    // The group as designed, with Book1 open and tracking off.
    std::vector<std::wstring> summaries;
    for (const testing::ShownControl& control : shown)
        summaries.push_back(control.Summary());
    EXPECT_EQ(summaries, (std::vector<std::wstring>{
                             L"group Tarvex",
                             L"toggleButton Track large enabled up image",
                             L"button Options... normal enabled image",
                             L"menu Help normal enabled image",
                             L"button Request support online enabled",
                             L"button Request support via e-mail enabled image",
                             L"menuSeparator",
                             L"button Anonymous feedback enabled",
                             L"button Tell a friend/colleague enabled",
                             L"button Subscribe to news enabled",
                             L"menuSeparator",
                             L"button Suggest new feature enabled",
                             L"menuSeparator",
                             L"button Help enabled image",
                             L"button enabled",
                         }));
    EXPECT_NE(document.find(L"<tab idQ=\"shared:"), std::wstring::npos);
    EXPECT_NE(document.find(L"label=\"Morvane\""), std::wstring::npos);
    EXPECT_FALSE(testing::SketchRibbonGroup(L"Morvane", shown, false, "ribbon").empty());
    EXPECT_FALSE(testing::SketchRibbonGroup(L"Morvane", shown, true, "ribbon_help_menu").empty());
    EXPECT_GT(calls, 50);
    EXPECT_GE(images, 3) << "Track, Options... and Help show images";
    ShutDown();
}

TEST_F(OfficeHost, UserUnloadTakesItsBarAndRecordsAndUnregistrationCleansTheRunningExcel) {
    excel.SetVersion(u"11.0");
    CreateFromRegistration();
    ASSERT_TRUE(extensibility);
    application = ToCom(excel.Application().Get());
    const std::string addinKey = kAddinKey;
    const auto hasKey = [&](const std::string& path) {
        std::unique_ptr<host::RegistryKey> key;
        return base::Succeeded(
            registry.OpenKey(RegistryRoot::CurrentUser, path, host::RegistryAccess::Read, key));
    };

    // The user unloads the add-in while Excel keeps running: its bar and both record keys go.
    ASSERT_EQ(extensibility->OnConnection(application.Get(), 1, nullptr, nullptr), S_OK);
    ASSERT_EQ(extensibility->OnStartupComplete(nullptr), S_OK);
    ASSERT_TRUE(excel.Office().FindBar(u"Tarvex"));
    for (const char* records : {"\\CommandBars", "\\Controls"}) {
        std::unique_ptr<host::RegistryKey> key;
        ASSERT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, addinKey + records, key),
                  base::hr::Ok);
    }
    ASSERT_EQ(extensibility->OnDisconnection(1, nullptr), S_OK);
    EXPECT_FALSE(excel.Office().FindBar(u"Tarvex"));
    EXPECT_FALSE(hasKey(addinKey + "\\CommandBars"));
    EXPECT_FALSE(hasKey(addinKey + "\\Controls"));

    // At Excel's exit the temporary bar is left to Excel.
    ASSERT_EQ(extensibility->OnConnection(application.Get(), 1, nullptr, nullptr), S_OK);
    ASSERT_EQ(extensibility->OnStartupComplete(nullptr), S_OK);
    ShutDown();
    EXPECT_TRUE(excel.Office().FindBar(u"Tarvex"));
    extensibility.Reset();
    dispatch.Reset();
    const HMODULE dll = ::GetModuleHandleW(L"qorvel.dll");
    ASSERT_TRUE(dll);
    const auto unregister = ProcAddress<HRESULT(STDAPICALLTYPE*)()>(dll, "DllUnregisterServer");
    ASSERT_TRUE(unregister);
    EXPECT_EQ(ServerCanUnloadNow(), S_OK) << "every object was released";

    // Unregistration while this Excel runs: found as the active object of Excel's class, it
    // is cleaned, and nothing of the registration is left.
    CLSID excelClass{};
    ASSERT_EQ(::CLSIDFromProgID(L"Excel.Application", &excelClass), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(::RegisterActiveObject(application.Get(), excelClass, ACTIVEOBJECT_STRONG, &cookie),
              S_OK);
    EXPECT_EQ(unregister(), S_OK);
    ::RevokeActiveObject(cookie, nullptr);
    unregistered = true;
    EXPECT_FALSE(excel.Office().FindBar(u"Tarvex")) << "the clean-up took the bar away";
    EXPECT_FALSE(hasKey(addinKey));
    std::unique_ptr<host::RegistryKey> key;
    EXPECT_TRUE(base::Failed(registry.OpenKey(RegistryRoot::ClassesRoot, "qorvel.Tarvex",
                                              host::RegistryAccess::Read, key)));
}

} // namespace
} // namespace tarvex::win

#include "framework/addin_object.h"

#include <new>

#include "base/error.h"
#include "base/text.h"
#include "framework/command_bar.h"
#include "framework/custom_ui.h"
#include "framework/factory.h"
#include "framework/module.h"
#include "host/office/dispids.h"
#include "host/office/office.h"
#include "host/registry.h"
#include "host/variant.h"

namespace tarvex::framework {

namespace {
constexpr std::string_view kStartModeValue = "ADXStartMode";

/// ASCII upper case: the start mode words are plain ASCII.
std::u16string UpperAscii(std::u16string text) {
    for (char16_t& unit : text)
        if (unit >= u'a' && unit <= u'z')
            unit = static_cast<char16_t>(unit - u'a' + u'A');
    return text;
}

std::unique_ptr<host::RegistryKey> CreateAddinKey(host::Registry& registry,
                                                  const std::string& path) {
    return registry.Create(host::RegistryRoot::CurrentUser, path, "Opening the add-in key " + path);
}
} // namespace

TadxCallOutcome GuardAddinCall(std::string_view progId,
                               const std::function<void()>& body) noexcept {
    TadxCallOutcome outcome;
    try {
        body();
        return outcome;
    } catch (...) {
        const base::CaughtFailure failure = base::CatchCurrentFailure(base::hr::Unexpected);
        outcome.code = failure.code;
        try {
            outcome.description = base::Utf8ToUtf16(failure.message);
        } catch (...) {
            // A message that cannot be converted is left out; the code still tells.
        }
    }
    try {
        outcome.source = base::Utf8ToUtf16(progId);
    } catch (...) {
        // As above: the failure is reported without its source.
    }
    return outcome;
}

std::optional<std::u16string_view> MainWindowClass(TadxOfficeHostApp host) noexcept {
    if (host == TadxOfficeHostApp::ohaExcel)
        return u"XLMAIN";
    return std::nullopt;
}

TadxAddin::TadxAddin(const TadxFactory& factory, ModuleFactory makeModule,
                     TadxAddinProcessState& process)
    : m_factory(factory)
    , m_makeModule(std::move(makeModule))
    , m_process(process) {}

TadxAddin::~TadxAddin() {
    DestroyModule();
}

TadxCallOutcome TadxAddin::Guard(const std::function<void()>& body) const noexcept {
    return GuardAddinCall(m_factory.ProgId(), body);
}

TadxCOMAddInModule& TadxAddin::RequireModule() const {
    if (!m_module)
        throw base::Error(base::hr::Unexpected, "The add-in is not connected to a host.");
    return *m_module;
}

TadxCallOutcome TadxAddin::OnConnection(const host::Ref<host::Dispatch>& application,
                                        std::int32_t connectMode,
                                        const host::Ref<host::Dispatch>& addInInst) noexcept {
    TadxCallOutcome outcome = Guard([&] { Connect(application); });
    if (outcome.Failed())
        return outcome;
    // Connected after the host's start-up: no OnStartupComplete follows, so start-up runs
    // here, before other programs can reach the object through COMAddIn.Object.
    if (connectMode != connect_mode::Startup) {
        outcome = OnStartupComplete();
        if (outcome.Failed())
            return outcome;
    }
    return Guard([&] { PublishObject(addInInst); });
}

void TadxAddin::Connect(const host::Ref<host::Dispatch>& application) {
    // A connection that was never disconnected leaves with its module here.
    DestroyModule();
    m_module = m_makeModule();
    if (!m_module)
        throw base::Error(base::hr::Unexpected, "The add-in module could not be created.");
    m_module->SetHostApplication(host::Variant(application));
    m_module->SetFactory(&m_factory);
}

void TadxAddin::PublishObject(const host::Ref<host::Dispatch>& addInInst) {
    if (!addInInst)
        return;
    auto instance = host::QueryAs<host::Dispatch>(addInInst.Get(), host::office::iid::ComAddIn);
    RequireModule().SetAddInInstance(instance);
    if (instance && m_self)
        host::office::ComAddIn(instance).SetAddInObject(m_self());
}

TadxCallOutcome TadxAddin::OnStartupComplete() noexcept {
    return Guard([this] { StartUp(); });
}

void TadxAddin::StartUp() {
    TadxCOMAddInModule& module = RequireModule();
    module.CountStartupComplete();
    if (module.ExcelApp())
        return;
    module.ConnectToHost();
    m_process.currentHostType = module.HostType();
    AdoptMainWindow();

    // The add-in key stays open for the whole connection.
    module.SetAddinRegistry(CreateAddinKey(module.Registry(), module.GetAddinKey()));
    ReadStartMode();
    module.ReadColorScheme();
    module.SetHostCommandBars(module.GetHostCommandBars());

    RaiseGuarded([](TadxCOMAddInModule& m) {
        if (m.OnAddInInitialize)
            m.OnAddInInitialize(m);
    });
    if (module.HostType() != TadxOfficeHostApp::ohaAccess &&
        module.HostType() != TadxOfficeHostApp::ohaMapPoint)
        module.CreateCommandBars();
    // Custom task panes would be created here for a set task pane factory; the add-in
    // defines none.
    RaiseGuarded([](TadxCOMAddInModule& m) {
        if (m.OnAddInStartupComplete)
            m.OnAddInStartupComplete(m);
    });
    if (module.StartMode() == start_mode::FirstStart)
        WriteFirstStartDone();
    // The Excel wrapper of this frame raises no events of its own (Excel's events reach
    // the module through its events component), so there are no wrapper handlers to chain,
    // and the module handles no keyboard shortcuts.
    module.CreateColorWindow();
}

void TadxAddin::AdoptMainWindow() {
    const std::optional<std::u16string_view> windowClass =
        MainWindowClass(RequireModule().HostType());
    if (!windowClass)
        return;
    host::Desktop& desktop = RequireModule().Desktop();
    // Excel's main window on this thread owns the add-in's forms; when none is found the
    // window found at an earlier connection in the process (or none) is used.
    if (const host::WindowHandle found = desktop.FindThreadWindow(*windowClass))
        m_process.hostMainWindow = found;
    desktop.SetOwnerWindow(m_process.hostMainWindow);
}

void TadxAddin::ReadStartMode() {
    TadxCOMAddInModule& module = RequireModule();
    const std::unique_ptr<host::RegistryKey> key =
        CreateAddinKey(module.Registry(), module.GetAddinKey());
    host::RegistryValue value;
    const base::HResult read = key->QueryValue(kStartModeValue, value);
    if (read == base::hr::FileNotFound) {
        module.SetStartMode(start_mode::FirstStart);
        return;
    }
    base::ThrowIfFailed(read, "Reading ADXStartMode");
    const std::u16string mode = UpperAscii(value.AsString().value_or(u""));
    if (mode == u"UNINSTALL")
        module.SetStartMode(start_mode::Uninstall);
    else if (mode == u"NORMAL")
        module.SetStartMode(start_mode::Normal);
    else if (mode == u"FIRSTSTART")
        module.SetStartMode(start_mode::FirstStart);
    else
        module.SetStartMode(start_mode::Unrecognised);
}

void TadxAddin::WriteFirstStartDone() {
    TadxCOMAddInModule& module = RequireModule();
    const std::unique_ptr<host::RegistryKey> key =
        CreateAddinKey(module.Registry(), module.GetAddinKey());
    base::ThrowIfFailed(key->SetValue(kStartModeValue, host::RegistryValue::FromString(u"NORMAL")),
                        "Writing ADXStartMode");
}

void TadxAddin::RaiseGuarded(const std::function<void(TadxCOMAddInModule&)>& raise) {
    TadxCOMAddInModule& module = RequireModule();
    module.Guard([&] { raise(module); });
}

TadxCallOutcome TadxAddin::OnBeginShutdown() noexcept {
    return Guard([this] {
        RaiseGuarded([](TadxCOMAddInModule& m) {
            if (m.OnAddInBeginShutdown)
                m.OnAddInBeginShutdown(m);
        });
        if (m_process.currentHostType && MainWindowClass(*m_process.currentHostType))
            RequireModule().Desktop().SetOwnerWindow(0);
    });
}

TadxCallOutcome TadxAddin::OnDisconnection(std::int32_t removeMode) noexcept {
    TadxCallOutcome outcome;
    if (removeMode != remove_mode::HostShutdown) {
        // The user unloads the add-in while the host keeps running: the bars and their
        // records go now. On host shut-down the bars were temporary and the host drops them.
        outcome = OnBeginShutdown();
        if (!outcome.Failed())
            outcome = Guard([this] { RemoveCommandBars(RequireModule()); });
    }
    if (!outcome.Failed())
        outcome = Guard([this] {
            RaiseGuarded([](TadxCOMAddInModule& m) {
                if (m.OnAddInFinalize)
                    m.OnAddInFinalize(m);
            });
        });
    DestroyModule();
    return outcome;
}

TadxCallOutcome TadxAddin::OnAddInsUpdate() noexcept {
    return {};
}

TadxCallOutcome TadxAddin::GetCustomUI(std::u16string_view ribbonId, std::u16string& xml) noexcept {
    return Guard([&] { xml = BuildCustomUIXml(RequireModule(), ribbonId); });
}

TadxCallOutcome TadxAddin::ForwardCall(std::array<host::Variant, 7>& arguments) noexcept {
    return Guard([&] {
        if (m_module && m_module->OnForwardedCall)
            m_module->OnForwardedCall(arguments);
    });
}

TadxCallOutcome TadxAddin::CTPFactoryAvailable(const host::Ref<host::Dispatch>& factory) noexcept {
    // Task panes would be created now once start-up has completed; the add-in has none.
    return Guard([&] { RequireModule().SetCTPFactory(factory); });
}

void TadxAddin::DestroyModule() noexcept {
    if (!m_module)
        return;
    m_module->SetAddinRegistry(nullptr);
    m_module.reset();
}

} // namespace tarvex::framework

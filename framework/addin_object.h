#pragma once

// TadxAddin: the add-in object's side of the connection with Office. Office drives it
// through IDTExtensibility2: the module is made at connection, start-up runs once the host
// has finished starting (or at once when the add-in is connected later), and the module is
// destroyed at disconnection. Every method runs inside one guard and answers the result
// code and error texts that the COM class hands to its caller.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "framework/host_app.h"
#include "host/desktop.h"
#include "host/object.h"
#include "host/office/com_addin.h"

namespace tarvex::framework {

class TadxCOMAddInModule;
class TadxFactory;

/// The connect and remove modes of IDTExtensibility2.
namespace connect_mode = host::office::connect_mode;
namespace remove_mode = host::office::remove_mode;

/// Makes a new module of the add-in: its designed components built and its OnCreate run.
using ModuleFactory = std::function<std::unique_ptr<TadxCOMAddInModule>()>;

/// Gives a new reference to the add-in object's own IDispatch (what COMAddIn.Object holds).
using SelfDispatch = std::function<host::Ref<host::Dispatch>()>;

/// What start-up completion keeps for the whole process, across connections: the host's
/// main window found last and the kind of host connected last.
struct TadxAddinProcessState {
    host::WindowHandle hostMainWindow = 0;
    std::optional<TadxOfficeHostApp> currentHostType;
};

/// What a method of the add-in object answers its COM caller.
using TadxCallOutcome = host::office::CallOutcome;

/// Runs `body`; an exception escaping it becomes a failure carrying the exception's own
/// code when that is a negative one, otherwise E_UNEXPECTED.
TadxCallOutcome GuardAddinCall(std::string_view progId, const std::function<void()>& body) noexcept;

/// The main window class of each host the add-in knows one for ("XLMAIN" for Excel).
std::optional<std::u16string_view> MainWindowClass(TadxOfficeHostApp host) noexcept;

class TadxAddin final : public host::office::ComAddinObject {
public:
    /// `factory` and `process` must outlive the object; `makeModule` makes the module at
    /// every connection.
    TadxAddin(const TadxFactory& factory, ModuleFactory makeModule, TadxAddinProcessState& process);
    ~TadxAddin() override;

    TadxAddin(const TadxAddin&) = delete;
    TadxAddin& operator=(const TadxAddin&) = delete;

    /// Sets how the object reaches its own IDispatch; without one COMAddIn.Object is left.
    void SetSelfDispatch(SelfDispatch self) { m_self = std::move(self); }

    /// The module of the current connection, or null.
    TadxCOMAddInModule* Module() const noexcept { return m_module.get(); }
    const TadxFactory& Factory() const noexcept { return m_factory; }

    // IDTExtensibility2.

    /// Makes the module, stores the host application, this object and the factory in it,
    /// runs start-up now for every mode but ext_cm_Startup, and sets COMAddIn.Object.
    TadxCallOutcome OnConnection(const host::Ref<host::Dispatch>& application,
                                 std::int32_t connectMode,
                                 const host::Ref<host::Dispatch>& addInInst) noexcept override;
    /// Runs start-up once per connection; every call is counted.
    TadxCallOutcome OnStartupComplete() noexcept override;
    /// Raises OnAddInBeginShutdown and clears the owner window of the add-in's forms.
    TadxCallOutcome OnBeginShutdown() noexcept override;
    /// On a user's unload also shuts down and removes the bars and their records; then
    /// OnAddInFinalize, and in every case the module is destroyed.
    TadxCallOutcome OnDisconnection(std::int32_t removeMode) noexcept override;
    /// Does nothing.
    TadxCallOutcome OnAddInsUpdate() noexcept;

    // IRibbonExtensibility.

    /// The connected module's customUI document for `ribbonId` into `xml` (left unchanged on
    /// failure). Fails with E_UNEXPECTED outside a connection.
    TadxCallOutcome GetCustomUI(std::u16string_view ribbonId,
                                std::u16string& xml) noexcept override;

    // The frame's forwarding interface.

    /// Hands the seven arguments to the module's OnForwardedCall, when there is a module and
    /// it has one; otherwise does nothing.
    TadxCallOutcome ForwardCall(std::array<host::Variant, 7>& arguments) noexcept;

    // ICustomTaskPaneConsumer.

    /// Keeps Office's task pane factory in the module (the add-in has no task panes).
    TadxCallOutcome CTPFactoryAvailable(const host::Ref<host::Dispatch>& factory) noexcept;

private:
    TadxCallOutcome Guard(const std::function<void()>& body) const noexcept;
    TadxCOMAddInModule& RequireModule() const;
    void Connect(const host::Ref<host::Dispatch>& application);
    void PublishObject(const host::Ref<host::Dispatch>& addInInst);
    void StartUp();
    void AdoptMainWindow();
    void ReadStartMode();
    void WriteFirstStartDone();
    void RaiseGuarded(const std::function<void(TadxCOMAddInModule&)>& raise);
    void DestroyModule() noexcept;

    const TadxFactory& m_factory;
    ModuleFactory m_makeModule;
    TadxAddinProcessState& m_process;
    SelfDispatch m_self;
    std::unique_ptr<TadxCOMAddInModule> m_module;
};

} // namespace tarvex::framework

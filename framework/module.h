#pragma once

// TadxCOMAddInModule: the base of an add-in's module. It holds the add-in's configuration,
// the connection to its host (the host application, the Excel wrapper, the command bars,
// the ribbon UI object), its lifecycle events, and the chores the add-in object asks of it:
// identifying the host and connecting the events component, fetching the command bars,
// giving the add-in's registry key, and reporting exceptions from handlers.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "framework/component.h"
#include "framework/host_app.h"
#include "framework/ribbon_kinds.h"
#include "host/desktop.h"
#include "host/excel/excel.h"
#include "host/office/office.h"
#include "host/registry.h"
#include "host/variant.h"

namespace tarvex::framework {

class TadxExcelAppEvents;
class TadxFactory;
class TadxEventSink;
class TadxNativeColorWindow;

/// What a module reaches outside itself, plugged in by whoever hosts it (the DLL, the
/// simulator, a test).
struct ModuleServices {
    host::Desktop& desktop;
    host::Registry& registry;
};

/// The Office colour schemes that "Theme" names.
enum class TadxOfficeColorScheme : std::uint8_t { Unknown = 0, Blue = 1, Silver = 2, Black = 3 };

/// The start modes kept in "ADXStartMode".
namespace start_mode {
inline constexpr std::uint8_t FirstStart = 0;
inline constexpr std::uint8_t Normal = 1;
inline constexpr std::uint8_t Uninstall = 2;
inline constexpr std::uint8_t Unrecognised = 255;
} // namespace start_mode

class TadxCOMAddInModule : public TComponent {
public:
    using NotifyEvent = std::function<void(TComponent& sender)>;
    using ErrorEvent =
        std::function<void(TComponent& sender, const std::exception& error, bool& handled)>;
    using RibbonBeforeCreateEvent =
        std::function<void(TComponent& sender, const std::u16string& ribbonId)>;
    using RibbonBeforeLoadEvent = std::function<void(
        TComponent& sender, const std::u16string& ribbonId, std::u16string& xml)>;
    using RibbonLoadedEvent =
        std::function<void(TComponent& sender, const host::Ref<host::Dispatch>& ribbonUI)>;
    using ColorSchemeChangedEvent =
        std::function<void(TComponent& sender, TadxOfficeColorScheme scheme)>;

    ~TadxCOMAddInModule() override;

    std::string ClassName() const override { return "TadxCOMAddInModule"; }

    /// Creates a module of class T the way the frame does: the run-time objects, then the
    /// designed components and their bindings (LoadDesign), then OnCreate; the connection's
    /// references start cleared.
    template <class T, class... Args>
    static std::unique_ptr<T> Create(Args&&... args) {
        std::unique_ptr<T> module(new T(std::forward<Args>(args)...));
        module->LoadDesign();
        if (module->OnCreate)
            module->OnCreate(*module);
        module->ClearConnectionReferences();
        return module;
    }

    // Published properties.

    const std::u16string& AddInName() const noexcept { return m_addInName; }
    /// Throws Error 31101 for an empty name.
    void SetAddInName(std::u16string name);
    const std::u16string& Description() const noexcept { return m_description; }
    void SetDescription(std::u16string text) { m_description = std::move(text); }
    bool DisplayAlerts() const noexcept { return m_displayAlerts; }
    void SetDisplayAlerts(bool value) noexcept { m_displayAlerts = value; }
    std::int32_t LoadBehavior() const noexcept { return m_loadBehavior; }
    void SetLoadBehavior(std::int32_t value) noexcept { m_loadBehavior = value; }
    bool RegisterForAllUsers() const noexcept { return m_registerForAllUsers; }
    void SetRegisterForAllUsers(bool value) noexcept { m_registerForAllUsers = value; }
    TadxHostAppSet SupportedApps() const noexcept { return m_supportedApps; }
    /// Throws Error 31101 for an empty set.
    void SetSupportedApps(TadxHostAppSet apps);
    bool XLAutomationAddIn() const noexcept { return m_xlAutomationAddIn; }
    void SetXLAutomationAddIn(bool value) noexcept { m_xlAutomationAddIn = value; }
    bool HandleShortcuts() const noexcept { return m_handleShortcuts; }
    const std::u16string& Namespace() const noexcept { return m_namespace; }
    void SetNamespace(std::u16string value) { m_namespace = std::move(value); }

    // Ribbon document options.

    /// Ribbon kinds whose customUI document asks Office to start from an empty ribbon.
    TadxRibbons StartFromScratch() const noexcept { return m_startFromScratch; }
    void SetStartFromScratch(TadxRibbons ribbons) noexcept { m_startFromScratch = ribbons; }

    // Published events.

    ErrorEvent OnError;
    NotifyEvent OnCreate;
    NotifyEvent OnAddInInitialize;
    NotifyEvent OnAddInStartupComplete;
    NotifyEvent OnAddInBeginShutdown;
    NotifyEvent OnAddInFinalize;
    NotifyEvent OnAfterAddinRegister;
    NotifyEvent OnBeforeAddinUnregister;
    RibbonBeforeCreateEvent OnRibbonBeforeCreate;
    RibbonBeforeLoadEvent OnRibbonBeforeLoad;
    RibbonLoadedEvent OnRibbonLoaded;
    ColorSchemeChangedEvent OnOfficeColorSchemeChanged;

    /// Receives the seven arguments of the add-in object's forwarding call (by reference:
    /// the handler may change them). Unset by default: then the call does nothing.
    using ForwardedCallHandler = std::function<void(std::span<host::Variant, 7> arguments)>;
    ForwardedCallHandler OnForwardedCall;

    // The connection.

    TadxOfficeHostApp HostType() const noexcept { return m_hostType; }
    void SetHostType(TadxOfficeHostApp host) noexcept { m_hostType = host; }
    const host::Variant& HostApplication() const noexcept { return m_hostApplication; }
    void SetHostApplication(host::Variant application) {
        m_hostApplication = std::move(application);
    }
    const host::Ref<host::Dispatch>& AddInInstance() const noexcept { return m_addInInstance; }
    void SetAddInInstance(host::Ref<host::Dispatch> instance) {
        m_addInInstance = std::move(instance);
    }
    const TadxFactory* Factory() const noexcept { return m_factory; }
    void SetFactory(const TadxFactory* factory) noexcept { m_factory = factory; }
    std::uint8_t StartMode() const noexcept { return m_startMode; }
    void SetStartMode(std::uint8_t mode) noexcept { m_startMode = mode; }
    const host::Ref<host::Dispatch>& HostCommandBars() const noexcept { return m_hostCommandBars; }
    void SetHostCommandBars(host::Ref<host::Dispatch> bars) { m_hostCommandBars = std::move(bars); }
    /// The Excel application wrapper, once ConnectToHost identified Excel.
    const host::excel::Application* ExcelApp() const noexcept {
        return m_excelApp ? &*m_excelApp : nullptr;
    }
    TadxExcelAppEvents* HostEvents() const noexcept { return m_hostEvents; }
    /// Called by an events component that goes away.
    void ForgetHostEvents(const TadxExcelAppEvents* events) noexcept {
        if (m_hostEvents == events)
            m_hostEvents = nullptr;
    }
    const host::Ref<host::Dispatch>& RibbonUI() const noexcept { return m_ribbonUI; }
    void SetRibbonUI(host::Ref<host::Dispatch> ribbon) { m_ribbonUI = std::move(ribbon); }
    const host::Ref<host::Dispatch>& CTPFactory() const noexcept { return m_ctpFactory; }
    void SetCTPFactory(host::Ref<host::Dispatch> factory) { m_ctpFactory = std::move(factory); }
    bool IsRibbonHost() const noexcept { return m_isRibbonHost; }
    void SetIsRibbonHost(bool value) noexcept { m_isRibbonHost = value; }
    std::int32_t StartupCompleteCount() const noexcept { return m_startupCompleteCount; }
    void CountStartupComplete() noexcept { ++m_startupCompleteCount; }
    std::uint8_t ColorScheme() const noexcept { return m_colorScheme; }
    void SetColorScheme(std::uint8_t scheme) noexcept { m_colorScheme = scheme; }

    /// The registry key held open on the add-in key between start-up and disconnection, or
    /// null while none is open.
    host::RegistryKey* AddinRegistry() const noexcept { return m_addinRegistry.get(); }
    /// Holds `key` open as the add-in key (null closes it).
    void SetAddinRegistry(std::unique_ptr<host::RegistryKey> key) noexcept {
        m_addinRegistry = std::move(key);
    }

    // The components that register themselves with the module while they live (the module
    // owns none of them), in registration order.

    enum class ComponentList : std::uint8_t {
        CommandBars,
        RibbonCommands,
        RibbonTabs,
        ContextualTabs
    };
    void Enlist(ComponentList list, TComponent* component);
    void Delist(ComponentList list, const TComponent* component) noexcept;
    const std::vector<TComponent*>& CommandBarList() const noexcept { return m_commandBarList; }
    const std::vector<TComponent*>& RibbonCommandList() const noexcept {
        return m_ribbonCommandList;
    }
    const std::vector<TComponent*>& RibbonTabList() const noexcept { return m_ribbonTabList; }
    const std::vector<TComponent*>& ContextualTabList() const noexcept {
        return m_contextualTabList;
    }

    /// The command bar event sinks alive.
    const std::vector<TadxEventSink*>& EventSinks() const noexcept { return m_eventSinks; }
    void AddEventSink(TadxEventSink* sink) { m_eventSinks.push_back(sink); }
    void RemoveEventSink(const TadxEventSink* sink) noexcept { std::erase(m_eventSinks, sink); }

    /// Ribbon control id to component, in registration order.
    using ControlIdEntry = std::pair<std::string, TComponent*>;
    const std::vector<ControlIdEntry>& ControlIdMap() const noexcept { return m_controlIdMap; }
    void MapControlId(std::string key, TComponent* component);
    /// Gives the entries of `component` the key `key`.
    void RekeyControlId(const TComponent* component, const std::string& key);
    void UnmapControlId(const TComponent* component) noexcept;
    /// Drops the entries whose component `keep` refuses.
    void PruneControlIds(const std::function<bool(TComponent*)>& keep);
    /// The first component whose key equals `id` without regard to case, or null.
    TComponent* FindControlById(std::u16string_view id) const;

    host::Desktop& Desktop() const noexcept { return m_services.desktop; }
    host::Registry& Registry() const noexcept { return m_services.registry; }

    // Chores.

    /// Reports an exception from a handler or a UI step: OnError may handle it; otherwise
    /// a message box "<AddInName> error: the add-in has fired an exception.\r\n<message>".
    void HandleError(const std::exception& error) noexcept;
    void HandleUnknownError() noexcept;

    /// Runs a handler or a UI building step: what it throws goes to HandleError (an exception
    /// of no known type as "Unknown exception"), and the sequence that ran it goes on.
    template <class Step>
    void Guard(Step&& step) noexcept {
        try {
            std::forward<Step>(step)();
        } catch (const std::exception& error) {
            HandleError(error);
        } catch (...) {
            HandleUnknownError();
        }
    }

    /// Identifies the host from HostApplication, attaches its wrapper, reads its version and
    /// connects the module's Excel events component.
    void ConnectToHost();

    /// Application.CommandBars, reached by name; null on any failure.
    host::Ref<host::Dispatch> GetHostCommandBars() noexcept;

    /// The host's command bar whose Name, or else NameLocal, equals `name` without regard to
    /// case; fetches HostCommandBars first when it is not set. Nothing when there are no
    /// command bars or no bar matches. Office's failures while searching pass on.
    host::office::CommandBar FindCommandBar(std::u16string_view name);

    /// Builds the command bars: each TadxCommandBar among the module's components, in
    /// order, whose SupportedApps holds the host runs CreateCommandBar; an exception while
    /// building one goes to HandleError and the next bar follows.
    void CreateCommandBars();

    /// The add-in's key for its host: "\Software\Microsoft\Office\Excel\AddIns\<ProgID>";
    /// empty while no factory is set.
    std::string GetAddinKey() const;

    /// Disconnects the events component and lets the host wrapper go.
    void ReleaseHost() noexcept;

    /// Reads Office's colour scheme ("Theme") into ColorScheme when the value is there.
    void ReadColorScheme();
    /// Replaces the colour window by a new one. Throws Error "Error creating window class"
    /// when its window class cannot be registered.
    void CreateColorWindow();
    TadxNativeColorWindow* ColorWindow() const noexcept { return m_colorWindow.get(); }
    /// The hidden window that owns the clipboard while a button face goes through it: made on
    /// first use and destroyed with the module. Throws Error when it cannot be made.
    host::WindowHandle ClipboardWindow();

protected:
    /// The run-time objects without the design.
    explicit TadxCOMAddInModule(ModuleServices services, TComponent* owner = nullptr);

    /// Builds the designed components and binds their events; the add-in's module
    /// overrides it with its design.
    virtual void LoadDesign() {}

private:
    void ClearConnectionReferences() noexcept;
    std::vector<TComponent*>& ListOf(ComponentList list) noexcept;

    ModuleServices m_services;
    std::u16string m_addInName;
    std::u16string m_description;
    bool m_displayAlerts = false;
    std::int32_t m_loadBehavior = 3;
    bool m_registerForAllUsers = false;
    TadxHostAppSet m_supportedApps{TadxOfficeHostApp::ohaExcel};
    bool m_xlAutomationAddIn = false;
    bool m_handleShortcuts = false;
    std::u16string m_namespace;
    TadxRibbons m_startFromScratch;

    TadxOfficeHostApp m_hostType = TadxOfficeHostApp::ohaExcel;
    host::Variant m_hostApplication;
    host::Ref<host::Dispatch> m_addInInstance;
    const TadxFactory* m_factory = nullptr;
    std::uint8_t m_startMode = start_mode::FirstStart;
    host::Ref<host::Dispatch> m_hostCommandBars;
    std::unique_ptr<host::RegistryKey> m_addinRegistry;
    std::optional<host::excel::Application> m_excelApp;
    TadxExcelAppEvents* m_hostEvents = nullptr;
    host::Ref<host::Dispatch> m_ribbonUI;
    host::Ref<host::Dispatch> m_ctpFactory;
    bool m_isRibbonHost = false;
    std::int32_t m_startupCompleteCount = 0;
    std::uint8_t m_colorScheme = 0;

    std::vector<TComponent*> m_commandBarList;
    std::vector<TComponent*> m_ribbonCommandList;
    std::vector<TComponent*> m_ribbonTabList;
    std::vector<TComponent*> m_contextualTabList;
    std::vector<TadxEventSink*> m_eventSinks;
    std::vector<ControlIdEntry> m_controlIdMap;
    std::unique_ptr<TadxNativeColorWindow> m_colorWindow;
    std::unique_ptr<host::MessageWindow> m_clipboardWindow;
};

/// "<name> error: the add-in has fired an exception.\r\n<message>".
std::u16string AddInErrorText(std::u16string_view addInName, std::string_view message);

} // namespace tarvex::framework

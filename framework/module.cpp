#include "framework/module.h"

#include <array>

#include "base/case_folding.h"
#include "base/error.h"
#include "base/text.h"
#include "framework/app_events.h"
#include "framework/color_window.h"
#include "framework/command_bar.h"
#include "framework/errors.h"
#include "framework/event_sink.h"
#include "framework/factory.h"
#include "host/automation.h"
#include "host/excel/dispids.h"
#include "host/office/office.h"

namespace tarvex::framework {

namespace {
// The application interface of each Office host, in the order the host is identified by.
struct HostInterface {
    base::Guid iid;
    TadxOfficeHostApp host;
};
constexpr std::array<HostInterface, kHostAppCount> kHostInterfaces{{
    {base::Guid::Parse("{00020970-0000-0000-C000-000000000046}"), TadxOfficeHostApp::ohaWord},
    {host::excel::iid::Application, TadxOfficeHostApp::ohaExcel},
    {base::Guid::Parse("{00063001-0000-0000-C000-000000000046}"), TadxOfficeHostApp::ohaOutlook},
    {base::Guid::Parse("{68CCE6C0-6129-101B-AF4E-00AA003F0F07}"), TadxOfficeHostApp::ohaAccess},
    {base::Guid::Parse("{00020AFF-0000-0000-C000-000000000046}"), TadxOfficeHostApp::ohaProject},
    {base::Guid::Parse("{91493442-5A91-11CF-8700-00AA0060263B}"), TadxOfficeHostApp::ohaPowerPoint},
    {base::Guid::Parse("{04DF1014-7007-11D1-83BC-006097ABE675}"), TadxOfficeHostApp::ohaFrontPage},
    {base::Guid::Parse("{D6D389CE-1781-47A0-8984-4349687F65D6}"), TadxOfficeHostApp::ohaMapPoint},
    {base::Guid::Parse("{000D0700-0000-0000-C000-000000000046}"), TadxOfficeHostApp::ohaVisio},
    {base::Guid::Parse("{0002123E-0000-0000-C000-000000000046}"), TadxOfficeHostApp::ohaPublisher},
    {base::Guid::Parse("{096CD72E-0786-11D1-95FA-0080C78EE3BB}"), TadxOfficeHostApp::ohaInfoPath},
}};

/// IDCANCEL... only OK is offered, so the answer is not looked at.
constexpr std::uint32_t kErrorBoxStyle = host::message_box::Ok | host::message_box::IconError;
} // namespace

std::u16string AddInErrorText(std::u16string_view addInName, std::string_view message) {
    return std::u16string(addInName) + u" error: the add-in has fired an exception.\r\n" +
           base::Utf8ToUtf16(message);
}

TadxCOMAddInModule::TadxCOMAddInModule(ModuleServices services, TComponent* owner)
    : TComponent(owner)
    , m_services(services) {}

TadxCOMAddInModule::~TadxCOMAddInModule() {
    m_addinRegistry.reset();
    ReleaseHost();
    // A sink may outlive the module while Office still holds it: cut every one loose first,
    // keeping each alive through its own disconnection.
    for (TadxEventSink* sink : std::vector<TadxEventSink*>(m_eventSinks)) {
        const host::Ref<TadxEventSink> keep(sink);
        keep->Disconnect();
    }
    m_eventSinks.clear();
    m_controlIdMap.clear();
    m_ribbonUI = nullptr;
    m_ctpFactory = nullptr;
    m_hostCommandBars = nullptr;
    m_factory = nullptr;
    m_addInInstance = nullptr;
    m_hostApplication = host::Variant();
    m_colorWindow.reset();
    // The owned components go while the module's lists still exist, so that each can take
    // itself out of them.
    DestroyComponents();
}

void TadxCOMAddInModule::ClearConnectionReferences() noexcept {
    m_hostCommandBars = nullptr;
    m_factory = nullptr;
    m_addInInstance = nullptr;
    m_ribbonUI = nullptr;
    m_ctpFactory = nullptr;
}

std::vector<TComponent*>& TadxCOMAddInModule::ListOf(ComponentList list) noexcept {
    switch (list) {
    case ComponentList::CommandBars:
        return m_commandBarList;
    case ComponentList::RibbonCommands:
        return m_ribbonCommandList;
    case ComponentList::RibbonTabs:
        return m_ribbonTabList;
    case ComponentList::ContextualTabs:
        break;
    }
    return m_contextualTabList;
}

void TadxCOMAddInModule::Enlist(ComponentList list, TComponent* component) {
    ListOf(list).push_back(component);
}

void TadxCOMAddInModule::Delist(ComponentList list, const TComponent* component) noexcept {
    std::erase(ListOf(list), component);
}

void TadxCOMAddInModule::MapControlId(std::string key, TComponent* component) {
    m_controlIdMap.emplace_back(std::move(key), component);
}

void TadxCOMAddInModule::RekeyControlId(const TComponent* component, const std::string& key) {
    for (auto& entry : m_controlIdMap)
        if (entry.second == component)
            entry.first = key;
}

void TadxCOMAddInModule::UnmapControlId(const TComponent* component) noexcept {
    std::erase_if(m_controlIdMap,
                  [component](const auto& entry) { return entry.second == component; });
}

void TadxCOMAddInModule::PruneControlIds(const std::function<bool(TComponent*)>& keep) {
    std::erase_if(m_controlIdMap, [&keep](const auto& entry) { return !keep(entry.second); });
}

TComponent* TadxCOMAddInModule::FindControlById(std::u16string_view id) const {
    for (const auto& [key, component] : m_controlIdMap)
        if (base::FoldedEqual(base::Utf8ToUtf16(key), id))
            return component;
    return nullptr;
}

void TadxCOMAddInModule::SetAddInName(std::u16string name) {
    if (name.empty())
        throw EmptyPropertyError("AddInName");
    m_addInName = std::move(name);
}

void TadxCOMAddInModule::SetSupportedApps(TadxHostAppSet apps) {
    if (apps.Empty())
        throw EmptyPropertyError("SupportedApps");
    m_supportedApps = apps;
}

void TadxCOMAddInModule::HandleUnknownError() noexcept {
    try {
        HandleError(base::Error(base::hr::Unexpected, "Unknown exception"));
    } catch (...) {
        // Not even the report could be made.
    }
}

void TadxCOMAddInModule::HandleError(const std::exception& error) noexcept {
    try {
        bool handled = false;
        if (OnError)
            OnError(*this, error, handled);
        if (!handled)
            m_services.desktop.ShowMessage(AddInErrorText(m_addInName, error.what()), u"Error",
                                           kErrorBoxStyle);
    } catch (...) {
        // Reporting must not fail the sequence it reports for.
    }
}

void TadxCOMAddInModule::ConnectToHost() {
    const host::Ref<host::Dispatch> application = m_hostApplication.ToObject();
    if (!application)
        return;
    for (const HostInterface& candidate : kHostInterfaces) {
        auto found = host::QueryAs<host::Dispatch>(application.Get(), candidate.iid);
        if (!found)
            continue;
        if (candidate.host != TadxOfficeHostApp::ohaExcel) {
            // Only Excel is served; another host is known by its kind and nothing more.
            m_hostType = candidate.host;
            return;
        }
        m_hostType = TadxOfficeHostApp::ohaExcel;
        m_excelApp.emplace(found);
        if (m_excelApp->Version().starts_with(u"12."))
            m_isRibbonHost = true;
        for (std::size_t i = 0; i < ComponentCount(); ++i) {
            if (auto* events = dynamic_cast<TadxExcelAppEvents*>(&Component(i))) {
                m_hostEvents = events;
                events->ConnectTo(found);
                break;
            }
        }
        return;
    }
}

host::Ref<host::Dispatch> TadxCOMAddInModule::GetHostCommandBars() noexcept {
    try {
        const host::Ref<host::Dispatch> application = m_hostApplication.ToObject();
        if (!application)
            return nullptr;
        return host::office::CommandBarsOf(*application).Object();
    } catch (...) {
        // A host without command bars is no failure: nothing is built on it.
        return nullptr;
    }
}

host::office::CommandBar TadxCOMAddInModule::FindCommandBar(std::u16string_view name) {
    if (!m_hostCommandBars)
        m_hostCommandBars = GetHostCommandBars();
    if (!m_hostCommandBars)
        return {};
    const host::office::CommandBars bars(m_hostCommandBars);
    const std::int32_t count = bars.Count();
    for (std::int32_t index = 1; index <= count; ++index) {
        host::office::CommandBar bar = bars.Item(index);
        if (base::FoldedEqual(bar.Name(), name) || base::FoldedEqual(bar.NameLocal(), name))
            return bar;
    }
    return {};
}

void TadxCOMAddInModule::CreateCommandBars() {
    for (std::size_t i = 0; i < ComponentCount(); ++i) {
        auto* bar = dynamic_cast<TadxCommandBar*>(&Component(i));
        if (!bar || !bar->SupportedApps().Contains(m_hostType))
            continue;
        Guard([bar] { bar->CreateCommandBar(); });
    }
}

std::string TadxCOMAddInModule::GetAddinKey() const {
    if (!m_factory)
        return {};
    const std::string root =
        m_hostType == TadxOfficeHostApp::ohaMapPoint || m_hostType == TadxOfficeHostApp::ohaVisio
            ? "\\Software\\Microsoft\\"
            : "\\Software\\Microsoft\\Office\\";
    return root + std::string(HostKeyName(m_hostType)) + "\\AddIns\\" + m_factory->ProgId();
}

void TadxCOMAddInModule::ReadColorScheme() {
    if (const std::optional<std::uint8_t> theme = ReadOfficeTheme(m_services.registry))
        m_colorScheme = *theme;
}

void TadxCOMAddInModule::CreateColorWindow() {
    m_colorWindow.reset();
    m_colorWindow = std::make_unique<TadxNativeColorWindow>(*this);
}

host::WindowHandle TadxCOMAddInModule::ClipboardWindow() {
    // A clipboard opened for no window has no owner once emptied, and Windows then refuses
    // the face (and the user's data put back).
    if (!m_clipboardWindow)
        m_clipboardWindow = m_services.desktop.CreateMessageWindow(u"TadxClipboardWindow", u"", {});
    return m_clipboardWindow->Handle();
}

void TadxCOMAddInModule::ReleaseHost() noexcept {
    if (m_hostEvents)
        m_hostEvents->Disconnect();
    m_excelApp.reset();
}

} // namespace tarvex::framework

#include "framework/command_bar.h"

#include <array>

#include "base/error.h"
#include "base/scope_exit.h"
#include "base/text.h"
#include "framework/command_bar_records.h"
#include "framework/errors.h"
#include "framework/module.h"

namespace tarvex::framework {

namespace office = host::office;
using Bar = office::CommandBar;

namespace {
constexpr std::array<std::int32_t, 8> kOfficeProtections{0, 1, 2, 4, 8, 16, 32, 64};
constexpr std::int32_t kNotSet = -1;

TadxCOMAddInModule& RequireModule(TComponent* owner) {
    auto* module = dynamic_cast<TadxCOMAddInModule*>(owner);
    if (!module)
        throw ModuleOwnerError("TadxCommandBar", owner ? owner->ClassName() : "nil");
    return *module;
}
} // namespace

std::int32_t ToOfficeProtection(TadxMsoBarProtection protection) noexcept {
    return kOfficeProtections.at(static_cast<std::size_t>(protection));
}

TadxMsoBarProtection FromOfficeProtection(std::int32_t office) noexcept {
    for (std::size_t i = 0; i < kOfficeProtections.size(); ++i)
        if (kOfficeProtections[i] == office)
            return static_cast<TadxMsoBarProtection>(i);
    return TadxMsoBarProtection::adxMsoBarNoProtection;
}

TadxCommandBar::TadxCommandBar(TComponent* owner, std::string name)
    : TComponent(owner, std::move(name))
    , m_supportedApps(RequireModule(owner).SupportedApps()) {
    Module().Enlist(TadxCOMAddInModule::ComponentList::CommandBars, this);
}

TadxCommandBar::~TadxCommandBar() {
    Module().Delist(TadxCOMAddInModule::ComponentList::CommandBars, this);
}

TadxCOMAddInModule& TadxCommandBar::Module() const noexcept {
    return static_cast<TadxCOMAddInModule&>(*Owner());
}

void TadxCommandBar::Report(const std::exception& error) const noexcept {
    Module().HandleError(error);
}

template <auto Get, auto Set, class T>
void TadxCommandBar::PushLive(const T& value) const noexcept {
    if (!m_link)
        return;
    Module().Guard([&] {
        if ((m_link.*Get)() != value)
            (m_link.*Set)(value);
    });
}

template <auto Get, class T>
T TadxCommandBar::ReadLive(const T& stored) const noexcept {
    if (!m_link)
        return stored;
    try {
        return (m_link.*Get)();
    } catch (const std::exception& error) {
        Report(error);
        return stored;
    }
}

// Properties.

bool TadxCommandBar::Enabled() const {
    return ReadLive<&Bar::Enabled>(m_enabled);
}
void TadxCommandBar::SetEnabled(bool value) {
    m_enabled = value;
    PushLive<&Bar::Enabled, &Bar::SetEnabled>(m_enabled);
}

bool TadxCommandBar::Visible() const {
    return ReadLive<&Bar::Visible>(m_visible);
}
void TadxCommandBar::SetVisible(bool value) {
    m_visible = value;
    PushLive<&Bar::Visible, &Bar::SetVisible>(m_visible);
}

std::int32_t TadxCommandBar::CommandBarLeft() const {
    return ReadLive<&Bar::Left>(m_left);
}
void TadxCommandBar::SetCommandBarLeft(std::int32_t value) {
    m_left = value;
    if (m_left != kNotSet)
        PushLive<&Bar::Left, &Bar::SetLeft>(m_left);
}

std::int32_t TadxCommandBar::CommandBarTop() const {
    return ReadLive<&Bar::Top>(m_top);
}
void TadxCommandBar::SetCommandBarTop(std::int32_t value) {
    m_top = value;
    if (m_top != kNotSet)
        PushLive<&Bar::Top, &Bar::SetTop>(m_top);
}

std::int32_t TadxCommandBar::RowIndex() const {
    return ReadLive<&Bar::RowIndex>(m_rowIndex);
}
void TadxCommandBar::SetRowIndex(std::int32_t value) {
    m_rowIndex = value;
    if (m_rowIndex != kNotSet)
        PushLive<&Bar::RowIndex, &Bar::SetRowIndex>(m_rowIndex);
}

std::u16string TadxCommandBar::CommandBarName() const {
    return ReadLive<&Bar::Name>(m_name);
}
void TadxCommandBar::SetCommandBarName(std::u16string name) {
    if (name.empty())
        throw EmptyPropertyError("CommandBarName");
    m_name = std::move(name);
    PushLive<&Bar::Name, &Bar::SetName>(m_name);
    if (m_localName.empty())
        SetLocalName(m_name);
}

std::u16string TadxCommandBar::LocalName() const {
    return ReadLive<&Bar::NameLocal>(m_localName);
}
void TadxCommandBar::SetLocalName(std::u16string value) {
    m_localName = std::move(value);
    PushLive<&Bar::NameLocal, &Bar::SetNameLocal>(m_localName);
}

TadxMsoBarPosition TadxCommandBar::Position() const {
    return static_cast<TadxMsoBarPosition>(
        ReadLive<&Bar::Position>(static_cast<std::int32_t>(m_position)));
}
void TadxCommandBar::SetPosition(TadxMsoBarPosition value) {
    m_position = value;
    PushLive<&Bar::Position, &Bar::SetPosition>(static_cast<std::int32_t>(m_position));
}

TadxMsoBarProtection TadxCommandBar::Protection() const {
    return FromOfficeProtection(ReadLive<&Bar::Protection>(ToOfficeProtection(m_protection)));
}
void TadxCommandBar::SetProtection(TadxMsoBarProtection value) {
    m_protection = value;
    PushLive<&Bar::Protection, &Bar::SetProtection>(ToOfficeProtection(m_protection));
}

// Creation.

void TadxCommandBar::FindOrAdd() {
    TadxCOMAddInModule& module = Module();
    m_link = module.FindCommandBar(m_name);
    if (m_link)
        return;
    // No bar of that name (a crash may have left one behind, which is then reused).
    Bar added = office::CommandBars(module.HostCommandBars())
                    .Add(m_name, static_cast<std::int32_t>(m_position), std::nullopt, m_temporary);
    m_link = std::move(added);
    if (m_link.NameLocal() != m_name)
        m_link.SetNameLocal(m_name);
}

void TadxCommandBar::CreateCommandBar() {
    TadxCOMAddInModule& module = Module();
    if (module.HostType() == TadxOfficeHostApp::ohaMapPoint)
        throw NoControlsOnHostError();
    if (module.HostType() == TadxOfficeHostApp::ohaOutlook &&
        m_name.find(u'\'') != std::u16string::npos)
        throw IllegalBarNameError(base::Utf16ToUtf8(m_name));
    if (!m_supportedApps.Contains(module.HostType()))
        return;
    if (module.IsRibbonHost() && !m_useForRibbon)
        return;
    module.Guard([this] {
        FindOrAdd();
        if (m_link && !m_link.BuiltIn())
            ApplyBarProperties();
    });
    module.Guard([this] { DeleteOrphanControls(); });
    if (!m_link)
        return;
    for (std::size_t i = 0; i < m_controls.Count(); ++i)
        module.Guard([&] { m_controls[i].CreateOrFindControl(); });
}

void TadxCommandBar::ApplyBarProperties() {
    if (!m_link)
        return;
    TadxCOMAddInModule& module = Module();
    const bool due = m_temporary || module.HostType() == TadxOfficeHostApp::ohaAccess ||
                     ReadRecord(module, record_key::CommandBars, m_name) != m_propertyChanged;
    // An installed persistent bar keeps what the user made of it until its definition changes.
    if (!due)
        return;
    SetEnabled(m_enabled);
    // Office refuses to show a disabled bar.
    if (m_enabled)
        SetVisible(m_visible);
    SetProtection(m_protection);
    SetPosition(m_position);
    SetCommandBarLeft(m_left);
    SetCommandBarTop(m_top);
    SetRowIndex(m_rowIndex);
    if (!m_temporary)
        WriteRecord(module, record_key::CommandBars, m_name, m_propertyChanged);
}

void TadxCommandBar::DeleteOrphanControls() {
    TadxCOMAddInModule& module = Module();
    // A key that cannot be opened or listed (access denied) holds no record that start-up
    // could act on, and telling the user at every start of Excel helps nobody; unregistration
    // still fails on it (RecordNames).
    std::vector<std::u16string> names;
    if (base::Failed(ListRecordNames(module, record_key::Controls, names)))
        return;
    for (const std::u16string& tag : names) {
        bool defined = false;
        for (TComponent* component : module.CommandBarList()) {
            const auto* bar = dynamic_cast<const TadxCommandBar*>(component);
            if (bar && bar->Controls().FindByTag(tag)) {
                defined = true;
                break;
            }
        }
        if (defined)
            continue;
        office::CommandBarControl found;
        if (m_link)
            found = m_link.FindControl(std::nullopt, std::nullopt, tag, std::nullopt, true);
        if (!found && module.HostCommandBars())
            found = office::CommandBars(module.HostCommandBars())
                        .FindControl(std::nullopt, std::nullopt, tag, std::nullopt);
        if (!found)
            continue;
        found.Delete(false);
        DeleteRecord(module, record_key::Controls, tag);
    }
}

// Removal.

void TadxCommandBar::RemoveCommandBar() {
    TadxCOMAddInModule& module = Module();
    if (!m_supportedApps.Contains(module.HostType()))
        return;
    const base::ScopeExit unlink([this] {
        for (std::size_t i = 0; i < m_controls.Count(); ++i)
            m_controls[i].Unlink();
        m_link = Bar();
    });
    m_link = module.FindCommandBar(m_name);
    const office::CommandBars bars(module.HostCommandBars());
    for (std::size_t i = m_controls.Count(); i-- > 0;) {
        TadxCommandBarControl& control = m_controls[i];
        module.Guard([&] {
            office::CommandBarControl found = control.FindForRemoval(m_link, bars);
            if (!found)
                return;
            control.LinkForRemoval(std::move(found));
            control.DeleteControl(false);
        });
    }
    // A built-in bar stays, and so does a custom one that still holds controls of others.
    if (m_link && !m_link.BuiltIn() && m_link.Controls().Count() == 0)
        m_link.Delete();
}

void RemoveCommandBars(TadxCOMAddInModule& module) {
    for (std::size_t i = 0; i < module.ComponentCount(); ++i) {
        auto* bar = dynamic_cast<TadxCommandBar*>(&module.Component(i));
        if (!bar)
            continue;
        module.Guard([bar] { bar->RemoveCommandBar(); });
    }
    DeleteRecords(module);
}

} // namespace tarvex::framework

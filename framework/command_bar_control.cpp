#include "framework/command_bar_control.h"

#include "base/guid.h"
#include "base/text.h"
#include "framework/command_bar.h"
#include "framework/command_bar_popup.h"
#include "framework/command_bar_records.h"
#include "framework/errors.h"
#include "framework/module.h"

namespace tarvex::framework {

namespace office = host::office;
using Control = office::CommandBarControl;

TadxCommandBarControls::~TadxCommandBarControls() {
    // The last control goes first, as an owner frees what it owns.
    while (!m_items.empty())
        m_items.pop_back();
}

std::size_t TadxCommandBarControls::IndexOf(const TadxCommandBarControl& control) const noexcept {
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == &control)
            return i;
    return m_items.size();
}

TadxCommandBarControl* TadxCommandBarControls::FindByTag(std::u16string_view tag) const noexcept {
    for (const auto& item : m_items) {
        if (item->OfficeTag() == tag)
            return item.get();
        if (const auto* popup = dynamic_cast<const TadxCommandBarPopup*>(item.get()))
            if (TadxCommandBarControl* found = popup->Controls().FindByTag(tag))
                return found;
    }
    return nullptr;
}

TadxCommandBarControl::TadxCommandBarControl(TadxCommandBar& bar, TadxCommandBarPopup* parent)
    : m_bar(&bar)
    , m_parent(parent)
    , m_officeTag(base::Utf8ToUtf16(base::Guid::Generate().ToString()))
    , m_temporary(bar.Temporary()) {}

TadxCommandBarControl::~TadxCommandBarControl() = default;

TadxCOMAddInModule& TadxCommandBarControl::Module() const noexcept {
    return m_bar->Module();
}

void TadxCommandBarControl::Report(const std::exception& error) const noexcept {
    Module().HandleError(error);
}

void TadxCommandBarControl::Guard(const std::function<void()>& step) const noexcept {
    Module().Guard(step);
}

// Properties.

bool TadxCommandBarControl::BeginGroup() const {
    return ReadLive<&Control::BeginGroup>(m_beginGroup);
}
void TadxCommandBarControl::SetBeginGroup(bool value) {
    m_beginGroup = value;
    PushLive<&Control::BeginGroup, &Control::SetBeginGroup>(m_beginGroup);
}
std::u16string TadxCommandBarControl::Caption() const {
    return ReadLive<&Control::Caption>(m_caption);
}
void TadxCommandBarControl::SetCaption(std::u16string value) {
    m_caption = std::move(value);
    PushLive<&Control::Caption, &Control::SetCaption>(m_caption);
}
std::u16string TadxCommandBarControl::DescriptionText() const {
    return ReadLive<&Control::DescriptionText>(m_descriptionText);
}
void TadxCommandBarControl::SetDescriptionText(std::u16string value) {
    m_descriptionText = std::move(value);
    PushLive<&Control::DescriptionText, &Control::SetDescriptionText>(m_descriptionText);
}
bool TadxCommandBarControl::Enabled() const {
    return ReadLive<&Control::Enabled>(m_enabled);
}
void TadxCommandBarControl::SetEnabled(bool value) {
    m_enabled = value;
    PushLive<&Control::Enabled, &Control::SetEnabled>(m_enabled);
}
std::int32_t TadxCommandBarControl::Height() const {
    return ReadLive<&Control::Height>(m_height);
}
void TadxCommandBarControl::SetHeight(std::int32_t value) {
    m_height = value;
    PushLive<&Control::Height, &Control::SetHeight>(m_height);
}
std::int32_t TadxCommandBarControl::HelpContextID() const {
    return ReadLive<&Control::HelpContextId>(m_helpContextId);
}
void TadxCommandBarControl::SetHelpContextID(std::int32_t value) {
    m_helpContextId = value;
    PushLive<&Control::HelpContextId, &Control::SetHelpContextId>(m_helpContextId);
}
std::u16string TadxCommandBarControl::HelpFile() const {
    return ReadLive<&Control::HelpFile>(m_helpFile);
}
void TadxCommandBarControl::SetHelpFile(std::u16string value) {
    m_helpFile = std::move(value);
    PushLive<&Control::HelpFile, &Control::SetHelpFile>(m_helpFile);
}
std::u16string TadxCommandBarControl::Parameter() const {
    return ReadLive<&Control::Parameter>(m_parameter);
}
void TadxCommandBarControl::SetParameter(std::u16string value) {
    m_parameter = std::move(value);
    PushLive<&Control::Parameter, &Control::SetParameter>(m_parameter);
}
std::int32_t TadxCommandBarControl::Priority() const {
    return ReadLive<&Control::Priority>(m_priority);
}
void TadxCommandBarControl::SetPriority(std::int32_t value) {
    m_priority = value;
    PushLive<&Control::Priority, &Control::SetPriority>(m_priority);
}
std::u16string TadxCommandBarControl::OfficeTag() const {
    return m_officeTag;
}
void TadxCommandBarControl::SetOfficeTag(std::u16string value) {
    m_officeTag = std::move(value);
    PushLive<&Control::Tag, &Control::SetTag>(m_officeTag);
}
std::u16string TadxCommandBarControl::TooltipText() const {
    return ReadLive<&Control::TooltipText>(m_tooltipText);
}
void TadxCommandBarControl::SetTooltipText(std::u16string value) {
    m_tooltipText = std::move(value);
    PushLive<&Control::TooltipText, &Control::SetTooltipText>(m_tooltipText);
}
bool TadxCommandBarControl::Visible() const {
    return ReadLive<&Control::Visible>(m_visible);
}
void TadxCommandBarControl::SetVisible(bool value) {
    m_visible = value;
    PushLive<&Control::Visible, &Control::SetVisible>(m_visible);
}
std::int32_t TadxCommandBarControl::Width() const {
    return ReadLive<&Control::Width>(m_width);
}
void TadxCommandBarControl::SetWidth(std::int32_t value) {
    m_width = value;
    PushLive<&Control::Width, &Control::SetWidth>(m_width);
}

// The "\Controls" records.

bool TadxCommandBarControl::PropertiesDue() const {
    if (m_temporary || Module().HostType() == TadxOfficeHostApp::ohaAccess)
        return true;
    return ReadRecord(Module(), record_key::Controls, m_officeTag) != m_propertyChanged;
}

bool TadxCommandBarControl::RemovedByUser() const {
    if (m_temporary || Module().HostType() == TadxOfficeHostApp::ohaAccess)
        return false;
    // A record equal to the counter means the control was made from this very definition;
    // that Office has it no more means the user took it away.
    return ReadRecord(Module(), record_key::Controls, m_officeTag) == m_propertyChanged;
}

void TadxCommandBarControl::RecordApplied() const {
    if (!m_temporary)
        WriteRecord(Module(), record_key::Controls, m_officeTag, m_propertyChanged);
}

// Finding, adding and linking.

office::CommandBar TadxCommandBarControl::OfficeParentBar() const {
    if (m_parent)
        return m_parent->Link().CommandBar();
    return m_bar->Link();
}

Control TadxCommandBarControl::AddToOffice(std::optional<std::int32_t> type,
                                           std::optional<std::int32_t> id) const {
    const office::CommandBar parentBar = OfficeParentBar();
    std::optional<std::int32_t> before;
    if (m_before != 0) {
        before = m_before;
    } else if (m_beforeId != 0) {
        if (const Control reference =
                parentBar.FindControl(std::nullopt, m_beforeId, std::nullopt, std::nullopt, true))
            before = reference.Index();
    } else if (m_afterId != 0) {
        if (const Control reference =
                parentBar.FindControl(std::nullopt, m_afterId, std::nullopt, std::nullopt, true))
            before = reference.Index() + 1;
    }
    return parentBar.Controls().Add(type, id, m_parameter, before, m_temporary);
}

void TadxCommandBarControl::LinkTo(Control control) {
    m_link = std::move(control);
}

void TadxCommandBarControl::Unlink() noexcept {
    m_link = Control();
}

void TadxCommandBarControl::CreateOrFindControl() {
    TadxCOMAddInModule& module = Module();
    if (module.HostType() == TadxOfficeHostApp::ohaMapPoint)
        throw NoControlsOnHostError();
    if (!m_bar->IsLinked())
        return;
    const office::CommandBar& bar = m_bar->Link();
    const bool copy = TypeCode() == 5;
    Control found;
    if (copy)
        found = bar.FindControl(std::nullopt, m_officeId, m_officeTag, std::nullopt, true);
    else if (m_officeId == 1)
        // A custom control may stand on any bar: one left over by a crash is taken back.
        found = office::CommandBars(module.HostCommandBars())
                    .FindControl(OfficeType(), std::nullopt, m_officeTag, std::nullopt);
    else
        found = bar.FindControl(OfficeType(), std::nullopt, m_officeTag, std::nullopt, true);
    if (!found) {
        if (RemovedByUser())
            return;
        found = AddToOffice(copy ? std::optional<std::int32_t>(0) : OfficeType(), m_officeId);
    }
    LinkTo(std::move(found));
    ApplyControlProperties();
}

// Applying the stored properties.

void TadxCommandBarControl::MoveToPlace() {
    const office::CommandBar parentBar = OfficeParentBar();
    const std::int32_t live = m_link.Index();
    std::optional<std::int32_t> target;
    if (m_before != 0) {
        if (m_before != live)
            target = m_before;
    } else if (m_beforeId == 0 && m_afterId == 0) {
        if (!parentBar.BuiltIn()) {
            const TadxCommandBarControls& siblings =
                m_parent ? m_parent->Controls() : m_bar->Controls();
            const auto place = static_cast<std::int32_t>(siblings.IndexOf(*this)) + 1;
            // Move's Before counts the control itself while it still stands in front.
            if (live != place)
                target = live < place ? place + 1 : place;
        }
    } else if (m_beforeId != 0) {
        if (const Control reference =
                parentBar.FindControl(std::nullopt, m_beforeId, std::nullopt, std::nullopt, true))
            if (reference.Index() != live + 1)
                target = reference.Index();
    } else if (const Control reference = parentBar.FindControl(std::nullopt, m_afterId,
                                                               std::nullopt, std::nullopt, true)) {
        if (reference.Index() + 1 != live)
            target = reference.Index() + 1;
    }
    if (target)
        m_link.Move(nullptr, target);
}

void TadxCommandBarControl::ApplyCommonProperties() {
    PushLive<&Control::BeginGroup, &Control::SetBeginGroup>(m_beginGroup);
    PushLive<&Control::Caption, &Control::SetCaption>(m_caption);
    PushLive<&Control::DescriptionText, &Control::SetDescriptionText>(m_descriptionText);
    PushLive<&Control::Enabled, &Control::SetEnabled>(m_enabled);
    if (m_height != 0)
        PushLive<&Control::Height, &Control::SetHeight>(m_height);
    PushLive<&Control::HelpContextId, &Control::SetHelpContextId>(m_helpContextId);
    PushLive<&Control::HelpFile, &Control::SetHelpFile>(m_helpFile);
    PushLive<&Control::Parameter, &Control::SetParameter>(m_parameter);
    PushLive<&Control::Priority, &Control::SetPriority>(m_priority);
    PushLive<&Control::Tag, &Control::SetTag>(m_officeTag);
    PushLive<&Control::TooltipText, &Control::SetTooltipText>(m_tooltipText);
    PushLive<&Control::Visible, &Control::SetVisible>(m_visible);
    if (m_width != 0)
        PushLive<&Control::Width, &Control::SetWidth>(m_width);
}

bool TadxCommandBarControl::ApplyControlProperties() {
    if (!PropertiesDue())
        return false;
    if (m_link && !m_temporary && Module().StartMode() != start_mode::FirstStart) {
        Guard([this] { MoveToPlace(); });
    }
    ApplyCommonProperties();
    return true;
}

// Deleting.

void TadxCommandBarControl::DeleteControl(bool temporary) {
    if (m_link) {
        const Control link = m_link;
        Unlink();
        link.Delete(temporary);
    }
}

Control TadxCommandBarControl::FindForRemoval(const office::CommandBar& bar,
                                              const office::CommandBars& bars) const {
    if (TypeCode() == 5)
        return bar ? bar.FindControl(std::nullopt, m_officeId, m_officeTag, std::nullopt, true)
                   : Control();
    Control found;
    if (bar)
        found = bar.FindControl(OfficeType(), std::nullopt, m_officeTag, std::nullopt, true);
    if (!found && m_officeId == 1 && bars)
        found = bars.FindControl(OfficeType(), std::nullopt, m_officeTag, std::nullopt);
    return found;
}

} // namespace tarvex::framework

#include "framework/ribbon_component.h"

#include <algorithm>

#include "base/guid.h"
#include "base/text.h"
#include "framework/errors.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "host/office/office.h"

namespace tarvex::framework {

namespace {
/// "adxRibbon" + kind + a new GUID as 32 upper-case hexadecimal digits.
std::u16string NewDesignerId(std::string_view kind) {
    std::string id = "adxRibbon" + std::string(kind);
    for (char c : base::Guid::Generate().ToString())
        if (c != '{' && c != '}' && c != '-')
            id += c;
    return base::Utf8ToUtf16(id);
}
} // namespace

TadxRibbonComponent::TadxRibbonComponent(TComponent* owner, TadxCOMAddInModule& module,
                                         std::string_view kind)
    : TComponent(owner)
    , m_module(&module)
    , m_id(NewDesignerId(kind)) {
    m_module->MapControlId(MapKey(), this);
}

TadxRibbonComponent::~TadxRibbonComponent() {
    m_module->UnmapControlId(this);
}

std::string TadxRibbonComponent::MapKey() const {
    return base::Utf16ToUtf8(m_idMso.empty() ? m_id : m_idMso);
}

void TadxRibbonComponent::Rekey() {
    // An entry dropped by the customUI pruning stays dropped.
    m_module->RekeyControlId(this, MapKey());
}

void TadxRibbonComponent::SetId(std::u16string id) {
    if (id.empty() || id == m_id)
        return;
    m_id = std::move(id);
    Rekey();
}

void TadxRibbonComponent::SetIdMso(std::u16string idMso) {
    if (idMso == m_idMso)
        return;
    m_idMso = std::move(idMso);
    Rekey();
}

bool TadxRibbonComponent::SetText(std::u16string& field, std::u16string value,
                                  TadxRibbonState state) {
    if (field == value)
        return false;
    field = std::move(value);
    StateChanged(state);
    return true;
}

void TadxRibbonComponent::SetInsertAfterIdMso(std::u16string value) {
    SetText(m_insertAfterIdMso, std::move(value), TadxRibbonState::Insert);
}

void TadxRibbonComponent::SetInsertAfterId(std::u16string value) {
    SetText(m_insertAfterId, std::move(value), TadxRibbonState::Insert);
}

void TadxRibbonComponent::SetInsertBeforeIdMso(std::u16string value) {
    SetText(m_insertBeforeIdMso, std::move(value), TadxRibbonState::Insert);
}

void TadxRibbonComponent::SetInsertBeforeId(std::u16string value) {
    SetText(m_insertBeforeId, std::move(value), TadxRibbonState::Insert);
}

void TadxRibbonComponent::SetCaption(std::u16string caption) {
    SetText(m_caption, std::move(caption), TadxRibbonState::Caption);
}

void TadxRibbonComponent::SetVisible(bool value) {
    if (value == m_visible)
        return;
    m_visible = value;
    StateChanged(TadxRibbonState::Visible);
}

void TadxRibbonComponent::SetKeyTip(std::u16string keyTip) {
    if (keyTip.size() > 3)
        keyTip.resize(3);
    SetText(m_keyTip, std::move(keyTip), TadxRibbonState::KeyTip);
}

void TadxRibbonComponent::SetRibbons(TadxRibbons ribbons) {
    if (ribbons.Empty())
        return;
    m_ribbons = ribbons;
    if (TadxRibbonControls* children = GetChildControls())
        for (std::size_t i = 0; i < children->Count(); ++i)
            (*children)[i].SetRibbons(ribbons);
}

void TadxRibbonComponent::RefreshInRibbon() const {
    const auto& ribbonUI = m_module->RibbonUI();
    if (!ribbonUI)
        return;
    const host::office::RibbonUI ribbon(ribbonUI);
    if (!m_idMso.empty())
        ribbon.Invalidate();
    else
        ribbon.InvalidateControl(m_id);
}

void TadxRibbonComponent::CheckNewChild(int, std::string_view className) const {
    throw WrongOwnerError(className, ClassName());
}

void TadxRibbonComponent::AddIdAttribute(TadxXmlAttributes& attributes) const {
    if (!m_module->Namespace().empty())
        AddXmlAttribute(attributes, u"idQ", u"default:" + m_id);
    else
        AddXmlAttribute(attributes, u"id", m_id);
}

void TadxRibbonComponent::AddInsertAttribute(TadxXmlAttributes& attributes) const {
    if (!m_insertAfterIdMso.empty())
        AddXmlAttribute(attributes, u"insertAfterMso", m_insertAfterIdMso);
    else if (!m_insertBeforeIdMso.empty())
        AddXmlAttribute(attributes, u"insertBeforeMso", m_insertBeforeIdMso);
    else if (!m_insertAfterId.empty())
        AddXmlAttribute(attributes, u"insertAfterQ", m_insertAfterId);
    else if (!m_insertBeforeId.empty())
        AddXmlAttribute(attributes, u"insertBeforeQ", m_insertBeforeId);
}

void AddXmlAttribute(TadxXmlAttributes& attributes, std::u16string_view name,
                     std::u16string_view value) {
    if (!value.empty())
        attributes.emplace_back(std::u16string(name), std::u16string(value));
}

std::u16string_view XmlBoolean(bool value) noexcept {
    return value ? u"true" : u"false";
}

TadxRibbonControls::TadxRibbonControls(TadxRibbonComponent& owner, int limit) noexcept
    : m_owner(owner)
    , m_limit(limit) {}

TadxRibbonControls::~TadxRibbonControls() {
    Clear();
}

void TadxRibbonControls::Delete(std::size_t index) {
    if (index >= m_items.size())
        throw base::Error(base::hr::InvalidArg, "List index out of bounds");
    const std::unique_ptr<TadxRibbonCustomControl> control = std::move(m_items[index]);
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
}

void TadxRibbonControls::Clear() noexcept {
    while (!m_items.empty()) {
        const std::unique_ptr<TadxRibbonCustomControl> last = std::move(m_items.back());
        m_items.pop_back();
    }
}

void TadxRibbonControls::ThrowFull() const {
    throw TooManyItemsError(m_limit);
}

} // namespace tarvex::framework

#include "framework/ribbon_tab.h"

#include <algorithm>

#include "framework/errors.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_xml_attributes.h"

namespace tarvex::framework {

namespace {
/// The module that owns a new tab; anything else is refused before the tab exists.
TadxCOMAddInModule& TabModule(TComponent* owner) {
    auto* module = dynamic_cast<TadxCOMAddInModule*>(owner);
    if (!module)
        throw ModuleOwnerError("TadxRibbonTab", owner ? owner->ClassName() : "nil");
    return *module;
}

/// Gives -1 to every control under `controls` whose ImageIndex is not below `count`.
void ClampImageIndexes(TadxRibbonControls& controls, std::int32_t count) {
    for (std::size_t i = 0; i < controls.Count(); ++i) {
        TadxRibbonCustomControl& control = controls[i];
        if (control.ImageIndex() >= count)
            control.SetImageIndex(-1);
        if (TadxRibbonControls* children = control.GetChildControls())
            ClampImageIndexes(*children, count);
    }
}
// A tab with a context is a contextual tab and is listed with those.
TadxCOMAddInModule::ComponentList ListOf(std::u16string_view context) noexcept {
    return context.empty() ? TadxCOMAddInModule::ComponentList::RibbonTabs
                           : TadxCOMAddInModule::ComponentList::ContextualTabs;
}
} // namespace

TadxRibbonTab::TadxRibbonTab(TComponent* owner)
    : TadxRibbonComponent(owner, TabModule(owner), "Tab")
    , m_controls(*this, 100) {
    SetRibbons(RibbonsOfHosts(Module().SupportedApps()));
    Module().Enlist(ListOf(m_context), this);
}

TadxRibbonTab::~TadxRibbonTab() {
    m_controls.Clear();
    Module().Delist(TadxCOMAddInModule::ComponentList::RibbonTabs, this);
    Module().Delist(TadxCOMAddInModule::ComponentList::ContextualTabs, this);
}

void TadxRibbonTab::SetContext(std::u16string context) {
    if (context == m_context)
        return;
    Module().Delist(ListOf(m_context), this);
    m_context = std::move(context);
    Module().Enlist(ListOf(m_context), this);
}

void TadxRibbonTab::SetImages(std::optional<TadxImageList> images) {
    m_images = std::move(images);
    ClampImageIndexes(m_controls, m_images ? static_cast<std::int32_t>(m_images->size()) : 0);
}

void TadxRibbonTab::CheckNewChild(int controlType, std::string_view className) const {
    if (controlType != TadxRibbonGroup::kControlType)
        throw WrongOwnerError(className, ClassName());
}

void TadxRibbonTab::StateChanged(TadxRibbonState state) {
    if (state == TadxRibbonState::KeyTip)
        RefreshInRibbon();
}

// The tab's attributes in the customUI document.
TadxXmlAttributes TadxRibbonTab::GetXmlAttributes() const {
    return detail::ContainerXmlAttributes(
        *this, m_shared, std::nullopt, [this](TadxXmlAttributes& a) { AddIdAttribute(a); },
        [this](TadxXmlAttributes& a) { AddInsertAttribute(a); });
}

} // namespace tarvex::framework

#include "framework/ribbon_tab.h"

#include <algorithm>

#include "framework/errors.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"

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
} // namespace

TadxRibbonTab::TadxRibbonTab(TComponent* owner)
    : TadxRibbonComponent(owner, TabModule(owner), "Tab")
    , m_controls(*this, 100) {
    SetRibbons(RibbonsOfHosts(Module().SupportedApps()));
    OwnList().push_back(this);
}

TadxRibbonTab::~TadxRibbonTab() {
    m_controls.Clear();
    std::erase(Module().RibbonTabList(), this);
    std::erase(Module().ContextualTabList(), this);
}

std::vector<TComponent*>& TadxRibbonTab::OwnList() const noexcept {
    return m_context.empty() ? Module().RibbonTabList() : Module().ContextualTabList();
}

void TadxRibbonTab::SetContext(std::u16string context) {
    if (context == m_context)
        return;
    std::erase(OwnList(), this);
    m_context = std::move(context);
    OwnList().push_back(this);
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

} // namespace tarvex::framework

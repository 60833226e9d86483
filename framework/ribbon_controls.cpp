#include "framework/ribbon_controls.h"

#include "framework/custom_ui.h"
#include "framework/errors.h"
#include "framework/module.h"
#include "framework/ribbon_tab.h"
#include "host/scope_exit.h"

namespace tarvex::framework {

// TadxRibbonCustomControl

TadxRibbonCustomControl::TadxRibbonCustomControl(TadxRibbonComponent& parent, std::string_view kind)
    : TadxRibbonComponent(nullptr, parent.Module(), kind)
    , m_parent(&parent) {
    SetRibbons(parent.Ribbons());
}

int TadxRibbonCustomControl::ParentControlType() const noexcept {
    const auto* control = dynamic_cast<const TadxRibbonCustomControl*>(m_parent);
    return control ? control->GetControlType() : 0;
}

TadxRibbonTab& TadxRibbonCustomControl::Tab() const noexcept {
    TadxRibbonComponent* component = m_parent;
    while (auto* control = dynamic_cast<TadxRibbonCustomControl*>(component))
        component = &control->Parent();
    // Every collection chain ends at a tab: only a tab holds groups.
    return static_cast<TadxRibbonTab&>(*component);
}

void TadxRibbonCustomControl::StateChanged(TadxRibbonState) {
    RefreshInRibbon();
}

template <class T>
void TadxRibbonCustomControl::Store(T& field, T value) {
    if (field == value)
        return;
    field = std::move(value);
    StateChanged(TadxRibbonState::Other);
}

void TadxRibbonCustomControl::SetDescription(std::u16string value) {
    Store(m_description, std::move(value));
}
void TadxRibbonCustomControl::SetEnabled(bool value) {
    Store(m_enabled, value);
}
void TadxRibbonCustomControl::SetGlyph(host::Bitmap glyph) {
    Store(m_glyph, std::move(glyph));
}
void TadxRibbonCustomControl::SetImageIndex(std::int32_t value) {
    Store(m_imageIndex, value);
}
void TadxRibbonCustomControl::SetImageMso(std::u16string value) {
    Store(m_imageMso, std::move(value));
}
void TadxRibbonCustomControl::SetPressed(bool value) {
    Store(m_pressed, value);
}
void TadxRibbonCustomControl::SetScreenTip(std::u16string value) {
    Store(m_screenTip, std::move(value));
}
void TadxRibbonCustomControl::SetSuperTip(std::u16string value) {
    Store(m_superTip, std::move(value));
}
void TadxRibbonCustomControl::SetShowCaption(bool value) {
    Store(m_showCaption, value);
}
void TadxRibbonCustomControl::SetSize(TadxRibbonXControlSize value) {
    Store(m_size, value);
}
void TadxRibbonCustomControl::SetText(std::u16string value) {
    Store(m_text, std::move(value));
}
void TadxRibbonCustomControl::SetSelectedItemId(std::u16string value) {
    Store(m_selectedItemId, std::move(value));
}
void TadxRibbonCustomControl::SetSelectedItemIndex(std::int32_t value) {
    Store(m_selectedItemIndex, value);
}
void TadxRibbonCustomControl::SetTitle(std::u16string value) {
    Store(m_title, std::move(value));
}
void TadxRibbonCustomControl::SetItemHeight(std::int32_t value) {
    Store(m_itemHeight, value);
}
void TadxRibbonCustomControl::SetItemWidth(std::int32_t value) {
    Store(m_itemWidth, value);
}

const host::Bitmap* TadxRibbonCustomControl::PictureSource() const noexcept {
    if (!m_glyph.Empty())
        return &m_glyph;
    const auto& images = Tab().Images();
    if (!images || m_imageIndex < 0 || static_cast<std::size_t>(m_imageIndex) >= images->size())
        return nullptr;
    return &(*images)[static_cast<std::size_t>(m_imageIndex)];
}

void TadxRibbonCustomControl::DoAction(const TadxRibbonActionArguments&) {}

std::u16string TadxRibbonCustomControl::GetContent() {
    return {};
}

void TadxRibbonCustomControl::RunClick(const TadxRibbonOnClick& handler,
                                       const host::office::RibbonControl& control) {
    // Office can deliver a second click while the first handler still runs (a message loop
    // inside a modal dialog); that click is dropped.
    if (!handler || m_clickRunning)
        return;
    m_clickRunning = true;
    const host::ScopeExit done([this]() noexcept { m_clickRunning = false; });
    Module().Guard([&] { handler(*this, control); });
}

// TadxRibbonGroup

TadxRibbonGroup::TadxRibbonGroup(TadxRibbonComponent& parent)
    : TadxRibbonCustomControl(parent, "Group")
    , m_controls(*this, 1000) {}

TadxRibbonGroup::~TadxRibbonGroup() {
    m_controls.Clear();
}

void TadxRibbonGroup::CheckNewChild(int controlType, std::string_view className) const {
    if (controlType == ribbon_control_type::Group)
        throw WrongOwnerError(className, ClassName());
    if (controlType == ribbon_control_type::DialogBoxLauncher)
        for (std::size_t i = 0; i < m_controls.Count(); ++i)
            if (m_controls[i].GetControlType() == ribbon_control_type::DialogBoxLauncher)
                throw SingleInstanceError(className, "Ribbon Group");
}

// TadxRibbonButton

TadxRibbonButton::TadxRibbonButton(TadxRibbonComponent& parent)
    : TadxRibbonCustomControl(parent, "Button") {}

void TadxRibbonButton::DoAction(const TadxRibbonActionArguments& arguments) {
    StorePressed(arguments.pressed);
    RunClick(OnClick, arguments.control);
}

// TadxRibbonMenu

TadxRibbonMenu::TadxRibbonMenu(TadxRibbonComponent& parent)
    : TadxRibbonCustomControl(parent, "Menu")
    , m_controls(*this, 1000) {}

TadxRibbonMenu::~TadxRibbonMenu() {
    m_controls.Clear();
}

void TadxRibbonMenu::CheckNewChild(int controlType, std::string_view className) const {
    if (controlType == ribbon_control_type::Group ||
        controlType == ribbon_control_type::DialogBoxLauncher)
        throw WrongOwnerError(className, ClassName());
}

void TadxRibbonMenu::SetDynamic(bool value) noexcept {
    // The customUI schema allows only a static menu inside a split button.
    if (ParentControlType() == ribbon_control_type::SplitButton)
        return;
    m_dynamic = value;
}

void TadxRibbonMenu::FireOnCreate() {
    if (!OnCreate)
        return;
    Module().Guard([this] { OnCreate(*this); });
}

std::u16string TadxRibbonMenu::GetContent() {
    if (!m_dynamic)
        return {};
    FireOnCreate();
    return BuildDynamicMenuXml(*this);
}

// TadxRibbonMenuSeparator

TadxRibbonMenuSeparator::TadxRibbonMenuSeparator(TadxRibbonComponent& parent)
    : TadxRibbonCustomControl(parent, "MenuSeparator") {}

// TadxRibbonDialogBoxLauncher

TadxRibbonDialogBoxLauncher::TadxRibbonDialogBoxLauncher(TadxRibbonComponent& parent)
    : TadxRibbonCustomControl(parent, "DialogBoxLauncher") {}

void TadxRibbonDialogBoxLauncher::DoAction(const TadxRibbonActionArguments& arguments) {
    RunClick(OnClick, arguments.control);
}

} // namespace tarvex::framework

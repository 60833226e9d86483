#include "framework/ribbon_controls.h"

#include "base/scope_exit.h"
#include "framework/custom_ui.h"
#include "framework/errors.h"
#include "framework/module.h"
#include "framework/ribbon_tab.h"
#include "framework/ribbon_xml_attributes.h"

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
void TadxRibbonCustomControl::SetGlyph(base::Bitmap glyph) {
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

const base::Bitmap* TadxRibbonCustomControl::PictureSource() const noexcept {
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
    const base::ScopeExit done([this]() noexcept { m_clickRunning = false; });
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

// How each control describes itself in the customUI document: its element name and its
// attributes in writing order. Apart from controls that stand for built-in Office controls,
// every attribute names a callback that Office calls later.

namespace {
namespace type = ribbon_control_type;

bool ParentHasIdMso(const TadxRibbonCustomControl& control) {
    return !control.Parent().IdMso().empty();
}

bool IsListParent(int parentType) {
    return parentType == type::DropDown || parentType == type::Gallery;
}
} // namespace

void TadxRibbonCustomControl::AddImageAttribute(TadxXmlAttributes& attributes) const {
    if (!m_glyph.Empty() || m_imageIndex >= 0)
        AddXmlAttribute(attributes, u"getImage", u"GetImage_Callback");
}

// Group

std::u16string TadxRibbonGroup::GetXmlTagName() const {
    return u"group";
}

TadxXmlAttributes TadxRibbonGroup::GetXmlAttributes() const {
    return detail::ContainerXmlAttributes(
        *this, m_shared, detail::ContainerTips{ScreenTip(), SuperTip()},
        [this](TadxXmlAttributes& a) { AddIdAttribute(a); },
        [this](TadxXmlAttributes& a) { AddInsertAttribute(a); });
}

// Button

std::u16string TadxRibbonButton::GetXmlTagName() const {
    if (!IdMso().empty() && m_parseMsoXmlTypeAs == TadxParseMsoXmlTypeAs::pxtControl)
        return u"control";
    if (IsListParent(ParentControlType()))
        return u"button";
    return m_toggleButton ? u"toggleButton" : u"button";
}

TadxXmlAttributes TadxRibbonButton::GetXmlAttributes() const {
    TadxXmlAttributes attributes;
    const int parentType = ParentControlType();
    if (!IdMso().empty()) {
        AddXmlAttribute(attributes, u"idMso", IdMso());
        if (ParentHasIdMso(*this))
            return attributes;
        AddXmlAttribute(attributes, u"label", Caption());
        AddXmlAttribute(attributes, u"supertip", SuperTip());
        AddXmlAttribute(attributes, u"screentip", ScreenTip());
        AddXmlAttribute(attributes, u"showLabel", XmlBoolean(ShowCaption()));
        AddXmlAttribute(attributes, u"enabled", XmlBoolean(Enabled()));
    } else {
        AddIdAttribute(attributes);
        AddImageAttribute(attributes);
        AddXmlAttribute(attributes, u"getKeytip", u"GetKeyTip_Callback");
        AddXmlAttribute(attributes, u"getLabel", u"GetLabel_Callback");
        AddXmlAttribute(attributes, u"getSupertip", u"GetSuperTip_Callback");
        AddXmlAttribute(attributes, u"getScreentip", u"GetScreenTip_Callback");
        AddXmlAttribute(attributes, u"getShowLabel", u"GetShowLabel_Callback");
        AddXmlAttribute(attributes, u"getShowImage", u"GetShowImage_Callback");
        AddXmlAttribute(attributes, u"getEnabled", u"GetEnabled_Callback");
        if (IsListParent(parentType) || !m_toggleButton) {
            AddXmlAttribute(attributes, u"onAction", u"OnActionCommon_Callback");
        } else {
            AddXmlAttribute(attributes, u"getPressed", u"GetPressed_Callback");
            AddXmlAttribute(attributes, u"onAction", u"OnActionState_Callback");
        }
    }
    AddInsertAttribute(attributes);
    AddXmlAttribute(attributes, u"imageMso", ImageMso());
    if (GetXmlTagName() != u"control")
        AddXmlAttribute(attributes, u"getDescription", u"GetDescription_Callback");
    if (parentType != type::Gallery && parentType != type::Menu && parentType != type::DropDown &&
        parentType != type::SplitButton && parentType != type::ButtonGroup)
        AddXmlAttribute(attributes, u"getSize", u"GetSize_Callback");
    if (parentType != type::SplitButton)
        AddXmlAttribute(attributes, u"getVisible", u"GetVisible_Callback");
    return attributes;
}

// Menu

std::u16string TadxRibbonMenu::GetXmlTagName() const {
    if (!IdMso().empty() && !ParentHasIdMso(*this))
        return u"control";
    return m_dynamic ? u"dynamicMenu" : u"menu";
}

TadxXmlAttributes TadxRibbonMenu::GetXmlAttributes() const {
    TadxXmlAttributes attributes;
    const int parentType = ParentControlType();
    if (!IdMso().empty()) {
        AddXmlAttribute(attributes, u"idMso", IdMso());
        if (ParentHasIdMso(*this))
            return attributes;
        AddXmlAttribute(attributes, u"keytip", KeyTip());
        AddXmlAttribute(attributes, u"label", Caption());
        AddXmlAttribute(attributes, u"supertip", SuperTip());
        AddXmlAttribute(attributes, u"screentip", ScreenTip());
        AddXmlAttribute(attributes, u"showLabel", XmlBoolean(ShowCaption()));
        AddXmlAttribute(attributes, u"enabled", XmlBoolean(Enabled()));
        AddXmlAttribute(attributes, u"showImage", XmlBoolean(!ImageMso().empty()));
        AddXmlAttribute(attributes, u"description", Description());
    } else {
        AddIdAttribute(attributes);
        if (m_dynamic) {
            AddXmlAttribute(attributes, u"getContent", u"GetContent_Callback");
            AddXmlAttribute(attributes, u"invalidateContentOnDrop", u"true");
        } else {
            AddXmlAttribute(attributes, u"itemSize",
                            m_itemSize == TadxRibbonXItemSize::Large ? u"large" : u"normal");
        }
        AddImageAttribute(attributes);
        AddXmlAttribute(attributes, u"getShowLabel", u"GetShowLabel_Callback");
        AddXmlAttribute(attributes, u"getShowImage", u"GetShowImage_Callback");
        AddXmlAttribute(attributes, u"getEnabled", u"GetEnabled_Callback");
        AddXmlAttribute(attributes, u"getDescription", u"GetDescription_Callback");
        AddXmlAttribute(attributes, u"getKeytip", u"GetKeyTip_Callback");
        AddXmlAttribute(attributes, u"getLabel", u"GetLabel_Callback");
        if (parentType == type::SplitButton)
            AddXmlAttribute(attributes, u"supertip", SuperTip());
        else
            AddXmlAttribute(attributes, u"getSupertip", u"GetSuperTip_Callback");
        AddXmlAttribute(attributes, u"getScreentip", u"GetScreenTip_Callback");
    }
    AddInsertAttribute(attributes);
    AddXmlAttribute(attributes, u"imageMso", ImageMso());
    if (parentType != type::Menu && parentType != type::SplitButton &&
        parentType != type::ButtonGroup)
        AddXmlAttribute(attributes, u"getSize", u"GetSize_Callback");
    AddXmlAttribute(attributes, u"getVisible", u"GetVisible_Callback");
    return attributes;
}

// Menu separator

std::u16string TadxRibbonMenuSeparator::GetXmlTagName() const {
    return u"menuSeparator";
}

TadxXmlAttributes TadxRibbonMenuSeparator::GetXmlAttributes() const {
    TadxXmlAttributes attributes;
    AddIdAttribute(attributes);
    AddInsertAttribute(attributes);
    AddXmlAttribute(attributes, u"getTitle", u"GetTitle_Callback");
    return attributes;
}

// Dialog box launcher

std::u16string TadxRibbonDialogBoxLauncher::GetXmlTagName() const {
    return u"dialogBoxLauncher";
}

TadxXmlAttributes TadxRibbonDialogBoxLauncher::GetXmlAttributes() const {
    TadxXmlAttributes attributes;
    if (!IdMso().empty()) {
        AddXmlAttribute(attributes, u"idMso", IdMso());
        if (!ParentHasIdMso(*this))
            AddXmlAttribute(attributes, u"getVisible", u"GetVisible_Callback");
        return attributes;
    }
    AddIdAttribute(attributes);
    AddXmlAttribute(attributes, u"getKeytip", u"GetKeyTip_Callback");
    AddXmlAttribute(attributes, u"getSupertip", u"GetSuperTip_Callback");
    AddXmlAttribute(attributes, u"getScreentip", u"GetScreenTip_Callback");
    AddXmlAttribute(attributes, u"getEnabled", u"GetEnabled_Callback");
    AddXmlAttribute(attributes, u"onAction", u"OnActionCommon_Callback");
    AddXmlAttribute(attributes, u"getVisible", u"GetVisible_Callback");
    return attributes;
}

} // namespace tarvex::framework

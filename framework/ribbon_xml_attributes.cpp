// How each ribbon component describes itself in the customUI document: its element name and
// its attributes in writing order. Apart from shared tabs and groups and controls that stand
// for built-in Office controls, every attribute names a callback that Office calls later.

#include <optional>
#include <string_view>

#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"

namespace tarvex::framework {

namespace {
namespace type = ribbon_control_type;

bool HasSharedNamespace(const TadxRibbonComponent& component, bool shared) {
    return shared && !component.Module().Namespace().empty();
}

bool ParentHasIdMso(const TadxRibbonCustomControl& control) {
    return !control.Parent().IdMso().empty();
}

bool IsListParent(int parentType) {
    return parentType == type::DropDown || parentType == type::Gallery;
}

// The tips a group writes after its label; a tab has none.
struct ContainerTips {
    std::u16string_view screenTip;
    std::u16string_view superTip;
};

// A tab and a group are written alike. A shared one is merged by id across add-ins and written
// with fixed values under the module's shared namespace; its IdMso is not written. Any other
// one takes its values from callbacks, and one standing for a built-in tab or group is named
// by its IdMso alone. `addId` and `addPlacement` write the container's id and placement (the
// component's own protected writers, handed in by the caller).
template <class AddId, class AddPlacement>
TadxXmlAttributes ContainerXmlAttributes(const TadxRibbonComponent& container, bool shared,
                                         const std::optional<ContainerTips>& tips, AddId addId,
                                         AddPlacement addPlacement) {
    TadxXmlAttributes attributes;
    if (HasSharedNamespace(container, shared)) {
        AddXmlAttribute(attributes, u"idQ", u"shared:" + container.Id());
        AddXmlAttribute(attributes, u"visible", XmlBoolean(container.Visible()));
        addPlacement(attributes);
        AddXmlAttribute(attributes, u"keytip", container.KeyTip());
        AddXmlAttribute(attributes, u"label", container.Caption());
        if (tips) {
            AddXmlAttribute(attributes, u"screentip", tips->screenTip);
            AddXmlAttribute(attributes, u"supertip", tips->superTip);
        }
        return attributes;
    }
    AddXmlAttribute(attributes, u"getVisible", u"GetVisible_Callback");
    if (!container.IdMso().empty()) {
        AddXmlAttribute(attributes, u"idMso", container.IdMso());
        return attributes;
    }
    addId(attributes);
    addPlacement(attributes);
    AddXmlAttribute(attributes, u"getKeytip", u"GetKeyTip_Callback");
    AddXmlAttribute(attributes, u"getLabel", u"GetLabel_Callback");
    if (tips) {
        AddXmlAttribute(attributes, u"getSupertip", u"GetSuperTip_Callback");
        AddXmlAttribute(attributes, u"getScreentip", u"GetScreenTip_Callback");
    }
    return attributes;
}
} // namespace

void TadxRibbonCustomControl::AddImageAttribute(TadxXmlAttributes& attributes) const {
    if (!m_glyph.Empty() || m_imageIndex >= 0)
        AddXmlAttribute(attributes, u"getImage", u"GetImage_Callback");
}

// Tab and group

TadxXmlAttributes TadxRibbonTab::GetXmlAttributes() const {
    return ContainerXmlAttributes(
        *this, m_shared, std::nullopt, [this](TadxXmlAttributes& a) { AddIdAttribute(a); },
        [this](TadxXmlAttributes& a) { AddInsertAttribute(a); });
}

std::u16string TadxRibbonGroup::GetXmlTagName() const {
    return u"group";
}

TadxXmlAttributes TadxRibbonGroup::GetXmlAttributes() const {
    return ContainerXmlAttributes(
        *this, m_shared, ContainerTips{ScreenTip(), SuperTip()},
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

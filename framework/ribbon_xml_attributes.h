#pragma once

// What a ribbon tab and a ribbon group write alike in the customUI document. A shared one is
// merged by id across add-ins and written with fixed values under the module's shared
// namespace; its IdMso is not written. Any other one takes its values from callbacks, and one
// standing for a built-in tab or group is named by its IdMso alone.

#include <optional>
#include <string_view>

#include "framework/module.h"
#include "framework/ribbon_component.h"

namespace tarvex::framework::detail {

inline bool HasSharedNamespace(const TadxRibbonComponent& component, bool shared) {
    return shared && !component.Module().Namespace().empty();
}

// The tips a group writes after its label; a tab has none.
struct ContainerTips {
    std::u16string_view screenTip;
    std::u16string_view superTip;
};

// The attributes of a tab or a group. `addId` and `addPlacement` write the container's id and
// placement (the component's own protected writers, handed in by the caller).
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

} // namespace tarvex::framework::detail

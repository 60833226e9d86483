#include "framework/custom_ui.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/case_folding.h"
#include "base/text.h"
#include "framework/factory.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"
#include "framework/xml_helper.h"

namespace tarvex::framework {

namespace {

/// The host a ribbon id names: the first of these prefixes found in it decides.
constexpr std::array<std::pair<std::u16string_view, TadxOfficeHostApp>, 5> kRibbonHosts{{
    {u"Microsoft.Access.", TadxOfficeHostApp::ohaAccess},
    {u"Microsoft.Excel.", TadxOfficeHostApp::ohaExcel},
    {u"Microsoft.PowerPoint.", TadxOfficeHostApp::ohaPowerPoint},
    {u"Microsoft.Word.", TadxOfficeHostApp::ohaWord},
    {u"Microsoft.Outlook.", TadxOfficeHostApp::ohaOutlook},
}};

template <class Handler, class... Args>
void RunGuarded(TadxCOMAddInModule& module, const Handler& handler, Args&&... args) {
    if (!handler)
        return;
    module.Guard([&] { handler(std::forward<Args>(args)...); });
}

/// The namespace declarations of a document root: customUI's own, and with the module's
/// namespace the add-in's ProgID as "default" and the namespace as "shared".
void AddNamespaces(TadxXMLHelper& xml, const TadxCOMAddInModule& module) {
    xml.AddAttribute(u"xmlns", kCustomUINamespace);
    if (module.Namespace().empty())
        return;
    if (const TadxFactory* factory = module.Factory())
        xml.AddAttribute(u"xmlns:default", base::Utf8ToUtf16(factory->ProgId()));
    xml.AddAttribute(u"xmlns:shared", module.Namespace());
}

/// Fires OnCreate of the menu registered under `component`'s id, when there is one.
void FireMenuCreate(TadxRibbonComponent& component) {
    const std::u16string& id = component.IdMso().empty() ? component.Id() : component.IdMso();
    if (auto* menu = dynamic_cast<TadxRibbonMenu*>(component.Module().FindControlById(id)))
        menu->FireOnCreate();
}

void WriteControlXml(TadxXMLHelper& xml, TadxRibbonComponent& component,
                     std::u16string_view ribbonId) {
    if (!IsRibbonIncluded(ribbonId, component.Ribbons()))
        return;
    const std::u16string tag = component.GetXmlTagName();
    const TadxXmlAttributes attributes = component.GetXmlAttributes();
    if (TadxRibbonControls* children = component.GetChildControls()) {
        if (tag == u"menu")
            FireMenuCreate(component);
        // A dynamic menu's items come later, when Office asks for its content.
        if (children->Empty() || tag == u"dynamicMenu") {
            xml.WriteEmptyElement(tag, attributes);
            return;
        }
        xml.OpenElement(tag);
        xml.AddAttributes(attributes);
        for (std::size_t i = 0; i < children->Count(); ++i)
            WriteControlXml(xml, (*children)[i], ribbonId);
        xml.CloseElement(tag);
        return;
    }
    if (tag == u"dialogBoxLauncher") {
        xml.OpenElement(tag);
        xml.WriteEmptyElement(u"button", attributes);
        xml.CloseElement(tag);
        return;
    }
    xml.WriteEmptyElement(tag, attributes);
}

/// Whether a registered component stays reachable by the callbacks of this ribbon.
bool BelongsToRibbon(const TComponent* component, std::u16string_view ribbonId, bool outlook) {
    const auto* ribbonComponent = dynamic_cast<const TadxRibbonComponent*>(component);
    if (!ribbonComponent)
        return true;
    // Outlook asks once per inspector kind but shares one set of callbacks among them.
    if (outlook)
        return ribbonComponent->Ribbons().HasOutlook();
    return IsRibbonIncluded(ribbonId, ribbonComponent->Ribbons());
}

std::vector<TadxRibbonTab*> Tabs(const std::vector<TComponent*>& list) {
    std::vector<TadxRibbonTab*> tabs;
    for (TComponent* component : list)
        if (auto* tab = dynamic_cast<TadxRibbonTab*>(component))
            tabs.push_back(tab);
    return tabs;
}

/// "TabAddIns" from a context "TabSetSomething.TabAddIns": everything after the first ".".
std::u16string ContextIdMso(const std::u16string& context) {
    const std::size_t dot = context.find(u'.');
    return dot == std::u16string::npos ? context : context.substr(dot + 1);
}

} // namespace

std::u16string BuildCustomUIXml(TadxCOMAddInModule& module, std::u16string_view ribbonId) {
    bool outlook = false;
    for (const auto& [prefix, host] : kRibbonHosts) {
        if (ribbonId.find(prefix) != std::u16string_view::npos) {
            module.SetHostType(host);
            outlook = host == TadxOfficeHostApp::ohaOutlook;
            break;
        }
    }
    module.SetIsRibbonHost(true);

    const std::u16string id(ribbonId);
    RunGuarded(module, module.OnRibbonBeforeCreate, module, id);

    module.PruneControlIds(
        [&](TComponent* component) { return BelongsToRibbon(component, ribbonId, outlook); });

    TadxXMLHelper xml;
    xml.OpenElement(u"customUI");
    AddNamespaces(xml, module);
    xml.AddAttribute(u"onLoad", u"RibbonLoaded_Callback");
    xml.AddAttribute(u"loadImage", u"GetImages_Callback");

    const std::vector<TadxRibbonTab*> tabs = Tabs(module.RibbonTabList());
    const std::vector<TadxRibbonTab*> contextualTabs = Tabs(module.ContextualTabList());
    const bool hasRibbon = !tabs.empty() || !contextualTabs.empty();
    if (hasRibbon) {
        xml.OpenElement(u"ribbon");
        if (IsRibbonIncluded(ribbonId, module.StartFromScratch()))
            xml.AddAttribute(u"startFromScratch", u"true");
    }
    bool tabsOpen = false;
    for (TadxRibbonTab* tab : tabs) {
        if (!IsRibbonIncluded(ribbonId, tab->Ribbons()))
            continue;
        if (!tabsOpen) {
            xml.OpenElement(u"tabs");
            tabsOpen = true;
        }
        WriteControlXml(xml, *tab, ribbonId);
    }
    if (tabsOpen)
        xml.CloseElement(u"tabs");

    // Contextual tabs, grouped by context, each context in a tab set named after it.
    std::vector<std::u16string> contexts;
    for (TadxRibbonTab* tab : contextualTabs)
        if (IsRibbonIncluded(ribbonId, tab->Ribbons()) &&
            std::find(contexts.begin(), contexts.end(), tab->Context()) == contexts.end())
            contexts.push_back(tab->Context());
    if (!contexts.empty()) {
        xml.OpenElement(u"contextualTabs");
        for (const std::u16string& context : contexts) {
            xml.OpenElement(u"tabSet");
            xml.AddAttribute(u"idMso", ContextIdMso(context));
            for (TadxRibbonTab* tab : contextualTabs)
                if (tab->Context() == context)
                    WriteControlXml(xml, *tab, ribbonId);
            xml.CloseElement(u"tabSet");
        }
        xml.CloseElement(u"contextualTabs");
    }
    if (hasRibbon)
        xml.CloseElement(u"ribbon");
    xml.CloseElement(u"customUI");

    std::u16string text = xml.Text();
    RunGuarded(module, module.OnRibbonBeforeLoad, module, id, text);
    return text;
}

std::u16string BuildDynamicMenuXml(TadxRibbonMenu& menu) {
    TadxXMLHelper xml;
    xml.OpenElement(u"menu");
    AddNamespaces(xml, menu.Module());
    TadxRibbonControls& children = menu.Controls();
    for (std::size_t i = 0; i < children.Count(); ++i)
        WriteControlXml(xml, children[i], kDynamicMenuRibbonId);
    xml.CloseElement(u"menu");
    return xml.Text();
}

} // namespace tarvex::framework

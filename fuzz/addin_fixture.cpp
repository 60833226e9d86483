#include "fuzz/addin_fixture.h"

#include "framework/ribbon_component.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"

namespace tarvex::fuzz {
namespace {

void CollectIds(const framework::TadxRibbonComponent& component, std::vector<std::u16string>& ids) {
    ids.push_back(component.Id());
    if (const framework::TadxRibbonControls* children = component.GetChildControls()) {
        for (std::size_t i = 0; i < children->Count(); ++i)
            CollectIds((*children)[i], ids);
    }
}

} // namespace

AddinFixture::AddinFixture(bool tracking) {
    desktop.SetMessageHandler([](const sim::ShownMessage&) { return 1; });
    excel.SetText({1, 1}, u"INV-1");
    excel.SetText({2, 1}, u"INV-2");
    excel.SetText({3, 1}, u"INV-1");
    excel.SetText({1, 2}, u"INV-1");
    excel.SetCallLogging(false);
    if (tracking)
        module->TrackClick(*module);
}

std::vector<std::u16string> AddinFixture::RibbonIds() const {
    std::vector<std::u16string> ids;
    for (std::size_t i = 0; i < module->ComponentCount(); ++i) {
        if (auto* ribbon = dynamic_cast<framework::TadxRibbonComponent*>(&module->Component(i)))
            CollectIds(*ribbon, ids);
    }
    return ids;
}

} // namespace tarvex::fuzz

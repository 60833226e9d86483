// The forms of a group that the add-in's own document does not show: shared, with its fixed
// texts and tips in Office's order, and standing for a built-in group. A tab and a group are
// written by one routine, so these also guard the tab's forms against the group's extras.

#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_ribbon.h"

namespace tarvex::framework {
namespace {

class RibbonContainerAttributes : public ::testing::Test {
protected:
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::unique_ptr<testing::RibbonTestModule> module =
        TadxCOMAddInModule::Create<testing::RibbonTestModule>(ModuleServices{desktop, registry});
    testing::AddinRibbon ribbon = testing::BuildAddinRibbon(*module);
};

TEST_F(RibbonContainerAttributes, SharedGroupWritesFixedTextsThenScreenTipBeforeSuperTip) {
    TadxRibbonGroup& group = *ribbon.group;
    group.SetShared(true);
    group.SetVisible(false);
    group.SetInsertBeforeIdMso(u"GroupFont");
    group.SetKeyTip(u"TX");
    group.SetScreenTip(u"Screen");
    group.SetSuperTip(u"Super");
    EXPECT_EQ(group.GetXmlAttributes(),
              (TadxXmlAttributes{{u"idQ", u"shared:adxRibbonGroup80B49DA0A50245B7AB0790DB764228DF"},
                                 {u"visible", u"false"},
                                 {u"insertBeforeMso", u"GroupFont"},
                                 {u"keytip", u"TX"},
                                 {u"label", u"Tarvex"},
                                 {u"screentip", u"Screen"},
                                 {u"supertip", u"Super"}}));

    group.SetScreenTip(u"");
    group.SetSuperTip(u"");
    const TadxXmlAttributes untipped = group.GetXmlAttributes();
    ASSERT_FALSE(untipped.empty());
    EXPECT_EQ(untipped.back().first, u"label") << "empty tips are left out";
}

TEST_F(RibbonContainerAttributes, BuiltInGroupIsNamedByItsIdMsoAlone) {
    TadxRibbonGroup& group = *ribbon.group;
    group.SetIdMso(u"GroupClipboard");
    group.SetInsertAfterId(u"Other");
    group.SetSuperTip(u"Super");
    EXPECT_EQ(group.GetXmlAttributes(), (TadxXmlAttributes{{u"getVisible", u"GetVisible_Callback"},
                                                           {u"idMso", u"GroupClipboard"}}));
}

} // namespace
} // namespace tarvex::framework

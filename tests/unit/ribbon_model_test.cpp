// The ribbon component tree: ids in the module's ControlIdMap, the tab's owner and lists,
// collection limits, key tips, ribbon kinds and image indexes.

#include <algorithm>
#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"
#include "framework/errors.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_ribbon.h"

namespace tarvex::framework {
namespace {

using testing::RibbonTestModule;

class RibbonModel : public ::testing::Test {
protected:
    /// The keys ControlIdMap holds for `component`.
    std::vector<std::string> KeysOf(const TComponent& component) const {
        std::vector<std::string> keys;
        for (const auto& [key, registered] : module->ControlIdMap())
            if (registered == &component)
                keys.push_back(key);
        return keys;
    }

    TadxRibbonTab& NewTab() { return module->CreateComponent<TadxRibbonTab>(); }

    sim::SimDesktop desktop;
    sim::MemoryRegistry registry;
    std::unique_ptr<RibbonTestModule> module =
        TadxCOMAddInModule::Create<RibbonTestModule>(ModuleServices{desktop, registry});
};

using RibbonIds = RibbonModel;

TEST_F(RibbonIds, NewComponentsRegisterUnderADesignerIdOfTheirKind) {
    TadxRibbonTab& tab = NewTab();
    TadxRibbonGroup& group = tab.Controls().Add<TadxRibbonGroup>();
    const auto isDesignerId = [](const std::u16string& id, std::u16string_view kind) {
        const std::u16string prefix = u"adxRibbon" + std::u16string(kind);
        return id.size() == prefix.size() + 32 && id.starts_with(prefix) &&
               std::all_of(
                   id.begin() + static_cast<std::ptrdiff_t>(prefix.size()), id.end(),
                   [](char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); });
    };
    EXPECT_TRUE(isDesignerId(tab.Id(), u"Tab"));
    EXPECT_TRUE(isDesignerId(group.Id(), u"Group"));
    EXPECT_NE(tab.Id().substr(12), group.Id().substr(14));
    EXPECT_EQ(KeysOf(group), std::vector<std::string>{base::Utf16ToUtf8(group.Id())});
}

TEST_F(RibbonIds, EntryFollowsIdAndIdMsoAndAnEmptyIdIsIgnored) {
    TadxRibbonGroup& group = NewTab().Controls().Add<TadxRibbonGroup>();
    TadxRibbonButton& button = group.Controls().Add<TadxRibbonButton>();
    button.SetId(u"TrackButton");
    EXPECT_EQ(KeysOf(button), std::vector<std::string>{"TrackButton"});
    button.SetId(u"");
    EXPECT_EQ(button.Id(), u"TrackButton");
    button.SetIdMso(u"Paste");
    EXPECT_EQ(KeysOf(button), std::vector<std::string>{"Paste"});
    button.SetId(u"Renamed");
    EXPECT_EQ(KeysOf(button), std::vector<std::string>{"Paste"});
    button.SetIdMso(u"");
    EXPECT_EQ(KeysOf(button), std::vector<std::string>{"Renamed"});
}

TEST_F(RibbonIds, DeletedControlsAndTheirChildrenLeaveTheMap) {
    TadxRibbonTab& tab = NewTab();
    TadxRibbonGroup& group = tab.Controls().Add<TadxRibbonGroup>();
    group.Controls().Add<TadxRibbonButton>();
    TadxRibbonMenu& menu = group.Controls().Add<TadxRibbonMenu>();
    menu.Controls().Add<TadxRibbonButton>();
    menu.Controls().Add<TadxRibbonMenuSeparator>();
    EXPECT_EQ(module->ControlIdMap().size(), 6u);

    group.Controls().Delete(1);
    EXPECT_EQ(module->ControlIdMap().size(), 3u);
    EXPECT_EQ(group.Controls().Count(), 1u);
    EXPECT_THROW(group.Controls().Delete(1), base::Error);
}

TEST_F(RibbonIds, FreeingTheModuleTabRemovesItsEntriesAndListPlace) {
    auto other = TadxCOMAddInModule::Create<RibbonTestModule>(ModuleServices{desktop, registry});
    TadxRibbonTab& tab = other->CreateComponent<TadxRibbonTab>();
    tab.Controls().Add<TadxRibbonGroup>().Controls().Add<TadxRibbonButton>();
    ASSERT_EQ(other->RibbonTabList(), std::vector<TComponent*>{&tab});
    ASSERT_EQ(other->ControlIdMap().size(), 3u);
    other.reset(); // must not touch freed entries (ASan watches)
}

using RibbonTabLists = RibbonModel;

TEST_F(RibbonTabLists, TabNeedsTheModuleAsOwner) {
    try {
        TadxRibbonTab tab(nullptr);
        FAIL() << "a tab without owner was made";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), 31112);
        EXPECT_EQ(error.Message(),
                  "The TadxRibbonTab class can not be contained in the nil class.");
    }
    TComponent plain;
    try {
        plain.CreateComponent<TadxRibbonTab>();
        FAIL() << "a tab owned by a plain component was made";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), 31112);
        EXPECT_EQ(error.Message(),
                  "The TadxRibbonTab class can not be contained in the TComponent class.");
    }
    EXPECT_TRUE(module->ControlIdMap().empty());
}

TEST_F(RibbonTabLists, ContextMovesTheTabBetweenTheLists) {
    TadxRibbonTab& first = NewTab();
    TadxRibbonTab& second = NewTab();
    EXPECT_EQ(module->RibbonTabList(), (std::vector<TComponent*>{&first, &second}));
    first.SetContext(u"TabSetChartTools.TabSetChartTools");
    EXPECT_EQ(module->RibbonTabList(), std::vector<TComponent*>{&second});
    EXPECT_EQ(module->ContextualTabList(), std::vector<TComponent*>{&first});
    first.SetContext(u"");
    EXPECT_EQ(module->RibbonTabList(), (std::vector<TComponent*>{&second, &first}));
    EXPECT_TRUE(module->ContextualTabList().empty());
}

using RibbonCollections = RibbonModel;

TEST_F(RibbonCollections, GroupsAndMenusHoldAtMostAThousandControls) {
    TadxRibbonGroup& group = NewTab().Controls().Add<TadxRibbonGroup>();
    for (int i = 0; i < 1000; ++i)
        group.Controls().Add<TadxRibbonButton>();
    try {
        group.Controls().Add<TadxRibbonButton>();
        FAIL() << "a 1001st control was added";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), 31120);
        EXPECT_EQ(error.Message(), "There can not be more than 1000 items in this control!");
    }
    EXPECT_EQ(group.Controls().Count(), 1000u);
    EXPECT_EQ(module->ControlIdMap().size(), 1002u);
}

TEST_F(RibbonCollections, TabHoldsAtMostAHundredGroupsAndNothingElse) {
    TadxRibbonTab& tab = NewTab();
    EXPECT_THROW(tab.Controls().Add<TadxRibbonButton>(), base::Error);
    for (int i = 0; i < 100; ++i)
        tab.Controls().Add<TadxRibbonGroup>();
    try {
        tab.Controls().Add<TadxRibbonGroup>();
        FAIL() << "a 101st group was added";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), 31120);
        EXPECT_EQ(error.Message(), "There can not be more than 100 items in this control!");
    }
}

TEST_F(RibbonCollections, GroupHasOneDialogBoxLauncher) {
    TadxRibbonTab& tab = NewTab();
    TadxRibbonGroup& group = tab.Controls().Add<TadxRibbonGroup>();
    group.Controls().Add<TadxRibbonDialogBoxLauncher>();
    group.Controls().Add<TadxRibbonButton>();
    try {
        group.Controls().Add<TadxRibbonDialogBoxLauncher>();
        FAIL() << "a second launcher was added";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), 31119);
        EXPECT_EQ(error.Message(), "There can be only one instance of "
                                   "TadxRibbonDialogBoxLauncher in the Ribbon Group!");
    }
    EXPECT_EQ(group.Controls().Count(), 2u);
    // Another group may have its own.
    tab.Controls().Add<TadxRibbonGroup>().Controls().Add<TadxRibbonDialogBoxLauncher>();
}

using RibbonProperties = RibbonModel;

TEST_F(RibbonProperties, KeyTipKeepsThreeCharacters) {
    TadxRibbonTab& tab = NewTab();
    TadxRibbonButton& button =
        tab.Controls().Add<TadxRibbonGroup>().Controls().Add<TadxRibbonButton>();
    tab.SetKeyTip(u"MORV");
    button.SetKeyTip(u"TRACK");
    EXPECT_EQ(tab.KeyTip(), u"MOR");
    EXPECT_EQ(button.KeyTip(), u"TRA");
    button.SetKeyTip(u"T");
    EXPECT_EQ(button.KeyTip(), u"T");
}

TEST_F(RibbonProperties, RibbonsComeFromTheHostsAndPassToEveryChild) {
    module->SetSupportedApps({TadxOfficeHostApp::ohaExcel, TadxOfficeHostApp::ohaOutlook});
    TadxRibbonTab& tab = NewTab();
    EXPECT_EQ(tab.Ribbons(),
              (TadxRibbons{TadxRibbon::msrExcelWorkbook, TadxRibbon::msrOutlookMailRead,
                           TadxRibbon::msrOutlookMailCompose}));
    TadxRibbonGroup& group = tab.Controls().Add<TadxRibbonGroup>();
    TadxRibbonMenu& menu = group.Controls().Add<TadxRibbonMenu>();
    TadxRibbonButton& item = menu.Controls().Add<TadxRibbonButton>();
    EXPECT_EQ(item.Ribbons(), tab.Ribbons());

    tab.SetRibbons({TadxRibbon::msrWordDocument});
    EXPECT_EQ(item.Ribbons(), TadxRibbons{TadxRibbon::msrWordDocument});
    tab.SetRibbons({});
    EXPECT_EQ(tab.Ribbons(), TadxRibbons{TadxRibbon::msrWordDocument});
    EXPECT_EQ(menu.Ribbons(), TadxRibbons{TadxRibbon::msrWordDocument});
}

TEST(RibbonKinds, IdsAndInclusion) {
    EXPECT_EQ(RibbonIdOf(TadxRibbon::msrExcelWorkbook), u"Microsoft.Excel.Workbook");
    EXPECT_EQ(RibbonIdOf(TadxRibbon::msrOutlookSharingCompose),
              u"Microsoft.Outlook.Sharing.Compose");
    const TadxRibbons excel{TadxRibbon::msrExcelWorkbook};
    EXPECT_TRUE(IsRibbonIncluded(u"Microsoft.Excel.Workbook", excel));
    EXPECT_FALSE(IsRibbonIncluded(u"microsoft.excel.workbook", excel));
    EXPECT_FALSE(IsRibbonIncluded(u"Microsoft.Word.Document", excel));
    EXPECT_TRUE(IsRibbonIncluded(u"DynamicMenu", {}));
    EXPECT_FALSE(IsRibbonIncluded(u"Microsoft.Excel.Workbook", {}));
}

using RibbonImages = RibbonModel;

TEST_F(RibbonImages, PictureComesFromGlyphElseTheTabsImageList) {
    TadxRibbonTab& tab = NewTab();
    TadxRibbonMenu& menu = tab.Controls().Add<TadxRibbonGroup>().Controls().Add<TadxRibbonMenu>();
    TadxRibbonButton& item = menu.Controls().Add<TadxRibbonButton>();
    EXPECT_EQ(item.PictureSource(), nullptr);
    item.SetImageIndex(1);
    EXPECT_EQ(item.PictureSource(), nullptr); // no list yet
    tab.SetImages(TadxImageList{testing::TestGlyph(16, 1), testing::TestGlyph(16, 2)});
    ASSERT_NE(item.PictureSource(), nullptr);
    EXPECT_EQ(*item.PictureSource(), testing::TestGlyph(16, 2));
    item.SetGlyph(testing::TestGlyph(24, 3));
    EXPECT_EQ(*item.PictureSource(), testing::TestGlyph(24, 3));
}

TEST_F(RibbonImages, IndexesOutsideTheListBecomeMinusOneAtAnyDepth) {
    TadxRibbonTab& tab = NewTab();
    TadxRibbonGroup& group = tab.Controls().Add<TadxRibbonGroup>();
    TadxRibbonButton& first = group.Controls().Add<TadxRibbonButton>();
    TadxRibbonMenu& menu = group.Controls().Add<TadxRibbonMenu>();
    TadxRibbonButton& deep = menu.Controls().Add<TadxRibbonButton>();
    first.SetImageIndex(0);
    menu.SetImageIndex(1);
    deep.SetImageIndex(2);

    tab.SetImages(TadxImageList{testing::TestGlyph(16), testing::TestGlyph(16)});
    EXPECT_EQ(first.ImageIndex(), 0);
    EXPECT_EQ(menu.ImageIndex(), 1);
    EXPECT_EQ(deep.ImageIndex(), -1);

    tab.SetImages(std::nullopt);
    EXPECT_EQ(first.ImageIndex(), -1);
    EXPECT_EQ(menu.ImageIndex(), -1);
}

TEST_F(RibbonModel, TopOwnerOfAMenuItemIsTheTab) {
    const testing::AddinRibbon ribbon = testing::BuildAddinRibbon(*module);
    TadxRibbonCustomControl& item = ribbon.help->Controls()[9];
    EXPECT_EQ(&item.Tab(), ribbon.tab);
    EXPECT_EQ(&item.Parent(), ribbon.help);
    EXPECT_EQ(item.GetControlType(), 7);
    EXPECT_EQ(ribbon.help->Controls()[2].GetControlType(), 17);
    EXPECT_EQ(ribbon.launcher->GetControlType(), 18);
    EXPECT_EQ(ribbon.help->GetControlType(), 15);
    EXPECT_EQ(ribbon.group->GetControlType(), 4);
}

} // namespace
} // namespace tarvex::framework

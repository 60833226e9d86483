// The customUI document: the add-in's document byte for byte, what each ribbon id gets,
// the handlers around generation, dynamic menu content, and escaping of attribute values.

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "framework/custom_ui.h"
#include "framework/factory.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"
#include "framework/xml_helper.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_ribbon.h"

namespace tarvex::framework {
namespace {

constexpr std::u16string_view kExcel = u"Microsoft.Excel.Workbook";

/// Lines joined by CR LF, without a break after the last.
std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        if (!text.empty())
            text += "\r\n";
        text += line;
    }
    return text;
}

// What Office must receive for the add-in's ribbon in an Excel workbook window.
const std::string kAddinDocument = Lines({
    "<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" "
    "xmlns:default=\"qorvel.Tarvex\" xmlns:shared=\"MorvaneSoftware.Addin\" "
    "onLoad=\"RibbonLoaded_Callback\" loadImage=\"GetImages_Callback\">",
    "\t<ribbon>",
    "\t\t<tabs>",
    "\t\t\t<tab idQ=\"shared:adxRibbonTabD516D97599B14AE59FE2C8AE22A5B3F2\" visible=\"true\" "
    "label=\"Morvane\">",
    "\t\t\t\t<group getVisible=\"GetVisible_Callback\" "
    "idQ=\"default:adxRibbonGroup80B49DA0A50245B7AB0790DB764228DF\" "
    "getKeytip=\"GetKeyTip_Callback\" getLabel=\"GetLabel_Callback\" "
    "getSupertip=\"GetSuperTip_Callback\" getScreentip=\"GetScreenTip_Callback\">",
    "\t\t\t\t\t<toggleButton idQ=\"default:adxRibbonButton9C9DCA2AF7744E69B967F61693760765\" "
    "getImage=\"GetImage_Callback\" getKeytip=\"GetKeyTip_Callback\" "
    "getLabel=\"GetLabel_Callback\" getSupertip=\"GetSuperTip_Callback\" "
    "getScreentip=\"GetScreenTip_Callback\" getShowLabel=\"GetShowLabel_Callback\" "
    "getShowImage=\"GetShowImage_Callback\" getEnabled=\"GetEnabled_Callback\" "
    "getPressed=\"GetPressed_Callback\" onAction=\"OnActionState_Callback\" "
    "getDescription=\"GetDescription_Callback\" getSize=\"GetSize_Callback\" "
    "getVisible=\"GetVisible_Callback\" />",
    "\t\t\t\t\t<button idQ=\"default:adxRibbonButton9419ACA640D14F749D202A6874DAE101\" "
    "getImage=\"GetImage_Callback\" getKeytip=\"GetKeyTip_Callback\" "
    "getLabel=\"GetLabel_Callback\" getSupertip=\"GetSuperTip_Callback\" "
    "getScreentip=\"GetScreenTip_Callback\" getShowLabel=\"GetShowLabel_Callback\" "
    "getShowImage=\"GetShowImage_Callback\" getEnabled=\"GetEnabled_Callback\" "
    "onAction=\"OnActionCommon_Callback\" getDescription=\"GetDescription_Callback\" "
    "getSize=\"GetSize_Callback\" getVisible=\"GetVisible_Callback\" />",
    "\t\t\t\t\t<menu idQ=\"default:adxRibbonMenu11A5D5C2006343C498F0E816AEB072FE\" "
    "itemSize=\"normal\" getImage=\"GetImage_Callback\" getShowLabel=\"GetShowLabel_Callback\" "
    "getShowImage=\"GetShowImage_Callback\" getEnabled=\"GetEnabled_Callback\" "
    "getDescription=\"GetDescription_Callback\" getKeytip=\"GetKeyTip_Callback\" "
    "getLabel=\"GetLabel_Callback\" getSupertip=\"GetSuperTip_Callback\" "
    "getScreentip=\"GetScreenTip_Callback\" getSize=\"GetSize_Callback\" "
    "getVisible=\"GetVisible_Callback\">",
#define TARVEX_MENU_BUTTON(hex, image)                                                             \
    "\t\t\t\t\t\t<button idQ=\"default:adxRibbonButton" hex "\" " image                            \
    "getKeytip=\"GetKeyTip_Callback\" getLabel=\"GetLabel_Callback\" "                             \
    "getSupertip=\"GetSuperTip_Callback\" getScreentip=\"GetScreenTip_Callback\" "                 \
    "getShowLabel=\"GetShowLabel_Callback\" getShowImage=\"GetShowImage_Callback\" "               \
    "getEnabled=\"GetEnabled_Callback\" onAction=\"OnActionCommon_Callback\" "                     \
    "getDescription=\"GetDescription_Callback\" getVisible=\"GetVisible_Callback\" />"
#define TARVEX_SEPARATOR(hex)                                                                      \
    "\t\t\t\t\t\t<menuSeparator idQ=\"default:adxRibbonMenuSeparator" hex "\" "                    \
    "getTitle=\"GetTitle_Callback\" />"
    TARVEX_MENU_BUTTON("AFD569575DA949D0B170F41433C6E88A", ""),
    TARVEX_MENU_BUTTON("FC4BF924AD2F4E06BE980BB4A1CA838A", "getImage=\"GetImage_Callback\" "),
    TARVEX_SEPARATOR("01FFCEB933B84E29B5B493DB7B4B8705"),
    TARVEX_MENU_BUTTON("7738649336584FFA87E8D96F91279651", ""),
    TARVEX_MENU_BUTTON("DA5A79BC36764633BCFB698A45284FC1", ""),
    TARVEX_MENU_BUTTON("2750447C374942D6A1B278D3675B997B", ""),
    TARVEX_SEPARATOR("65D1B40C13FB47F388289D0AD2800DA7"),
    TARVEX_MENU_BUTTON("24D8F8697DFC4364817AE5FC96078478", ""),
    TARVEX_SEPARATOR("36D5FEFB411242169FA168D14456250D"),
    TARVEX_MENU_BUTTON("A61226C4EE9F4CF2B82F950E0887F959", "getImage=\"GetImage_Callback\" "),
#undef TARVEX_MENU_BUTTON
#undef TARVEX_SEPARATOR
    "\t\t\t\t\t</menu>",
    "\t\t\t\t\t<dialogBoxLauncher>",
    "\t\t\t\t\t\t<button "
    "idQ=\"default:adxRibbonDialogBoxLauncher9D6FDDFA07BB44578B3CA1DCA32C52D7\" "
    "getKeytip=\"GetKeyTip_Callback\" getSupertip=\"GetSuperTip_Callback\" "
    "getScreentip=\"GetScreenTip_Callback\" getEnabled=\"GetEnabled_Callback\" "
    "onAction=\"OnActionCommon_Callback\" getVisible=\"GetVisible_Callback\" />",
    "\t\t\t\t\t</dialogBoxLauncher>",
    "\t\t\t\t</group>",
    "\t\t\t</tab>",
    "\t\t</tabs>",
    "\t</ribbon>",
    "</customUI>",
});

class CustomUI : public ::testing::Test {
protected:
    void SetUp() override {
        module->SetFactory(&factory);
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            messages.push_back(base::Utf16ToUtf8(message.text));
            return 1;
        });
    }

    std::string Build(std::u16string_view ribbonId) {
        return base::Utf16ToUtf8(BuildCustomUIXml(*module, ribbonId));
    }
    bool Registered(const TComponent& component) const {
        for (const auto& entry : module->ControlIdMap())
            if (entry.second == &component)
                return true;
        return false;
    }

    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::vector<std::string> messages;
    const TadxFactory factory{"qorvel", "Tarvex", "Tarvex Object", base::Guid(), "C:\\Addins\\"};
    std::unique_ptr<testing::RibbonTestModule> module =
        TadxCOMAddInModule::Create<testing::RibbonTestModule>(ModuleServices{desktop, registry});
    testing::AddinRibbon ribbon = testing::BuildAddinRibbon(*module);
};

TEST_F(CustomUI, AddinDocumentForAnExcelWorkbookIsExact) {
    EXPECT_EQ(Build(kExcel), kAddinDocument);
    // Generating again gives the same text; the built-in tab id is never written.
    EXPECT_EQ(Build(kExcel), kAddinDocument);
    EXPECT_EQ(kAddinDocument.find("TabAddIns"), std::string::npos);
}

TEST_F(CustomUI, RibbonIdSetsTheHostAndMarksTheRibbonHost) {
    module->SetHostType(TadxOfficeHostApp::ohaExcel);
    Build(u"Microsoft.Word.Document");
    EXPECT_EQ(module->HostType(), TadxOfficeHostApp::ohaWord);
    EXPECT_TRUE(module->IsRibbonHost());
    Build(u"Some.Other.Window");
    EXPECT_EQ(module->HostType(), TadxOfficeHostApp::ohaWord);
}

TEST_F(CustomUI, ComponentsOfOtherRibbonsAreLeftOutAndUnregistered) {
    TadxRibbonMenu& wordMenu = ribbon.group->Controls().Add<TadxRibbonMenu>();
    TadxRibbonButton& wordItem = wordMenu.Controls().Add<TadxRibbonButton>();
    wordMenu.SetId(u"WordOnly");
    wordMenu.SetRibbons({TadxRibbon::msrWordDocument});
    const std::size_t entries = module->ControlIdMap().size();

    EXPECT_EQ(Build(kExcel), kAddinDocument);
    EXPECT_FALSE(Registered(wordMenu));
    EXPECT_FALSE(Registered(wordItem));
    EXPECT_TRUE(Registered(*ribbon.launcher));
    EXPECT_EQ(module->ControlIdMap().size(), entries - 2);
    // Pruned for the connection: a new id does not bring the entry back.
    wordMenu.SetId(u"StillWordOnly");
    EXPECT_FALSE(Registered(wordMenu));
}

TEST_F(CustomUI, AnotherRibbonGetsAnEmptyRibbonAndEmptiesTheMap) {
    EXPECT_EQ(Build(u"Microsoft.Word.Document"),
              Lines({"<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" "
                     "xmlns:default=\"qorvel.Tarvex\" xmlns:shared=\"MorvaneSoftware.Addin\" "
                     "onLoad=\"RibbonLoaded_Callback\" loadImage=\"GetImages_Callback\">",
                     "\t<ribbon>", "\t</ribbon>", "</customUI>"}));
    EXPECT_TRUE(module->ControlIdMap().empty());
}

TEST_F(CustomUI, OutlookKeepsComponentsOfAnyOutlookInspector) {
    ribbon.tab->SetRibbons({TadxRibbon::msrOutlookMailRead});
    TadxRibbonButton& excelOnly = ribbon.group->Controls().Add<TadxRibbonButton>();
    excelOnly.SetRibbons({TadxRibbon::msrExcelWorkbook});
    const std::string document = Build(u"Microsoft.Outlook.Mail.Compose");
    EXPECT_EQ(module->HostType(), TadxOfficeHostApp::ohaOutlook);
    EXPECT_TRUE(Registered(*ribbon.track));
    EXPECT_FALSE(Registered(excelOnly));
    // The tab itself belongs to the mail read inspector only.
    EXPECT_EQ(document.find("<tabs>"), std::string::npos);
}

TEST_F(CustomUI, WithoutNamespaceIdsArePlainAndSharedTabIsWrittenAsItsBuiltInTab) {
    module->SetNamespace(u"");
    const std::string document = Build(kExcel);
    EXPECT_EQ(document.find("xmlns:default"), std::string::npos);
    EXPECT_EQ(document.find("xmlns:shared"), std::string::npos);
    EXPECT_EQ(document.find("idQ="), std::string::npos);
    EXPECT_NE(document.find("\r\n\t\t\t<tab getVisible=\"GetVisible_Callback\" idMso=\"TabAddIns\">"
                            "\r\n"),
              std::string::npos);
    EXPECT_NE(document.find("<group getVisible=\"GetVisible_Callback\" "
                            "id=\"adxRibbonGroup80B49DA0A50245B7AB0790DB764228DF\" "),
              std::string::npos);
}

TEST_F(CustomUI, KeyTipsAndPlacementsAppearOnlyWhenSet) {
    EXPECT_EQ(Build(kExcel).find("keytip="), std::string::npos);
    ribbon.tab->SetKeyTip(u"MOR");
    ribbon.tab->SetInsertBeforeId(u"OtherTab");
    ribbon.tab->SetInsertAfterIdMso(u"TabHome");
    EXPECT_NE(Build(kExcel).find("<tab idQ=\"shared:adxRibbonTabD516D97599B14AE59FE2C8AE22A5B3F2\" "
                                 "visible=\"true\" insertAfterMso=\"TabHome\" keytip=\"MOR\" "
                                 "label=\"Morvane\">"),
              std::string::npos);
}

TEST_F(CustomUI, EmptyMenuIsOneEmptyElementAndItsOnCreateRuns) {
    ribbon.help->Controls().Clear();
    int created = 0;
    ribbon.help->OnCreate = [&](TComponent& sender) {
        EXPECT_EQ(&sender, ribbon.help);
        ++created;
    };
    const std::string document = Build(kExcel);
    EXPECT_EQ(created, 1);
    EXPECT_NE(
        document.find("getVisible=\"GetVisible_Callback\" />\r\n\t\t\t\t\t<dialogBoxLauncher>"),
        std::string::npos);
    EXPECT_EQ(document.find("</menu>"), std::string::npos);
}

TEST_F(CustomUI, HandlerErrorsGoToTheModuleAndGenerationGoesOn) {
    std::vector<std::u16string> seen;
    module->OnRibbonBeforeCreate = [&](TComponent&, const std::u16string& id) {
        seen.push_back(id);
        throw base::Error(base::hr::Fail, "before create");
    };
    ribbon.help->OnCreate = [](TComponent&) { throw base::Error(base::hr::Fail, "menu"); };
    module->OnRibbonBeforeLoad = [](TComponent&, const std::u16string&, std::u16string& xml) {
        xml = u"replaced";
        throw base::Error(base::hr::Fail, "before load");
    };
    // A handler that fails after touching the text: what it left stands.
    EXPECT_EQ(Build(kExcel), "replaced");
    EXPECT_EQ(seen, std::vector<std::u16string>{u"Microsoft.Excel.Workbook"});
    const std::string prefix = "Tarvex error: the add-in has fired an exception.\r\n";
    EXPECT_EQ(messages, (std::vector<std::string>{prefix + "before create", prefix + "menu",
                                                  prefix + "before load"}));
}

TEST_F(CustomUI, BeforeLoadHandlerReplacesTheDocument) {
    std::u16string received;
    module->OnRibbonBeforeLoad = [&](TComponent& sender, const std::u16string& id,
                                     std::u16string& xml) {
        EXPECT_EQ(&sender, module.get());
        EXPECT_EQ(id, kExcel);
        received = xml;
        xml = u"<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" />";
    };
    EXPECT_EQ(Build(kExcel),
              "<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" />");
    EXPECT_EQ(base::Utf16ToUtf8(received), kAddinDocument);
}

TEST_F(CustomUI, StartFromScratchOnlyForItsRibbons) {
    module->SetStartFromScratch({TadxRibbon::msrWordDocument});
    EXPECT_EQ(Build(kExcel), kAddinDocument);
    module->SetStartFromScratch({TadxRibbon::msrExcelWorkbook});
    EXPECT_NE(Build(kExcel).find("\r\n\t<ribbon startFromScratch=\"true\">\r\n"),
              std::string::npos);
}

TEST_F(CustomUI, DynamicMenuIsWrittenEmptyAndGivesItsItemsOnRequest) {
    ribbon.help->SetDynamic(true);
    int created = 0;
    ribbon.help->OnCreate = [&](TComponent&) {
        ++created;
        if (created == 2)
            ribbon.help->Controls().Delete(9); // the handler may rebuild the items
    };
    const std::string document = Build(kExcel);
    EXPECT_EQ(created, 0);
    EXPECT_NE(
        document.find("<dynamicMenu idQ=\"default:adxRibbonMenu11A5D5C2006343C498F0E816AEB072FE\" "
                      "getContent=\"GetContent_Callback\" invalidateContentOnDrop=\"true\" "
                      "getImage=\"GetImage_Callback\" "),
        std::string::npos);
    EXPECT_EQ(document.find("Separator"), std::string::npos);

    const std::string content = base::Utf16ToUtf8(ribbon.help->GetContent());
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(content.starts_with(
        "<menu xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\" "
        "xmlns:default=\"qorvel.Tarvex\" xmlns:shared=\"MorvaneSoftware.Addin\">\r\n"
        "\t<button idQ=\"default:adxRibbonButtonAFD569575DA949D0B170F41433C6E88A\" "
        "getKeytip=\"GetKeyTip_Callback\" "));
    EXPECT_TRUE(content.ends_with("getVisible=\"GetVisible_Callback\" />\r\n</menu>"));
    EXPECT_NE(content.find("\r\n\t<menuSeparator idQ=\"default:adxRibbonMenuSeparator"
                           "36D5FEFB411242169FA168D14456250D\" getTitle=\"GetTitle_Callback\" />"),
              std::string::npos);
    EXPECT_NE(content.find("A61226C4EE9F4CF2B82F950E0887F959"), std::string::npos);

    const std::string rebuilt = base::Utf16ToUtf8(ribbon.help->GetContent());
    EXPECT_EQ(created, 2);
    EXPECT_EQ(rebuilt.find("A61226C4EE9F4CF2B82F950E0887F959"), std::string::npos);
}

TEST_F(CustomUI, StaticMenuHasNoContentDocument) {
    int created = 0;
    ribbon.help->OnCreate = [&](TComponent&) { ++created; };
    EXPECT_EQ(ribbon.help->GetContent(), u"");
    EXPECT_EQ(created, 0);
}

TEST(XmlEscaping, SpecialCharactersBecomeEntitiesAndOtherTextStays) {
    EXPECT_EQ(EscapeXmlAttribute(u"R&D <\"Tools\"> it's"),
              u"R&amp;D &lt;&quot;Tools&quot;&gt; it's");
    EXPECT_EQ(EscapeXmlAttribute(u"Options... \u00e4\u4e2d"), u"Options... \u00e4\u4e2d");
    EXPECT_EQ(EscapeXmlAttribute(u"&amp;"), u"&amp;amp;");
}

TEST(XmlWriter, AttributesOfStartTagsAndEmptyElementsAreEscaped) {
    TadxXMLHelper xml;
    xml.OpenElement(u"customUI");
    xml.AddAttribute(u"xmlns:shared", u"A&B");
    xml.OpenElement(u"ribbon");
    xml.WriteEmptyElement(u"button", {{u"label", u"\"Q\" < A"}, {u"tag", u"x"}});
    xml.CloseElement(u"ribbon");
    xml.CloseElement(u"customUI");
    EXPECT_EQ(xml.Text(), u"<customUI xmlns:shared=\"A&amp;B\">\r\n\t<ribbon>\r\n"
                          u"\t\t<button label=\"&quot;Q&quot; &lt; A\" tag=\"x\" />\r\n"
                          u"\t</ribbon>\r\n</customUI>");
}

TEST_F(CustomUI, CaptionWithSpecialCharactersKeepsTheDocumentWellFormed) {
    ribbon.tab->SetCaption(u"R&D <\"Tools\">");
    module->SetNamespace(u"Morvane&Co");
    const std::string document = Build(kExcel);
    EXPECT_NE(document.find("xmlns:shared=\"Morvane&amp;Co\""), std::string::npos);
    EXPECT_NE(document.find("label=\"R&amp;D &lt;&quot;Tools&quot;&gt;\">"), std::string::npos);
}

} // namespace
} // namespace tarvex::framework

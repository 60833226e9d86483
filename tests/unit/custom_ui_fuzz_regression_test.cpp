// Texts that XML cannot carry as they are, in the customUI document: line breaks and tabs
// survive as character references, and characters XML forbids outright are replaced so that
// Office still loads the document (one of them used to go out raw, and Office then shows
// no ribbon of the add-in at all).

#include <gtest/gtest.h>
#include <string>

#include "framework/custom_ui.h"
#include "framework/module.h"
#include "framework/ribbon_tab.h"
#include "framework/xml_helper.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_ribbon.h"

namespace tarvex::framework {
namespace {

TEST(XmlEscapingOfUnwritableText, TabsAndLineBreaksBecomeCharacterReferences) {
    EXPECT_EQ(EscapeXmlAttribute(u"Line 1\r\nLine 2\tend"), u"Line 1&#13;&#10;Line 2&#9;end");
}

TEST(XmlEscapingOfUnwritableText, ForbiddenCharactersBecomeTheReplacementCharacter) {
    EXPECT_EQ(EscapeXmlAttribute(std::u16string(u"a\u0000b", 3)), u"a\uFFFDb");
    EXPECT_EQ(EscapeXmlAttribute(u"\u0016]]\u001F\u007F"), u"\uFFFD]]\uFFFD\u007F");
    EXPECT_EQ(EscapeXmlAttribute(u"\uFFFE\uFFFF\uFFFD"), u"\uFFFD\uFFFD\uFFFD");
    // A surrogate pair is one character and stays; a lone half of one is no character.
    EXPECT_EQ(EscapeXmlAttribute(u"\U0001F600"), u"\U0001F600");
    const std::u16string loneHalves{u'x', char16_t(0xD83D), u'y', char16_t(0xDE00),
                                    char16_t(0xD83D)};
    EXPECT_EQ(EscapeXmlAttribute(loneHalves), u"x\uFFFDy\uFFFD\uFFFD");
    const std::u16string reversedPair{char16_t(0xDE00), char16_t(0xD83D)};
    EXPECT_EQ(EscapeXmlAttribute(reversedPair), u"\uFFFD\uFFFD");
}

TEST(CustomUIWithUnwritableText, ControlCharacterInAKeyTipIsReplacedInTheDocument) {
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    auto module =
        TadxCOMAddInModule::Create<testing::RibbonTestModule>(ModuleServices{desktop, registry});
    TadxRibbonTab& tab = module->CreateComponent<TadxRibbonTab>();
    tab.SetId(u"=[<b>0[");
    tab.SetCaption(u"TabAddIns");
    tab.SetKeyTip(u"\u0016]]");
    tab.SetRibbons({TadxRibbon::msrExcelWorkbook});
    tab.SetShared(true);
    const std::u16string xml = BuildCustomUIXml(*module, u"Microsoft.Excel.Workbook");
    EXPECT_NE(xml.find(u"keytip=\"\uFFFD]]\""), std::u16string::npos);
    EXPECT_NE(xml.find(u"idQ=\"shared:=[&lt;b&gt;0[\""), std::u16string::npos);
    for (char16_t c : xml)
        EXPECT_FALSE(c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n') << int(c);
}

} // namespace
} // namespace tarvex::framework

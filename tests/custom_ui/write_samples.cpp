// Writes the customUI documents the frame generates for a set of ribbon trees into the
// folder named by the first argument, one UTF-8 file per document; CTest then validates
// each against Office's customUI schema.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "base/text.h"
#include "framework/custom_ui.h"
#include "framework/factory.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_ribbon.h"

namespace {

using namespace tarvex;
using namespace tarvex::framework;

constexpr std::u16string_view kExcel = u"Microsoft.Excel.Workbook";

struct Host {
    sim::SimDesktop desktop;
    sim::MemoryRegistry registry;
    TadxFactory factory{"qorvel", "Tarvex", "Tarvex Object", base::Guid(), "C:\\Addins\\"};

    std::unique_ptr<testing::RibbonTestModule> NewModule() {
        auto module = TadxCOMAddInModule::Create<testing::RibbonTestModule>(
            ModuleServices{desktop, registry});
        module->SetFactory(&factory);
        return module;
    }
};

void Write(const std::filesystem::path& folder, const std::string& name,
           const std::u16string& document) {
    std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
    file << base::Utf16ToUtf8(document);
    if (!file)
        throw std::runtime_error("cannot write " + name);
}

/// A tab of every kind of element the frame writes, with fixed values and placements;
/// returns its dynamic menu.
TadxRibbonMenu& BuildEveryKind(TadxCOMAddInModule& module) {
    module.SetStartFromScratch({TadxRibbon::msrExcelWorkbook});
    TadxRibbonTab& home = module.CreateComponent<TadxRibbonTab>();
    home.SetIdMso(u"TabHome");

    TadxRibbonTab& tab = module.CreateComponent<TadxRibbonTab>();
    tab.SetId(u"adxRibbonTabEvery");
    tab.SetCaption(u"Every");
    tab.SetKeyTip(u"EVY");
    tab.SetInsertAfterIdMso(u"TabHome");

    TadxRibbonGroup& group = tab.Controls().Add<TadxRibbonGroup>();
    group.SetId(u"GroupOne");
    group.SetInsertBeforeId(u"GroupTwo");
    TadxRibbonButton& paste = group.Controls().Add<TadxRibbonButton>();
    paste.SetIdMso(u"Paste");
    paste.SetCaption(u"Paste here");
    paste.SetSuperTip(u"Pastes");
    TadxRibbonButton& copy = group.Controls().Add<TadxRibbonButton>();
    copy.SetIdMso(u"Copy");
    copy.SetParseMsoXmlTypeAs(TadxParseMsoXmlTypeAs::pxtControl);
    TadxRibbonButton& plain = group.Controls().Add<TadxRibbonButton>();
    plain.SetId(u"Plain");
    plain.SetImageMso(u"HappyFace");
    plain.SetImageIndex(0);
    plain.SetInsertAfterId(u"Copy");
    TadxRibbonMenu& large = group.Controls().Add<TadxRibbonMenu>();
    large.SetId(u"LargeMenu");
    large.SetItemSize(TadxRibbonXItemSize::Large);
    TadxRibbonMenu& inner = large.Controls().Add<TadxRibbonMenu>();
    inner.SetId(u"InnerMenu");
    inner.Controls().Add<TadxRibbonButton>().SetId(u"InnerButton");
    large.Controls().Add<TadxRibbonMenuSeparator>().SetId(u"Separator");
    TadxRibbonButton& toggle = large.Controls().Add<TadxRibbonButton>();
    toggle.SetId(u"MenuToggle");
    toggle.SetToggleButton(true);
    group.Controls().Add<TadxRibbonMenu>().SetId(u"EmptyMenu");
    TadxRibbonMenu& dynamic = group.Controls().Add<TadxRibbonMenu>();
    dynamic.SetId(u"DynamicOne");
    dynamic.SetDynamic(true);
    dynamic.Controls().Add<TadxRibbonButton>().SetId(u"Later");
    TadxRibbonMenu& builtInMenu = group.Controls().Add<TadxRibbonMenu>();
    builtInMenu.SetIdMso(u"FileSaveAsMenu");
    builtInMenu.SetCaption(u"Save as");
    group.Controls().Add<TadxRibbonDialogBoxLauncher>().SetId(u"Launcher");

    TadxRibbonGroup& second = tab.Controls().Add<TadxRibbonGroup>();
    second.SetId(u"GroupTwo");
    second.SetShared(true);
    second.SetCaption(u"Shared group");
    second.SetKeyTip(u"S");
    second.Controls().Add<TadxRibbonDialogBoxLauncher>().SetIdMso(u"FormatCellsDialog");

    TadxRibbonTab& contextual = module.CreateComponent<TadxRibbonTab>();
    contextual.SetId(u"ContextualTab");
    contextual.SetContext(u"TabSetPivotTableTools.TabSetPivotTableTools");
    contextual.Controls().Add<TadxRibbonGroup>().SetId(u"ContextualGroup");
    return dynamic;
}

void WriteAll(const std::filesystem::path& folder) {
    Host host;
    {
        auto module = host.NewModule();
        testing::BuildAddinRibbon(*module);
        Write(folder, "addin_excel_workbook.xml", BuildCustomUIXml(*module, kExcel));
    }
    {
        auto module = host.NewModule();
        module->SetNamespace({});
        testing::BuildAddinRibbon(*module);
        Write(folder, "addin_without_namespace.xml", BuildCustomUIXml(*module, kExcel));
    }
    {
        auto module = host.NewModule();
        testing::BuildAddinRibbon(*module);
        Write(folder, "addin_word_document.xml",
              BuildCustomUIXml(*module, u"Microsoft.Word.Document"));
    }
    {
        auto module = host.NewModule();
        const testing::AddinRibbon ribbon = testing::BuildAddinRibbon(*module);
        ribbon.tab->SetCaption(u"R&D <\"Tools\">");
        ribbon.group->SetShared(true);
        ribbon.group->SetCaption(u"Q&A");
        ribbon.group->SetScreenTip(u"a < b");
        ribbon.group->SetSuperTip(u"say \"hi\" & go");
        Write(folder, "special_characters.xml", BuildCustomUIXml(*module, kExcel));
    }
    {
        auto module = host.NewModule();
        TadxRibbonMenu& dynamic = BuildEveryKind(*module);
        Write(folder, "every_kind.xml", BuildCustomUIXml(*module, kExcel));
        Write(folder, "dynamic_menu_content.xml", dynamic.GetContent());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path folder(argv[1]);
        std::filesystem::create_directories(folder);
        WriteAll(folder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

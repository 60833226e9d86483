// Fuzzes the customUI writer: random trees of ribbon tabs, groups, buttons, menus,
// separators and launchers with random ids, captions and texts. Whatever the module holds,
// the document Office receives (and every dynamic menu's content) must be well-formed XML.

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "framework/custom_ui.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"
#include "fuzz/fuzz_values.h"
#include "fuzz/xml_well_formed.h"
#include "sim/desktop/desktop.h"
#include "sim/registry/memory_registry.h"

namespace {

using namespace tarvex;
using namespace tarvex::framework;

class FuzzRibbonModule : public TadxCOMAddInModule {
    friend class TadxCOMAddInModule;
    explicit FuzzRibbonModule(ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override {
        SetAddInName(u"Tarvex");
        SetNamespace(u"MorvaneSoftware.Addin");
    }
};

const std::u16string kRibbonIds[] = {u"Microsoft.Excel.Workbook", u"Microsoft.Word.Document",
                                     u"Microsoft.Outlook.Mail.Read", u""};

const std::u16string kSampleTexts[] = {u"Track",        u"Options...", u"<b>&amp;\"'</b>",  u"a&b",
                                       u"]]>",          u"TabAddIns",  u"adxRibbonButton1", u"x:y",
                                       u"\u00E9\u4E2D", u"\U0001F600"};

std::u16string Text(FuzzedDataProvider& data) {
    return fuzz::ConsumeTextOrChoice(data, kSampleTexts, 40);
}

void Check(const std::u16string& document, const char* what) {
    const std::string problem = fuzz::XmlWellFormedProblem(document);
    if (problem.empty())
        return;
    std::fprintf(stderr, "%s is not well-formed: %s\n%s\n", what, problem.c_str(),
                 base::Utf16ToUtf8(document).c_str());
    std::abort();
}

// Sets one randomly chosen property of `control` (setters may refuse a value: that is fine).
void SetSomething(FuzzedDataProvider& data, TadxRibbonCustomControl& control) {
    switch (data.ConsumeIntegralInRange<int>(0, 16)) {
    case 0:
        control.SetId(Text(data));
        break;
    case 1:
        control.SetCaption(Text(data));
        break;
    case 2:
        control.SetDescription(Text(data));
        break;
    case 3:
        control.SetScreenTip(Text(data));
        break;
    case 4:
        control.SetSuperTip(Text(data));
        break;
    case 5:
        control.SetKeyTip(Text(data));
        break;
    case 6:
        control.SetImageMso(Text(data));
        break;
    case 7:
        control.SetText(Text(data));
        break;
    case 8:
        control.SetTitle(Text(data));
        break;
    case 9:
        control.SetSelectedItemId(Text(data));
        break;
    case 10:
        control.SetIdMso(Text(data));
        break;
    case 11:
        control.SetInsertAfterIdMso(Text(data));
        break;
    case 12:
        control.SetInsertBeforeId(Text(data));
        break;
    case 13:
        control.SetEnabled(data.ConsumeBool());
        break;
    case 14:
        control.SetVisible(data.ConsumeBool());
        break;
    case 15:
        control.SetSize(data.ConsumeBool() ? TadxRibbonXControlSize::csLarge
                                           : TadxRibbonXControlSize::csRegular);
        break;
    default:
        control.SetShowCaption(data.ConsumeBool());
        break;
    }
}

void AddControls(FuzzedDataProvider& data, TadxRibbonControls& controls, int depth) {
    const int count = data.ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < count && data.remaining_bytes() > 0; ++i) {
        try {
            TadxRibbonCustomControl* control = nullptr;
            TadxRibbonControls* children = nullptr;
            switch (data.ConsumeIntegralInRange<int>(0, 4)) {
            case 0: {
                auto& group = controls.Add<TadxRibbonGroup>();
                children = &group.Controls();
                control = &group;
                break;
            }
            case 1: {
                auto& button = controls.Add<TadxRibbonButton>();
                button.SetToggleButton(data.ConsumeBool());
                control = &button;
                break;
            }
            case 2: {
                auto& menu = controls.Add<TadxRibbonMenu>();
                menu.SetDynamic(data.ConsumeBool());
                children = &menu.Controls();
                control = &menu;
                break;
            }
            case 3:
                control = &controls.Add<TadxRibbonMenuSeparator>();
                break;
            default:
                control = &controls.Add<TadxRibbonDialogBoxLauncher>();
                break;
            }
            control->SetId(Text(data));
            const int properties = data.ConsumeIntegralInRange<int>(0, 4);
            for (int p = 0; p < properties; ++p)
                SetSomething(data, *control);
            if (children && depth < 4)
                AddControls(data, *children, depth + 1);
        } catch (const base::Error&) {
            // A refused child or value: the tree stays as it is.
        }
    }
}

void CheckMenus(TadxRibbonControls& controls) {
    for (std::size_t i = 0; i < controls.Count(); ++i) {
        TadxRibbonCustomControl& control = controls[i];
        if (auto* menu = dynamic_cast<TadxRibbonMenu*>(&control)) {
            try {
                Check(BuildDynamicMenuXml(*menu), "a dynamic menu's content");
            } catch (const base::Error&) {
            }
        }
        if (TadxRibbonControls* children = control.GetChildControls())
            CheckMenus(*children);
    }
}

} // namespace

// The check must catch what it is for before it is trusted: each broken document below is
// refused, and a good one accepted.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::u16string good =
        u"<?xml version=\"1.0\"?><customUI xmlns=\"x\" a='&amp;&#x41;'><t b=\"&lt;\"/>"
        u"text &gt; <!-- note --></customUI>";
    const std::u16string broken[] = {
        u"<a b=\"<\"/>", u"<a b=\"&\"/>",  u"<a b=\"x\" b=\"y\"/>", u"<a><b></a></b>",
        u"<a>",          u"<a/><b/>",      u"<a b=\"\u0001\"/>",    u"<a>&#1;</a>",
        u"<a b=c/>",     u"<a>\xD800</a>", u"<a>&nbsp;</a>",        u"<a b=\"x\"c=\"y\"/>"};
    if (!fuzz::XmlWellFormedProblem(good).empty())
        std::abort();
    for (const std::u16string& document : broken) {
        if (fuzz::XmlWellFormedProblem(document).empty()) {
            std::fprintf(stderr, "the XML check accepted %s\n",
                         base::Utf16ToUtf8(document).c_str());
            std::abort();
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    desktop.SetMessageHandler([](const sim::ShownMessage&) { return 1; });
    auto module = TadxCOMAddInModule::Create<FuzzRibbonModule>(ModuleServices{desktop, registry});

    const int tabs = data.ConsumeIntegralInRange<int>(1, 3);
    for (int t = 0; t < tabs; ++t) {
        try {
            TadxRibbonTab& tab = module->CreateComponent<TadxRibbonTab>();
            tab.SetId(Text(data));
            tab.SetCaption(Text(data));
            if (data.ConsumeBool())
                tab.SetIdMso(Text(data));
            if (data.ConsumeBool())
                tab.SetKeyTip(Text(data));
            if (data.ConsumeBool())
                tab.SetRibbons({static_cast<TadxRibbon>(data.ConsumeIntegralInRange<int>(0, 18))});
            tab.SetShared(data.ConsumeBool());
            AddControls(data, tab.Controls(), 0);
            CheckMenus(tab.Controls());
        } catch (const base::Error&) {
        }
    }
    const std::u16string ribbonId = data.ConsumeBool()
                                        ? fuzz::ConsumeText(data, 30)
                                        : kRibbonIds[data.ConsumeIntegralInRange<int>(0, 3)];
    try {
        Check(BuildCustomUIXml(*module, ribbonId), "the customUI document");
    } catch (const base::Error&) {
    }
    return 0;
}

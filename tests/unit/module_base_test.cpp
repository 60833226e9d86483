// The module base: how a module is made, its required properties, reporting errors, and
// identifying the host.

#include <gtest/gtest.h>

#include "base/text.h"
#include "framework/app_events.h"
#include "framework/errors.h"
#include "framework/factory.h"
#include "framework/module.h"
#include "host/excel/dispids.h"
#include "host/office/office.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_in_excel.h"
#include "tests/support/recording_dispatch.h"

namespace tarvex::framework {
namespace {

using host::Variant;

// A module whose design is given by the test.
class DesignedModule : public TadxCOMAddInModule {
public:
    std::vector<std::string> steps;
    bool withEvents = true;

private:
    friend class TadxCOMAddInModule;
    DesignedModule(ModuleServices services, bool events)
        : TadxCOMAddInModule(services)
        , withEvents(events) {}
    void LoadDesign() override {
        steps.push_back("design");
        SetAddInName(u"Tarvex");
        OnCreate = [this](TComponent&) {
            steps.push_back(HostCommandBars() ? "create with bars" : "create");
            SetHostCommandBars(host::MakeRef<testing::RecordingDispatch>());
            SetAddInInstance(host::MakeRef<testing::RecordingDispatch>());
        };
        if (withEvents)
            CreateComponent<TadxExcelAppEvents>("ExcelAppEvents");
    }
};

class ModuleBase : public ::testing::Test {
protected:
    std::unique_ptr<DesignedModule> Make(bool events = true) {
        return TadxCOMAddInModule::Create<DesignedModule>(ModuleServices{desktop, registry},
                                                          events);
    }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
};

TEST_F(ModuleBase, CreateBuildsTheDesignThenRunsOnCreateThenClearsTheConnection) {
    auto module = Make();
    EXPECT_EQ(module->steps, (std::vector<std::string>{"design", "create"}));
    EXPECT_FALSE(module->HostCommandBars()) << "references set during creation are cleared";
    EXPECT_FALSE(module->AddInInstance());
    EXPECT_EQ(module->LoadBehavior(), 3);
    EXPECT_TRUE(module->SupportedApps().Contains(TadxOfficeHostApp::ohaExcel));
    EXPECT_FALSE(module->SupportedApps().Contains(TadxOfficeHostApp::ohaWord));
    EXPECT_FALSE(module->RegisterForAllUsers());
}

TEST_F(ModuleBase, RequiredPropertiesRefuseEmptyValues) {
    auto module = Make();
    try {
        module->SetAddInName(u"");
        FAIL();
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), error_code::EmptyProperty);
        EXPECT_STREQ(error.what(), "The AddInName property can not be empty.");
    }
    try {
        module->SetSupportedApps({});
        FAIL();
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), error_code::EmptyProperty);
        EXPECT_STREQ(error.what(), "The SupportedApps property can not be empty.");
    }
    EXPECT_EQ(module->AddInName(), u"Tarvex");
    EXPECT_TRUE(module->SupportedApps().Contains(TadxOfficeHostApp::ohaExcel));
}

TEST_F(ModuleBase, HandleErrorShowsTheAddInNameUnlessOnErrorTakesIt) {
    auto module = Make();
    std::vector<std::u16string> shown;
    desktop.SetMessageHandler([&](const sim::ShownMessage& message) {
        shown.push_back(message.caption + u"|" + message.text);
        EXPECT_EQ(message.style, host::message_box::Ok | host::message_box::IconError);
        return 1;
    });
    module->HandleError(base::Error(base::hr::Fail, "Range is locked"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0],
              u"Error|Tarvex error: the add-in has fired an exception.\r\nRange is locked");

    int seen = 0;
    module->OnError = [&](TComponent&, const std::exception& error, bool& handled) {
        ++seen;
        EXPECT_STREQ(error.what(), "quiet");
        handled = true;
    };
    module->HandleError(std::runtime_error("quiet"));
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(shown.size(), 1u) << "a handled error shows nothing";

    module->OnError = [&](TComponent&, const std::exception&, bool&) { ++seen; };
    module->HandleError(std::runtime_error("loud"));
    EXPECT_EQ(shown.size(), 2u) << "OnError that leaves it unhandled: the box all the same";
}

TEST_F(ModuleBase, ConnectingToExcelAttachesTheWrapperAndItsEvents) {
    auto module = Make();
    excel.SetVersion(u"12.0");
    testing::ConnectToExcel(*module, excel);
    EXPECT_EQ(module->HostType(), TadxOfficeHostApp::ohaExcel);
    ASSERT_NE(module->ExcelApp(), nullptr);
    EXPECT_TRUE(module->IsRibbonHost()) << "Excel 2007 shows the ribbon";
    ASSERT_NE(module->HostEvents(), nullptr);
    EXPECT_NE(module->HostEvents()->Cookie(), 0u);

    module->ReleaseHost();
    EXPECT_EQ(module->ExcelApp(), nullptr);
    EXPECT_EQ(module->HostEvents()->Cookie(), 0u) << "the events were disconnected";
}

TEST_F(ModuleBase, OnlyVersionTwelveIsKnownAsARibbonHostAtConnection) {
    for (const char16_t* version : {u"11.0", u"14.0", u"16.0", u"1.2."}) {
        auto module = Make();
        excel.SetVersion(version);
        testing::ConnectToExcel(*module, excel);
        EXPECT_FALSE(module->IsRibbonHost()) << base::Utf16ToUtf8(version);
    }
}

TEST_F(ModuleBase, ModuleWithoutEventsComponentConnectsNoEvents) {
    auto module = Make(false);
    testing::ConnectToExcel(*module, excel);
    EXPECT_NE(module->ExcelApp(), nullptr);
    EXPECT_EQ(module->HostEvents(), nullptr);
}

TEST_F(ModuleBase, HostsAreIdentifiedInTheirFixedOrder) {
    // An application that answers both Word's and Excel's interfaces is taken for Word,
    // which comes first; nothing of Excel is attached then.
    const base::Guid word = base::Guid::Parse("{00020970-0000-0000-C000-000000000046}");
    auto both = host::MakeRef<testing::RecordingDispatch>(
        nullptr, std::vector<base::Guid>{host::excel::iid::Application, word});
    auto module = Make();
    module->SetHostApplication(Variant(host::Ref<host::Dispatch>(both)));
    module->ConnectToHost();
    EXPECT_EQ(module->HostType(), TadxOfficeHostApp::ohaWord);
    EXPECT_EQ(module->ExcelApp(), nullptr);

    auto neither = host::MakeRef<testing::RecordingDispatch>();
    auto other = Make();
    other->SetHostType(TadxOfficeHostApp::ohaVisio);
    other->SetHostApplication(Variant(host::Ref<host::Dispatch>(neither)));
    other->ConnectToHost();
    EXPECT_EQ(other->HostType(), TadxOfficeHostApp::ohaVisio) << "no match keeps the host type";
}

TEST_F(ModuleBase, AddinKeyNeedsTheFactory) {
    auto module = Make();
    EXPECT_EQ(module->GetAddinKey(), "");
    const TadxFactory factory("qorvel", "Tarvex", "Tarvex Object", base::Guid(), "C:\\Addins\\");
    module->SetFactory(&factory);
    EXPECT_EQ(module->GetAddinKey(), "\\Software\\Microsoft\\Office\\Excel\\AddIns\\qorvel.Tarvex");
    module->SetHostType(TadxOfficeHostApp::ohaVisio);
    EXPECT_EQ(module->GetAddinKey(), "\\Software\\Microsoft\\Visio\\AddIns\\qorvel.Tarvex");
    module->SetHostType(TadxOfficeHostApp::ohaProject);
    EXPECT_EQ(module->GetAddinKey(),
              "\\Software\\Microsoft\\Office\\MS Project\\AddIns\\qorvel.Tarvex");
}

} // namespace
} // namespace tarvex::framework

namespace tarvex::framework {
namespace {

class HostCommandBars : public ModuleBase {
protected:
    void SetUp() override {
        module->SetHostApplication(Variant(excel.Application()));
        excel.ClearCalls();
    }
    std::unique_ptr<DesignedModule> module = Make();
};

TEST_F(HostCommandBars, ReachedByNameAsAMethod) {
    const host::Ref<host::Dispatch> bars = module->GetHostCommandBars();
    ASSERT_TRUE(bars);
    EXPECT_EQ(excel.CallCount("Application.GetIDsOfNames"), 1u);
    ASSERT_EQ(excel.CallCount("Application.CommandBars"), 1u);
    for (const auto& call : excel.Calls()) {
        if (call.member == "Application.CommandBars") {
            EXPECT_EQ(call.kind, host::invoke::Method);
            EXPECT_TRUE(call.args.empty());
        }
    }
    EXPECT_EQ(host::office::CommandBars(bars).Count(),
              static_cast<std::int32_t>(excel.Office().Bars().size()));
}

TEST_F(HostCommandBars, AnyFailureGivesNoneSilently) {
    std::size_t shown = 0;
    desktop.SetMessageHandler([&](const sim::ShownMessage&) {
        ++shown;
        return 1;
    });
    excel.FailMember("Application.CommandBars");
    EXPECT_FALSE(module->GetHostCommandBars());
    excel.ClearFailures();
    excel.FailMember("Application.GetIDsOfNames");
    EXPECT_FALSE(module->GetHostCommandBars());
    EXPECT_FALSE(module->FindCommandBar(u"Standard")) << "no bars, nothing found";
    EXPECT_EQ(shown, 0u);
}

TEST_F(HostCommandBars, FindsByNameOrLocalNameIgnoringCase) {
    ASSERT_FALSE(module->HostCommandBars());
    const host::office::CommandBar standard = module->FindCommandBar(u"sTANDARD");
    ASSERT_TRUE(standard);
    EXPECT_EQ(standard.Name(), u"Standard");
    EXPECT_TRUE(module->HostCommandBars()) << "the collection is kept";

    const auto formatting = excel.Office().FindBar(u"Formatting");
    ASSERT_TRUE(formatting);
    excel.Office().SetNameLocal(*formatting, u"Format\u00e4nderung");
    const host::office::CommandBar local = module->FindCommandBar(u"FORMAT\u00c4NDERUNG");
    ASSERT_TRUE(local) << "found by its local name, case folded beyond ASCII";
    EXPECT_EQ(local.Name(), u"Formatting");

    EXPECT_FALSE(module->FindCommandBar(u"Tarvex"));
    host::office::CommandBars(module->HostCommandBars()).Add(u"Tarvex", 1, std::nullopt, true);
    EXPECT_TRUE(module->FindCommandBar(u"TARVEX"));
}

} // namespace
} // namespace tarvex::framework

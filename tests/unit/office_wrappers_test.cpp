// The typed Office wrappers: the exact calls they send (member, kind, arguments, the named
// put id), how they report failures, and how they reach Application.CommandBars.

#include <gtest/gtest.h>

#include "sim_office_support.h"

namespace tarvex::sim {
namespace {

using host::Variant;
using namespace host::office;
using tarvex::testing::RecordingDispatch;
using testing::BarsOf;
using testing::FailureOf;
using Args = std::vector<std::string>;

const SimExcel::CallRecord& LastCall(const SimExcel& excel) {
    return excel.Calls().back();
}

TEST(OfficeWrappers, CommandBarCallsCarryOfficesFullArgumentLists) {
    SimExcel excel;
    const CommandBars bars = BarsOf(excel);
    excel.ClearCalls();

    const CommandBar bar = bars.Add(u"Tarvex", msoBarTop, std::nullopt, true);
    EXPECT_EQ(LastCall(excel).member, "CommandBars.Add");
    EXPECT_EQ(LastCall(excel).kind, host::invoke::Method);
    EXPECT_EQ(LastCall(excel).locale, host::lcid::UserDefault);
    EXPECT_EQ(LastCall(excel).args,
              (Args{"String(\"Tarvex\")", "Int32(1)", "Missing", "Bool(true)"}));

    bars.FindControl(msoControlPopup, std::nullopt, u"{T}", std::nullopt);
    EXPECT_EQ(LastCall(excel).member, "CommandBars.FindControl");
    EXPECT_EQ(LastCall(excel).args, (Args{"Int32(10)", "Missing", "String(\"{T}\")", "Missing"}));

    bar.FindControl(std::nullopt, std::nullopt, u"{T}", std::nullopt, true);
    EXPECT_EQ(LastCall(excel).member, "CommandBar.FindControl");
    EXPECT_EQ(LastCall(excel).args,
              (Args{"Missing", "Missing", "String(\"{T}\")", "Missing", "Bool(true)"}));

    bars.Item(u"Tarvex");
    EXPECT_EQ(LastCall(excel).member, "CommandBars.Item");
    EXPECT_EQ(LastCall(excel).kind, host::invoke::PropertyGet);
    EXPECT_EQ(LastCall(excel).args, (Args{"String(\"Tarvex\")"}));

    bar.SetVisible(true);
    EXPECT_EQ(LastCall(excel).member, "CommandBar.Visible");
    EXPECT_EQ(LastCall(excel).kind, host::invoke::PropertyPut);
    EXPECT_EQ(LastCall(excel).args, (Args{"Bool(true)"}));

    bar.Protection();
    EXPECT_EQ(LastCall(excel).member, "CommandBar.Protection");
    EXPECT_EQ(LastCall(excel).kind, host::invoke::PropertyGet);
    EXPECT_TRUE(LastCall(excel).args.empty());

    bar.Delete();
    EXPECT_EQ(LastCall(excel).member, "CommandBar.Delete");
    EXPECT_EQ(LastCall(excel).kind, host::invoke::Method);
}

TEST(OfficeWrappers, ControlCallsCarryOfficesFullArgumentLists) {
    SimExcel excel;
    const CommandBar bar = BarsOf(excel).Add(u"Tarvex", msoBarTop, std::nullopt, true);
    const CommandBarControls controls = bar.Controls();
    excel.ClearCalls();

    const CommandBarControl button = controls.Add(msoControlButton, 1, u"", std::nullopt, true);
    EXPECT_EQ(LastCall(excel).member, "CommandBarControls.Add");
    EXPECT_EQ(LastCall(excel).args,
              (Args{"Int32(1)", "Int32(1)", "String(\"\")", "Missing", "Bool(true)"}));

    button.SetCaption(u"Track");
    EXPECT_EQ(LastCall(excel).member, "CommandBarControl.Caption");
    EXPECT_EQ(LastCall(excel).kind, host::invoke::PropertyPut);
    EXPECT_EQ(LastCall(excel).args, (Args{"String(\"Track\")"}));

    button.SetState(msoButtonDown);
    EXPECT_EQ(LastCall(excel).member, "CommandBarControl.State");
    EXPECT_EQ(LastCall(excel).args, (Args{"Int32(-1)"}));

    button.SetPicture(host::MakeRef<RecordingDispatch>());
    EXPECT_EQ(LastCall(excel).member, "CommandBarControl.Picture");
    EXPECT_EQ(LastCall(excel).kind, host::invoke::PropertyPutRef);
    EXPECT_EQ(LastCall(excel).args, (Args{"Object"}));

    button.Move(&bar, 1);
    EXPECT_EQ(LastCall(excel).member, "CommandBarControl.Move");
    EXPECT_EQ(LastCall(excel).args, (Args{"Object", "Int32(1)"}));
    button.Move(nullptr, std::nullopt);
    EXPECT_EQ(LastCall(excel).args, (Args{"Missing", "Missing"}));

    controls.Item(1);
    EXPECT_EQ(LastCall(excel).member, "CommandBarControls.Item");
    EXPECT_EQ(LastCall(excel).args, (Args{"Int32(1)"}));

    button.Delete(false);
    EXPECT_EQ(LastCall(excel).member, "CommandBarControl.Delete");
    EXPECT_EQ(LastCall(excel).args, (Args{"Bool(false)"}));
}

TEST(OfficeWrappers, PutsNameTheirValueAsPropertyPut) {
    auto object = host::MakeRef<RecordingDispatch>();
    const CommandBarControl control(object);
    control.SetTag(u"{T}");
    control.SetMask(object);
    ASSERT_EQ(object->calls.size(), 2u);
    EXPECT_EQ(object->calls[0].member, host::office::control::Tag);
    EXPECT_EQ(object->calls[0].flags, host::invoke::PropertyPut);
    EXPECT_EQ(object->calls[0].named, std::vector<host::DispId>{host::dispid::PropertyPut});
    EXPECT_EQ(object->calls[1].member, button::Mask);
    EXPECT_EQ(object->calls[1].flags, host::invoke::PropertyPutRef);
    EXPECT_EQ(object->calls[1].named, std::vector<host::DispId>{host::dispid::PropertyPut});
}

TEST(OfficeWrappers, AnObjectWithoutAByReferencePutIsPutPlainly) {
    auto object = host::MakeRef<RecordingDispatch>();
    object->answer = [&](const host::DispParams&, Variant*, host::ExcepInfo*) {
        return object->calls.back().flags == host::invoke::PropertyPutRef
                   ? base::hr::DispMemberNotFound
                   : base::hr::Ok;
    };
    const ComAddIn addIn(object);
    addIn.SetAddInObject(object);
    ASSERT_EQ(object->calls.size(), 2u);
    EXPECT_EQ(object->calls[0].flags, host::invoke::PropertyPutRef);
    EXPECT_EQ(object->calls[1].flags, host::invoke::PropertyPut);
    EXPECT_EQ(object->calls[1].member, com_addin::Object);
    EXPECT_EQ(object->calls[1].args, (Args{"Object"}));

    // Any other failure of the by-reference put is the caller's.
    object->calls.clear();
    object->answer = [](const host::DispParams&, Variant*, host::ExcepInfo*) {
        return base::hr::AccessDenied;
    };
    EXPECT_EQ(FailureOf([&] { addIn.SetAddInObject(object); }), base::hr::AccessDenied);
    EXPECT_EQ(object->calls.size(), 1u);
}

TEST(OfficeWrappers, FailuresSurfaceAsErrorsWithOfficesCode) {
    SimExcel excel;
    const CommandBar bar = BarsOf(excel).Add(u"Tarvex", msoBarTop, std::nullopt, true);
    const CommandBarControl button =
        bar.Controls().Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
    excel.FailMember("CommandBarControl.Caption");
    try {
        button.SetCaption(u"Track");
        FAIL() << "no failure";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), base::hr::Fail);
        EXPECT_NE(error.Message().find("Method 'Caption' of object 'CommandBarControl' failed"),
                  std::string::npos);
    }
    EXPECT_EQ(FailureOf([&] { button.Caption(); }), base::hr::Fail);
    EXPECT_EQ(FailureOf([&] { button.Tag(); }), base::hr::Ok);

    excel.ClearFailures();
    excel.FailCall(2, base::hr::AccessDenied);
    EXPECT_EQ(FailureOf([&] { button.Tag(); }), base::hr::Ok);
    EXPECT_EQ(FailureOf([&] { button.SetTag(u"{T}"); }), base::hr::AccessDenied);
    EXPECT_EQ(button.Tag(), u""); // the failed put changed nothing
}

TEST(OfficeWrappers, NothingIsAnEmptyWrapperAndCallsOnItFail) {
    SimExcel excel;
    const CommandBars bars = BarsOf(excel);
    const CommandBarControl none = bars.FindControl(std::nullopt, std::nullopt, u"{NONE}", true);
    EXPECT_FALSE(none);
    EXPECT_EQ(FailureOf([&] { none.Caption(); }), base::hr::Pointer);
    EXPECT_EQ(FailureOf([&] { RibbonUI().Invalidate(); }), base::hr::Pointer);
    EXPECT_EQ(FailureOf([&] { CommandBars().Count(); }), base::hr::Pointer);
}

TEST(OfficeWrappers, CommandBarsOfNeedsTheNameAndACommandBarsCollection) {
    auto application = host::MakeRef<RecordingDispatch>();
    EXPECT_EQ(FailureOf([&] { CommandBarsOf(*application); }), base::hr::DispUnknownName);
    EXPECT_TRUE(application->calls.empty());

    application->knownNames = {u"CommandBars"};
    EXPECT_EQ(FailureOf([&] { CommandBarsOf(*application); }), base::hr::Pointer); // nothing
    ASSERT_EQ(application->calls.size(), 1u);
    EXPECT_EQ(application->calls[0].member, 100); // the id the name resolved to
    EXPECT_EQ(application->calls[0].flags, host::invoke::Method);
    EXPECT_TRUE(application->calls[0].args.empty());

    // Something that is not a CommandBars collection.
    auto other = host::MakeRef<RecordingDispatch>();
    application->answer = [&](const host::DispParams&, Variant* result, host::ExcepInfo*) {
        *result = Variant(host::Ref<host::Dispatch>(other));
        return base::hr::Ok;
    };
    EXPECT_EQ(FailureOf([&] { CommandBarsOf(*application); }), base::hr::NoInterface);
}

} // namespace
} // namespace tarvex::sim

// The objects the simulated Office hands to an add-in: IRibbonUI, IRibbonControl, COMAddIn.

#include <gtest/gtest.h>

#include "sim_office_support.h"

namespace tarvex::sim {
namespace {

using host::Variant;
using namespace host::office;
using testing::FailureOf;
using Invalidation = SimOffice::RibbonInvalidation;

TEST(SimOfficeRibbon, RecordsInvalidationsInOrder) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const RibbonUI ribbon(simOffice.RibbonUI());
    ribbon.InvalidateControl(u"trackButton");
    ribbon.Invalidate();
    ribbon.InvalidateControl(u"optionsButton");
    EXPECT_EQ(simOffice.RibbonInvalidations(),
              (std::vector<Invalidation>{
                  {false, u"trackButton"}, {true, u""}, {false, u"optionsButton"}}));
    EXPECT_EQ(FailureOf([&] { ribbon.InvalidateControl(u""); }), base::hr::InvalidArg);
    // InvalidateControl needs its id.
    EXPECT_EQ(testing::FailureOf([&] {
                  host::Call(*ribbon.Object(), ribbon_ui::InvalidateControl, host::invoke::Method,
                             host::lcid::UserDefault, {}, "Invalidate");
              }),
              base::hr::DispParamNotOptional);
    EXPECT_EQ(simOffice.RibbonInvalidations().size(), 3u);
    simOffice.ClearRibbonInvalidations();
    EXPECT_TRUE(simOffice.RibbonInvalidations().empty());

    EXPECT_TRUE(host::QueryAs<host::Dispatch>(ribbon.Get(), iid::RibbonUI));
    EXPECT_FALSE(host::QueryAs<host::Dispatch>(ribbon.Get(), iid::RibbonControl));
    simOffice.Restart();
    EXPECT_EQ(FailureOf([&] { ribbon.Invalidate(); }), base::MakeHResult(0x80010108));
    EXPECT_NE(simOffice.RibbonUI().Get(), ribbon.Get());
}

TEST(SimOfficeRibbon, ControlsCarryTheirIdTagAndContext) {
    SimExcel excel;
    const auto window = host::MakeRef<tarvex::testing::RecordingDispatch>();
    const RibbonControl control(excel.Office().MakeRibbonControl(u"trackButton", u"track", window));
    EXPECT_EQ(control.Id(), u"trackButton");
    EXPECT_EQ(control.Tag(), u"track");
    EXPECT_EQ(control.Context().Get(), window.Get());
    EXPECT_FALSE(RibbonControl(excel.Office().MakeRibbonControl(u"x")).Context());
    EXPECT_TRUE(host::QueryAs<host::Dispatch>(control.Get(), iid::RibbonControl));
    EXPECT_EQ(excel.CallCount("IRibbonControl.Id"), 1u);
    // Read-only, as in Office.
    EXPECT_EQ(FailureOf([&] {
                  host::Put(*control.Object(), ribbon_control::Id, host::lcid::UserDefault,
                            Variant(u"other"), "Id");
              }),
              base::hr::DispMemberNotFound);
}

TEST(SimOfficeComAddIn, ObjectRoundTripsAndARestartClearsIt) {
    SimExcel excel;
    SimOffice& simOffice = excel.Office();
    const ComAddIn addIn(simOffice.AddComAddIn(
        u"Tarvex.AddIn", u"{9E1A1C72-3B7E-4E8C-9E0F-6B0B6E1A7D10}", u"Tarvex"));
    EXPECT_EQ(addIn.ProgId(), u"Tarvex.AddIn");
    EXPECT_EQ(addIn.Guid(), u"{9E1A1C72-3B7E-4E8C-9E0F-6B0B6E1A7D10}");
    EXPECT_EQ(addIn.Description(), u"Tarvex");
    EXPECT_TRUE(addIn.Connect());
    EXPECT_FALSE(addIn.AddInObject());
    EXPECT_EQ(addIn.Parent().Get(), excel.Application().Get());

    tarvex::testing::LiveCount live;
    addIn.SetAddInObject(host::MakeRef<tarvex::testing::RecordingDispatch>(&live));
    EXPECT_EQ(live.value, 1); // Office keeps it
    EXPECT_EQ(addIn.AddInObject().Get(), simOffice.ComAddInObject(u"tarvex.addin").Get());
    addIn.SetDescription(u"Duplicate guard");
    addIn.SetConnect(false);
    EXPECT_FALSE(simOffice.ComAddInConnected(u"Tarvex.AddIn"));
    addIn.SetAddInObject(nullptr);
    EXPECT_EQ(live.value, 0);
    addIn.SetAddInObject(host::MakeRef<tarvex::testing::RecordingDispatch>(&live));

    simOffice.Restart();
    EXPECT_EQ(live.value, 0);
    EXPECT_EQ(FailureOf([&] { addIn.ProgId(); }), base::MakeHResult(0x80010108));
    const ComAddIn again(simOffice.ComAddIn(u"Tarvex.AddIn"));
    EXPECT_FALSE(again.AddInObject());
    EXPECT_EQ(again.Description(), u"Duplicate guard");
    EXPECT_THROW(simOffice.AddComAddIn(u"TARVEX.ADDIN", u"", u""), base::Error);
}

TEST(SimOfficeComAddIn, ObjectTakesBothPutKindsButNothingElse) {
    SimExcel excel;
    const ComAddIn addIn(excel.Office().AddComAddIn(u"A.B", u"{}", u""));
    const auto object = host::MakeRef<tarvex::testing::RecordingDispatch>();
    host::Put(*addIn.Object(), com_addin::Object, host::lcid::UserDefault, Variant(object),
              "Object");
    EXPECT_EQ(addIn.AddInObject().Get(), object.Get());
    EXPECT_EQ(FailureOf([&] {
                  host::Put(*addIn.Object(), com_addin::Object, host::lcid::UserDefault,
                            Variant(u"text"), "Object");
              }),
              base::hr::DispTypeMismatch);
    // Text properties are not put by reference.
    Variant value(u"x");
    const host::DispId named = host::dispid::PropertyPut;
    const host::DispParams params{&value, &named, 1, 1};
    EXPECT_EQ(addIn.Get()->Invoke(com_addin::Description, host::iid::Null, host::lcid::UserDefault,
                                  host::invoke::PropertyPutRef, params, nullptr, nullptr, nullptr),
              base::hr::DispMemberNotFound);
    // A put needs its value under the named id PropertyPut.
    const host::DispParams unnamed{&value, nullptr, 1, 0};
    EXPECT_EQ(addIn.Get()->Invoke(com_addin::Description, host::iid::Null, host::lcid::UserDefault,
                                  host::invoke::PropertyPut, unnamed, nullptr, nullptr, nullptr),
              base::hr::DispParamNotFound);
    EXPECT_EQ(addIn.Description(), u"");
}

} // namespace
} // namespace tarvex::sim

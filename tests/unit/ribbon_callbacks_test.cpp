// The ribbon callbacks as Office calls them: names resolved to DISPIDs, arguments last
// first, the component looked up by the control's id, the answers and defaults, pictures,
// actions, and calls whose arguments are missing or of the wrong kind.

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <vector>

#include "addin/module.h"
#include "base/error.h"
#include "framework/custom_ui.h"
#include "framework/factory.h"
#include "framework/module.h"
#include "framework/ribbon_callbacks.h"
#include "framework/ribbon_callbacks_dispatch.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_picture.h"
#include "framework/ribbon_tab.h"
#include "host/office/dispids.h"
#include "sim/desktop/desktop.h"
#include "sim/desktop/picture.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_in_excel.h"
#include "tests/support/addin_ribbon.h"

namespace tarvex::framework {
namespace {

using host::Variant;
namespace cb = ribbon_callback;
namespace lcid = host::lcid;

constexpr std::uint32_t kMagenta = 0xFF00FF;

/// A ribbon command that repurposes a built-in control and cancels Office's own action.
class CancellingCommand final : public TComponent, public TadxRibbonCommandAction {
public:
    explicit CancellingCommand(TComponent* owner)
        : TComponent(owner) {}
    std::u16string OfficeControlId() const override { return u"FileSave"; }
    void DoAction(TadxRibbonActionArguments& arguments) override {
        received = arguments;
        arguments.cancel = true;
    }
    TadxRibbonActionArguments received;
};

class RibbonCallbacks : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.SetMessageHandler([this](const sim::ShownMessage& message) {
            messages.push_back(message.text);
            return 1;
        });
    }

    Variant Control(std::u16string id) {
        return Variant(excel.Office().MakeRibbonControl(std::move(id)));
    }

    /// Invokes callback `member` with `arguments` in Office's order; the result code goes to
    /// `code`.
    Variant Call(host::DispId member, std::vector<Variant> arguments, base::HResult& code) {
        std::reverse(arguments.begin(), arguments.end());
        host::DispParams params;
        params.args = arguments.data();
        params.argCount = static_cast<std::uint32_t>(arguments.size());
        Variant result;
        excepInfo = {};
        code = InvokeRibbonCallback(*module, member, params, &result, &excepInfo);
        return result;
    }

    /// As Call, for a call that must succeed.
    Variant Ask(host::DispId member, std::vector<Variant> arguments) {
        base::HResult code = base::hr::Ok;
        Variant result = Call(member, std::move(arguments), code);
        EXPECT_EQ(code, base::hr::Ok) << base::FormatHResult(code);
        return result;
    }

    Variant AskControl(host::DispId member, std::u16string id) {
        return Ask(member, {Control(std::move(id))});
    }

    base::Bitmap PictureBitmap(const Variant& picture) {
        auto* sim = dynamic_cast<sim::SimPicture*>(picture.ToObject().Get());
        if (!sim)
            throw base::Error(base::hr::InvalidArg, "no simulated picture");
        return sim->Bitmap();
    }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    std::vector<std::u16string> messages;
    host::ExcepInfo excepInfo;
    std::unique_ptr<testing::RibbonTestModule> module =
        TadxCOMAddInModule::Create<testing::RibbonTestModule>(ModuleServices{desktop, registry});
    testing::AddinRibbon ribbon = testing::BuildAddinRibbon(*module);
};

host::DispId IdOf(std::u16string name) {
    const std::u16string names[] = {std::move(name)};
    host::DispId ids[] = {0};
    GetRibbonCallbackIds(names, ids);
    return ids[0];
}

TEST(RibbonCallbackNames, ResolveExactlyAndCaseSensitively) {
    EXPECT_EQ(IdOf(u"GetVisible_Callback"), 12);
    EXPECT_EQ(IdOf(u"GetSuperTip_Callback"), 19);
    EXPECT_EQ(IdOf(u"OnChange_Callback"), 55);
    EXPECT_EQ(IdOf(u"getVisible_Callback"), -1);
    EXPECT_EQ(IdOf(u"GetVisible_Callback "), -1);
    EXPECT_EQ(IdOf(u"GetVisible"), -1);
    // A unit above 255 becomes 0 in Office's narrow text, so it can never match.
    EXPECT_EQ(IdOf(u"GetVisible_Callbac\u016B"), -1);
    EXPECT_EQ(IdOf(std::u16string(300, u'G')), -1);
}

TEST(RibbonCallbackNames, TableHoldsThirtyFourDistinctIdsAndNoEighteen) {
    std::set<host::DispId> seen;
    for (const RibbonCallbackName& entry : kRibbonCallbackNames) {
        const std::u16string name(entry.name.begin(), entry.name.end());
        EXPECT_EQ(IdOf(name), entry.id) << entry.name;
        seen.insert(entry.id);
    }
    EXPECT_EQ(seen.size(), 34u);
    EXPECT_EQ(seen.count(18), 0u);
    EXPECT_FALSE(IsRibbonCallback(18));
    EXPECT_EQ(*seen.begin(), 10);
    EXPECT_EQ(*seen.rbegin(), 55);
}

TEST(RibbonCallbackNames, AnswersEveryIdMinusOneAndTheCodeOfTheFailure) {
    const std::u16string known[] = {u"GetLabel_Callback", u"control"};
    host::DispId ids[] = {7, 7};
    EXPECT_EQ(GetRibbonCallbackIds(known, ids), base::hr::Ok);
    EXPECT_EQ(ids[0], 14);
    EXPECT_EQ(ids[1], -1) << "named-argument ids stay unknown";

    const std::u16string unknown[] = {u"Nope", u"GetLabel_Callback"};
    EXPECT_EQ(GetRibbonCallbackIds(unknown, ids), base::hr::DispUnknownName);
    EXPECT_EQ(ids[0], -1);
    EXPECT_EQ(ids[1], -1);

    EXPECT_EQ(GetRibbonCallbackIds({}, {}), base::hr::InvalidArg);
}

TEST(StripWrappedSuffix, RemovesTheFirstOccurrenceOnly) {
    EXPECT_EQ(StripWrappedSuffix(u"btnwrapped"), u"btn");
    EXPECT_EQ(StripWrappedSuffix(u"awrappedbwrapped"), u"abwrapped");
    EXPECT_EQ(StripWrappedSuffix(u"Wrapped"), u"Wrapped");
    EXPECT_EQ(StripWrappedSuffix(u""), u"");
}

TEST_F(RibbonCallbacks, WrappedIdIsAnsweredOnlyByTheCallbacksThatStripIt) {
    ribbon.track->SetVisible(false);
    const std::u16string wrapped = ribbon.track->Id() + u"wrapped";
    EXPECT_EQ(AskControl(cb::GetLabel, wrapped), Variant(u"Track"));
    EXPECT_EQ(AskControl(cb::GetVisible, ribbon.track->Id()), Variant(false));
    EXPECT_EQ(AskControl(cb::GetVisible, wrapped), Variant(true)) << "not found: the default";
}

TEST_F(RibbonCallbacks, LooksComponentsUpWithoutRegardToCase) {
    std::u16string id = ribbon.options->Id();
    std::transform(id.begin(), id.end(), id.begin(),
                   [](char16_t c) { return c >= u'a' && c <= u'z' ? c - 32 : c; });
    ASSERT_NE(id, ribbon.options->Id());
    EXPECT_EQ(AskControl(cb::GetLabel, id), Variant(u"Options..."));
    EXPECT_EQ(FindRibbonComponent(*module, id), ribbon.options);
    EXPECT_EQ(FindRibbonComponent(*module, u"TABADDINS"), ribbon.tab) << "the tab by its IdMso";
}

TEST_F(RibbonCallbacks, ComponentOutsideTheRibbonIsGoneAfterTheCustomUiDocument) {
    TadxRibbonButton& word = ribbon.group->Controls().Add<TadxRibbonButton>();
    word.SetId(u"WordOnly");
    word.SetCaption(u"Word");
    EXPECT_EQ(AskControl(cb::GetLabel, u"WordOnly"), Variant(u"Word"));
    word.SetRibbons({TadxRibbon::msrWordDocument});
    GetCustomUI(*module, u"Microsoft.Excel.Workbook");
    EXPECT_EQ(AskControl(cb::GetLabel, u"WordOnly"), Variant(u""));
    EXPECT_EQ(AskControl(cb::GetEnabled, u"WordOnly"), Variant(true));
    EXPECT_EQ(AskControl(cb::GetLabel, ribbon.track->Id()), Variant(u"Track"));
}

TEST_F(RibbonCallbacks, CustomUiIsWhatOnRibbonBeforeLoadLeaves) {
    const std::u16string built = GetCustomUI(*module, u"Microsoft.Excel.Workbook");
    EXPECT_NE(built.find(u"RibbonLoaded_Callback"), std::u16string::npos);
    module->OnRibbonBeforeLoad = [](TComponent&, const std::u16string&, std::u16string& xml) {
        xml = u"<customUI/>";
    };
    EXPECT_EQ(GetCustomUI(*module, u"Microsoft.Excel.Workbook"), u"<customUI/>");
}

TEST_F(RibbonCallbacks, UnknownControlGetsEachCallbacksDefault) {
    const auto ask = [this](host::DispId member) { return AskControl(member, u"nowhere"); };
    EXPECT_EQ(ask(cb::GetVisible), Variant(true));
    EXPECT_EQ(ask(cb::GetKeyTip), Variant(u""));
    EXPECT_EQ(ask(cb::GetEnabled), Variant(true));
    EXPECT_EQ(ask(cb::GetPressed), Variant(false));
    EXPECT_TRUE(ask(cb::GetImage).IsNothing());
    EXPECT_EQ(ask(cb::GetSize), Variant(std::int32_t{0}));
    EXPECT_EQ(ask(cb::GetShowLabel), Variant(true));
    EXPECT_EQ(ask(cb::GetShowImage), Variant(false));
    EXPECT_EQ(ask(cb::GetItemCount), Variant(std::int32_t{0}));
    EXPECT_EQ(ask(cb::GetSelectedItemIndex), Variant(std::int32_t{0}));
    EXPECT_EQ(ask(cb::GetItemHeight), Variant(std::int32_t{-1}));
    EXPECT_EQ(ask(cb::GetItemWidth), Variant(std::int32_t{-1}));
    EXPECT_EQ(ask(cb::GetContent), Variant(u""));
    EXPECT_EQ(Ask(cb::GetShowItemImage, {Control(u"nowhere"), std::int32_t{3}}), Variant(true));
    EXPECT_EQ(Ask(cb::GetItemLabel, {Control(u"nowhere"), std::int32_t{3}}), Variant(u""));
    EXPECT_TRUE(Ask(cb::GetImages, {Variant(u"nowhere")}).IsNothing());
}

TEST_F(RibbonCallbacks, GettersReadTheComponentsCurrentState) {
    const std::u16string track = ribbon.track->Id();
    ribbon.track->SetPressed(true);
    ribbon.track->SetEnabled(false);
    ribbon.track->SetSuperTip(u"Checks every entry");
    ribbon.tab->SetKeyTip(u"MVX");
    EXPECT_EQ(AskControl(cb::GetPressed, track), Variant(true));
    EXPECT_EQ(AskControl(cb::GetEnabled, track), Variant(false));
    EXPECT_EQ(AskControl(cb::GetSize, track), Variant(std::int32_t{1}));
    EXPECT_EQ(AskControl(cb::GetSuperTip, track + u"wrapped"), Variant(u"Checks every entry"));
    EXPECT_EQ(AskControl(cb::GetKeyTip, ribbon.tab->IdMso()), Variant(u"MVX"));
    ribbon.track->SetPressed(false);
    EXPECT_EQ(AskControl(cb::GetPressed, track), Variant(false)) << "asked afresh every time";
}

TEST_F(RibbonCallbacks, ShowImageFollowsGlyphImageIndexAndImageMso) {
    TadxRibbonButton& plain = ribbon.group->Controls().Add<TadxRibbonButton>();
    plain.SetId(u"Plain");
    EXPECT_EQ(AskControl(cb::GetShowImage, u"Plain"), Variant(false));
    plain.SetImageIndex(0);
    EXPECT_EQ(AskControl(cb::GetShowImage, u"Plain"), Variant(true));
    EXPECT_TRUE(AskControl(cb::GetImage, u"Plain").IsNothing()) << "the tab has no image list";
    plain.SetImageIndex(-1);
    plain.SetImageMso(u"FileSave");
    EXPECT_EQ(AskControl(cb::GetShowImage, u"Plain"), Variant(true));
}

TEST_F(RibbonCallbacks, ImageIsAThirtyTwoBitPictureTransparentOnTheGlyphsColour) {
    const Variant picture = AskControl(cb::GetImage, ribbon.track->Id());
    const base::Bitmap shown = PictureBitmap(picture);
    EXPECT_EQ(shown.width, 24);
    EXPECT_EQ(shown.height, 24);
    EXPECT_EQ(shown.bitsPerPixel, 32);
    EXPECT_EQ(shown.Pixel(0, 23), kMagenta) << "alpha 0 on the transparent colour";
    EXPECT_EQ(shown.Pixel(5, 5), 0xFF336699u) << "opaque elsewhere";
    const Variant byName = Ask(cb::GetImages, {Variant(ribbon.options->Id())});
    EXPECT_EQ(PictureBitmap(byName).width, 16);
}

TEST_F(RibbonCallbacks, ImageIndexPicksFromTheTabsImageList) {
    base::Bitmap image = testing::TestGlyph(16, 0x00FF00);
    image.transparentColor = 0x00FF00;
    ribbon.tab->SetImages(TadxImageList{image});
    TadxRibbonButton& listed = ribbon.group->Controls().Add<TadxRibbonButton>();
    listed.SetId(u"Listed");
    listed.SetImageIndex(0);
    const base::Bitmap shown = PictureBitmap(AskControl(cb::GetImage, u"Listed"));
    EXPECT_EQ(shown.Pixel(3, 3), 0x0000FF00u) << "the named transparent colour wins";
    EXPECT_EQ(shown.Pixel(0, 15), 0xFFFF00FFu);
}

TEST(RibbonAlphaBitmap, KeepsTheAlphaOfAThirtyTwoBitSource) {
    base::Bitmap source;
    source.width = 2;
    source.height = 1;
    source.bitsPerPixel = 32;
    source.pixels = {0x80123456, 0x40FFFFFF};
    source.transparentColor = 0xFFFFFF;
    const base::Bitmap result = RibbonAlphaBitmap(source);
    EXPECT_EQ(result.pixels, (std::vector<std::uint32_t>{0x80123456, 0x00FFFFFF}));
    source.bitsPerPixel = 24;
    EXPECT_EQ(RibbonAlphaBitmap(source).pixels,
              (std::vector<std::uint32_t>{0xFF123456, 0x00FFFFFF}));
}

TEST_F(RibbonCallbacks, ItemsAreTheMenusEntries) {
    const std::u16string help = ribbon.help->Id();
    EXPECT_EQ(AskControl(cb::GetItemCount, help), Variant(std::int32_t{10}));
    EXPECT_EQ(Ask(cb::GetItemLabel, {Control(help), std::int32_t{0}}),
              Variant(u"Request support online"));
    EXPECT_EQ(Ask(cb::GetItemId, {Control(help), std::int32_t{2}}),
              Variant(u"adxRibbonMenuSeparator01FFCEB933B84E29B5B493DB7B4B8705"));
    EXPECT_EQ(Ask(cb::GetShowItemImage, {Control(help), std::int32_t{0}}), Variant(false));
    EXPECT_EQ(Ask(cb::GetShowItemImage, {Control(help), std::int32_t{1}}), Variant(true));
    const base::Bitmap icon =
        PictureBitmap(Ask(cb::GetItemImage, {Control(help), std::int32_t{1}}));
    EXPECT_EQ(icon.Pixel(0, 15), kMagenta) << "masked on the glyph's bottom-left colour";
    EXPECT_EQ(icon.Pixel(1, 1), 0xFF336699u);
    EXPECT_TRUE(Ask(cb::GetItemImage, {Control(help), std::int32_t{0}}).IsNothing());
}

TEST_F(RibbonCallbacks, ItemIndexOutsideTheItemsIsAnException) {
    base::HResult code = base::hr::Ok;
    Call(cb::GetItemLabel, {Control(ribbon.help->Id()), std::int32_t{10}}, code);
    EXPECT_EQ(code, base::hr::DispException);
    EXPECT_EQ(excepInfo.scode, base::hr::DispBadIndex);
    EXPECT_FALSE(excepInfo.description.empty());
    Call(cb::GetItemLabel, {Control(ribbon.help->Id()), std::int32_t{-1}}, code);
    EXPECT_EQ(code, base::hr::DispException);
}

TEST_F(RibbonCallbacks, ActionsReachTheControlWithTheirArguments) {
    std::vector<std::u16string> clicked;
    ribbon.options->OnClick = [&clicked](TComponent&, const host::office::RibbonControl& control) {
        clicked.push_back(control.Id());
    };
    const std::u16string options = ribbon.options->Id();
    Ask(cb::OnActionCommon, {Control(options)});
    Ask(cb::OnActionCommon, {Control(options + u"wrapped")});
    Ask(cb::OnActionCommon, {Control(u"nowhere")});
    EXPECT_EQ(clicked, (std::vector<std::u16string>{options, options + u"wrapped"}));

    Ask(cb::OnActionState, {Control(ribbon.track->Id()), Variant(true)});
    EXPECT_TRUE(ribbon.track->Pressed());
    Ask(cb::OnActionState, {Control(ribbon.track->Id()), Variant(false)});
    EXPECT_FALSE(ribbon.track->Pressed());
}

TEST_F(RibbonCallbacks, RepurposedActionWithoutCommandLeavesCancelDefault) {
    for (const bool received : {false, true}) {
        Variant cancel(received);
        Ask(cb::OnActionCommonRepurposed, {Control(u"FileSave"), Variant::RefTo(cancel)});
        EXPECT_EQ(cancel, Variant(received));
        Ask(cb::OnActionStateRepurposed,
            {Control(u"FileSave"), Variant(true), Variant::RefTo(cancel)});
        EXPECT_EQ(cancel, Variant(received));
    }
    Variant untouched;
    Ask(cb::OnActionCommonRepurposed, {Control(u"FileSave"), Variant::RefTo(untouched)});
    EXPECT_TRUE(untouched.Is(Variant::Kind::Empty));
}

TEST_F(RibbonCallbacks, RepurposedActionWritesTheCommandsCancelBack) {
    auto& command = module->CreateComponent<CancellingCommand>();
    module->Enlist(TadxCOMAddInModule::ComponentList::RibbonCommands, &command);
    Variant cancel(false);
    Ask(cb::OnActionCommonRepurposed, {Control(u"FileSave"), Variant::RefTo(cancel)});
    EXPECT_EQ(cancel, Variant(true));
    EXPECT_TRUE(command.received.pressed);
    EXPECT_FALSE(command.received.cancel) << "cleared before the command runs";
    EXPECT_EQ(command.received.control.Id(), u"FileSave");

    Variant empty;
    Ask(cb::OnActionStateRepurposed, {Control(u"FileSave"), Variant(false), Variant::RefTo(empty)});
    EXPECT_EQ(empty, Variant(true)) << "an empty by-reference variant is accepted";
    EXPECT_FALSE(command.received.pressed);

    Variant other(false);
    Ask(cb::OnActionCommonRepurposed, {Control(u"FileSaveAs"), Variant::RefTo(other)});
    EXPECT_EQ(other, Variant(false));
}

TEST_F(RibbonCallbacks, TooFewArgumentsAreRefusedBeforeAnyIsRead) {
    base::HResult code = base::hr::Ok;
    for (const RibbonCallbackName& entry : kRibbonCallbackNames) {
        Call(entry.id, {}, code);
        EXPECT_EQ(code, base::hr::DispBadParamCount) << entry.name;
    }
    Call(cb::GetItemLabel, {Control(ribbon.help->Id())}, code);
    EXPECT_EQ(code, base::hr::DispBadParamCount);
    Call(cb::OnActionStateRepurposed, {Control(u"FileSave"), Variant(true)}, code);
    EXPECT_EQ(code, base::hr::DispBadParamCount);
}

TEST_F(RibbonCallbacks, CancelDefaultMustBeABooleanByReference) {
    base::HResult code = base::hr::Ok;
    Call(cb::OnActionCommonRepurposed, {Control(u"FileSave"), Variant(true)}, code);
    EXPECT_EQ(code, base::hr::DispTypeMismatch);
    Variant number(std::int32_t{1});
    Call(cb::OnActionCommonRepurposed, {Control(u"FileSave"), Variant::RefTo(number)}, code);
    EXPECT_EQ(code, base::hr::DispTypeMismatch);
    EXPECT_EQ(number, Variant(std::int32_t{1}));
}

TEST_F(RibbonCallbacks, ExtraArgumentsAreAccepted) {
    EXPECT_EQ(Ask(cb::GetLabel, {Control(ribbon.track->Id()), Variant(u"extra")}),
              Variant(u"Track"));
}

TEST_F(RibbonCallbacks, ArgumentOfTheWrongKindIsAnExceptionWithItsCode) {
    base::HResult code = base::hr::Ok;
    Call(cb::GetLabel, {Variant(u"not a control")}, code);
    EXPECT_EQ(code, base::hr::DispException);
    EXPECT_EQ(excepInfo.scode, base::hr::DispTypeMismatch);
    Call(cb::RibbonLoaded, {Control(u"x")}, code);
    EXPECT_EQ(code, base::hr::DispException) << "a control is no IRibbonUI";
    EXPECT_EQ(excepInfo.scode, base::hr::NoInterface);
    EXPECT_FALSE(module->RibbonUI());
    Call(18, {Control(u"x")}, code);
    EXPECT_EQ(code, base::hr::DispMemberNotFound);
}

TEST_F(RibbonCallbacks, RibbonLoadedStoresTheRibbonAndReportsTheHandlersError) {
    host::Ref<host::Dispatch> seen;
    module->OnRibbonLoaded = [&seen](TComponent&, const host::Ref<host::Dispatch>& ui) {
        seen = ui;
        throw base::Error(base::hr::Fail, "loaded badly");
    };
    Ask(cb::RibbonLoaded, {Variant(excel.Office().RibbonUI())});
    ASSERT_TRUE(module->RibbonUI());
    EXPECT_EQ(seen.Get(), module->RibbonUI().Get());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(u"loaded badly"), std::u16string::npos);
    ribbon.track->SetEnabled(false);
    EXPECT_FALSE(excel.Office().RibbonInvalidations().empty()) << "the stored ribbon is used";
}

TEST_F(RibbonCallbacks, DispatchObjectAnswersOnlyWhileAModuleIsConnected) {
    TadxCOMAddInModule* connected = nullptr;
    const host::Ref<host::Dispatch> callbacks =
        host::MakeRef<TadxRibbonDispatch>([&connected] { return connected; });
    const std::u16string names[] = {u"GetLabel_Callback"};
    host::DispId ids[] = {0};
    ASSERT_EQ(callbacks->GetIDsOfNames(host::iid::Null, names, lcid::UserDefault, ids),
              base::hr::Ok);
    EXPECT_EQ(ids[0], cb::GetLabel);
    EXPECT_FALSE(host::QueryAs<host::Dispatch>(callbacks.Get(), host::office::iid::RibbonUI));

    std::vector<Variant> arguments{Control(ribbon.track->Id())};
    const host::DispParams params{arguments.data(), nullptr, 1, 0};
    Variant result;
    host::ExcepInfo info;
    EXPECT_EQ(callbacks->Invoke(ids[0], host::iid::Null, lcid::UserDefault, host::invoke::Method,
                                params, &result, &info, nullptr),
              base::hr::DispException);
    EXPECT_EQ(info.scode, base::hr::Unexpected);
    connected = module.get();
    EXPECT_EQ(callbacks->Invoke(ids[0], host::iid::Null, lcid::UserDefault, host::invoke::Method,
                                params, &result, &info, nullptr),
              base::hr::Ok);
    EXPECT_EQ(result, Variant(u"Track"));
}

TEST(RibbonCallbacksOfTheAddin, TrackOnTheRibbonSwitchesTrackingByName) {
    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    excel.AddWorkbook(u"Book1");
    excel.SetVersion(u"16.0");
    const TadxFactory factory{"qorvel", "Tarvex", "Tarvex Object", base::Guid(), "C:\\Tarvex\\"};
    auto module =
        TadxCOMAddInModule::Create<addin::TAddInModule>(ModuleServices{desktop, registry});
    module->SetFactory(&factory);
    const std::u16string xml = GetCustomUI(*module, u"Microsoft.Excel.Workbook");
    testing::ConnectToExcel(*module, excel);
    module->OnAddInInitialize(*module);
    module->CreateCommandBars();
    module->OnAddInStartupComplete(*module);

    const std::u16string names[] = {u"OnActionState_Callback"};
    host::DispId ids[] = {0};
    ASSERT_EQ(GetRibbonCallbackIds(names, ids), base::hr::Ok);
    const std::u16string track = module->RibbonTrack().Id();
    ASSERT_NE(xml.find(track), std::u16string::npos);
    std::vector<Variant> arguments{Variant(true), Variant(excel.Office().MakeRibbonControl(track))};
    host::DispParams params{arguments.data(), nullptr, 2, 0};
    EXPECT_EQ(InvokeRibbonCallback(*module, ids[0], params, nullptr, nullptr), base::hr::Ok);
    EXPECT_TRUE(module->Tracking());
    EXPECT_TRUE(module->RibbonTrack().Pressed());
}

} // namespace
} // namespace tarvex::framework

// The duplicate check of every cell change, end to end over the simulated Excel: which
// changes are checked, what Excel is asked, what the user is told and where the jump goes.

#include <deque>
#include <gtest/gtest.h>

#include "addin/module.h"
#include "host/excel/dispids.h"
#include "settings/options.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_in_excel.h"

namespace tarvex::addin {
namespace {

using sim::Area;
using sim::Cell;

Cell At(std::u16string_view a1) {
    const auto area = sim::ParseA1Area(a1);
    return {area->top, area->left};
}

Area Span(std::u16string_view a1) {
    return *sim::ParseA1Area(a1);
}

class SheetChangeCheck : public ::testing::Test, protected testing::AddinInExcel {
protected:
    void SetUp() override {
        desktop.SetForegroundWindow(0x1234);
        desktop.SetOwnerWindow(0x99);
        desktop.SetModalHandler([this](base::Form& form) {
            prompts.push_back(form.Control("lblMessage").caption);
            ownersDuringPrompt.push_back(desktop.OwnerWindow());
            if (onPrompt)
                onPrompt();
            if (answers.empty())
                return base::modal_result::No;
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }

    /// Switches tracking on with the stored options as they are.
    void TrackOn() {
        module->TrackClick(*module);
        ASSERT_TRUE(module->Tracking());
    }

    /// Types into a cell and returns the calls the check made.
    void Type(std::u16string_view cell, std::u16string text) {
        excel.ClearCalls();
        excel.TypeInto(At(cell), std::move(text));
    }

    std::size_t Finds() const { return excel.CallCount("Range.Find"); }

    std::vector<std::u16string> prompts;
    std::vector<host::WindowHandle> ownersDuringPrompt;
    std::deque<int> answers;
    std::function<void()> onPrompt;
};

std::u16string PromptFor(std::u16string_view cell) {
    return u"Entered value is duplicate of cell " + std::u16string(cell) + u". Go to cell " +
           std::u16string(cell) + u"?";
}

TEST_F(SheetChangeCheck, TrackingOffCostsOneCallToExcel) {
    excel.SetText(At(u"B3"), u"abc");
    Type(u"B7", u"abc");
    EXPECT_TRUE(prompts.empty());
    ASSERT_EQ(excel.Calls().size(), 1u);
    EXPECT_EQ(excel.Calls()[0].member, "Application.ActiveWorkbook");

    TrackOn();
    module->TrackClick(*module); // off again
    Type(u"B8", u"abc");
    EXPECT_EQ(excel.Calls().size(), 1u);
    EXPECT_TRUE(prompts.empty());
}

TEST_F(SheetChangeCheck, NoWorkbookMeansNoCheck) {
    TrackOn();
    ASSERT_TRUE(excel.CloseActiveWorkbook());
    excel.ClearCalls();
    excel.RaiseEvent(host::excel::events::SheetChange,
                     {host::Variant::Nothing(), host::Variant::Nothing()});
    ASSERT_EQ(excel.Calls().size(), 1u);
    EXPECT_EQ(excel.Calls()[0].member, "Application.ActiveWorkbook");

    excel.AddWorkbook(u"Book2");
    module->ReleaseHost();
    excel.SetText(At(u"B3"), u"abc");
    Type(u"B7", u"abc");
    EXPECT_TRUE(excel.Calls().empty()) << "no Excel application: nothing is asked";
    EXPECT_TRUE(prompts.empty());
}

TEST_F(SheetChangeCheck, RoadOfOneEntry) {
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    answers.push_back(base::modal_result::Yes);
    Type(u"B7", u"abc");

    ASSERT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"B3")});
    EXPECT_EQ(excel.ActiveCell(), At(u"B3")) << "Yes jumps to the earlier entry";
    EXPECT_EQ(excel.Text(At(u"B7")), u"abc") << "the entry itself is never changed";

    std::vector<std::string> members;
    for (const auto& call : excel.Calls())
        members.push_back(call.member);
    const std::vector<std::string> expected = {
        // the guards (the change is on the sheet in front of the user) and the changed
        // range's text, column and row
        "Application.ActiveWorkbook", "Application.ActiveSheet", "Range.Text", "Range.Text",
        "Range.Column", "Range.Row",
        // the column search: found B3 in another row
        "Application.ActiveCell", "Application.ConvertFormula", "Application.Range",
        "Range.EntireColumn", "Range.Find", "Range.Row", "Range.Address",
        // the prompt for B3, answered Yes
        "Application.ActiveCell", "Application.ConvertFormula", "Application.Range",
        "Range.Address", "Range.Activate",
        // the row search: only the changed cell itself in row 7
        "Application.ActiveCell", "Application.ConvertFormula", "Application.Range",
        "Range.EntireRow", "Range.Find", "Range.Column", "Range.FindNext", "Range.Column"};
    EXPECT_EQ(members, expected);
}

TEST_F(SheetChangeCheck, FindIsAskedWithExcelsArgumentsInOrder) {
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    Type(u"B7", u"abc");
    const sim::SimExcel::CallRecord* find = nullptr;
    for (const auto& call : excel.Calls()) {
        if (call.member == "Range.Find") {
            find = &call;
            break;
        }
    }
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->kind, host::invoke::Method);
    ASSERT_EQ(find->args.size(), 8u) << "eight arguments, no SearchFormat";
    EXPECT_EQ(find->args[0], "String(\"abc\")");
    EXPECT_EQ(find->args[1], "Object");
    EXPECT_EQ(find->args[2], "Int32(-4163)");
    EXPECT_EQ(find->args[3], "Int32(1)");
    EXPECT_EQ(find->args[4], "Int32(1)");
    EXPECT_EQ(find->args[5], "Int32(1)");
    EXPECT_EQ(find->args[6], "Bool(true)");
    EXPECT_EQ(find->args[7], "Bool(true)");
}

TEST_F(SheetChangeCheck, ScanWrapsToTheUpperOfTwoEarlierEntries) {
    TrackOn();
    excel.SetText(At(u"C2"), u"INV-7");
    excel.SetText(At(u"C5"), u"INV-7");
    Type(u"C9", u"INV-7");
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"C2")});
}

TEST_F(SheetChangeCheck, AnEntryBelowWinsOverOneAbove) {
    TrackOn();
    excel.SetText(At(u"C2"), u"INV-7");
    excel.SetText(At(u"C20"), u"INV-7");
    Type(u"C9", u"INV-7");
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"C20")});
}

TEST_F(SheetChangeCheck, RowPromptFollowsTheColumnPrompt) {
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    excel.SetText(At(u"E7"), u"abc");
    Type(u"B7", u"abc");
    EXPECT_EQ(prompts, (std::vector<std::u16string>{PromptFor(u"B3"), PromptFor(u"E7")}));
    EXPECT_EQ(excel.ActiveCell(), At(u"B7")) << "No returns to the changed cell";
}

TEST_F(SheetChangeCheck, BlankAndMixedTextsAreNotChecked) {
    TrackOn();
    excel.SetText(At(u"B3"), u"   ");
    Type(u"B7", u"");
    Type(u"B8", u"   ");
    Type(u"B9", u"\t\r\n ");
    excel.ClearCalls();
    excel.Paste(Span(u"D1:D2"), {u"x", u"y"});
    EXPECT_EQ(Finds(), 0u);
    EXPECT_TRUE(prompts.empty());
}

TEST_F(SheetChangeCheck, ALeadingSpaceIsPartOfTheText) {
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    Type(u"B7", u" abc");
    EXPECT_TRUE(prompts.empty()) << "\" abc\" is not \"abc\"";
    excel.SetText(At(u"B4"), u" abc");
    Type(u"B8", u" abc");
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"B4")})
        << "B4 and B7 both hold \" abc\"; B4 comes first after the wrap";
}

TEST_F(SheetChangeCheck, OneTextIntoSeveralCellsFindsItsSiblings) {
    TrackOn();
    excel.Fill(Span(u"B2:C3"), u"same");
    // From B2: the column search finds B3, the row search C2.
    EXPECT_EQ(prompts, (std::vector<std::u16string>{PromptFor(u"B3"), PromptFor(u"C2")}));
}

TEST_F(SheetChangeCheck, CaseMattersOnlyWhenAsked) {
    excel.SetText(At(u"B3"), u"abc");
    TrackOn(); // case-sensitive by default
    Type(u"B7", u"Abc");
    EXPECT_TRUE(prompts.empty());

    settings::TOptions(registry).SetCaseSensitive(false);
    module->TrackClick(*module);
    TrackOn();
    Type(u"B8", u"ABC");
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"B3")})
        << "B3 and B7 both match now; B3 comes first after the wrap";
}

TEST_F(SheetChangeCheck, WholeCellsOnly) {
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    Type(u"B7", u"ab");
    Type(u"B8", u"abcd");
    EXPECT_TRUE(prompts.empty());
}

TEST_F(SheetChangeCheck, WildcardCharactersAreMatchedLiterally) {
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    excel.SetText(At(u"B4"), u"xyz");
    Type(u"B7", u"*");
    Type(u"B8", u"a?c");
    Type(u"B9", u"~");
    EXPECT_TRUE(prompts.empty()) << "only literal equals are duplicates";

    // Excel itself reads them as wildcards: the add-in has to escape them.
    host::excel::Application app(excel.Application());
    const auto column = app.GetRange(u"B:B");
    EXPECT_TRUE(column.Find(host::Variant(u"a?c"), app.GetRange(u"B1"), host::excel::xlValues,
                            host::excel::xlWhole, host::excel::xlByRows, host::excel::xlNext, true,
                            true));

    Type(u"B10", u"a?c");
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"B8")});
}

TEST_F(SheetChangeCheck, ChangeOutsideTheStoredRangeMakesNoFind) {
    settings::TOptions options(registry);
    options.SetActiveColumn(false);
    options.SetColumnSelectedRange(true);
    options.SetTrackRows(false);
    excel.Select(Span(u"B2:B20"));
    TrackOn();
    excel.SetText(At(u"D3"), u"abc");
    Type(u"D7", u"abc");
    EXPECT_EQ(Finds(), 0u);
    EXPECT_EQ(excel.CallCount("Application.Intersect"), 1u);
    EXPECT_TRUE(prompts.empty());

    excel.SetText(At(u"B3"), u"abc");
    Type(u"B7", u"abc");
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"B3")});
}

TEST_F(SheetChangeCheck, OnlyTheSheetInFrontOfTheUserIsChecked) {
    excel.NewSheet(); // Sheet2, then back to Sheet1
    excel.GoToSheet(u"Sheet1");
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    excel.SetText(u"Sheet2", At(u"B4"), u"abc");

    // A macro writing Sheet2 while Sheet1 is in front: nothing is searched or shown.
    excel.ClearCalls();
    excel.Write(u"Sheet2", {Span(u"B7")}, u"abc");
    EXPECT_EQ(Finds(), 0u);
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(excel.ActiveSheetName(), u"Sheet1");

    // Writing the sheet in front of the user is checked as typing is; on Sheet2 its own
    // cells are the ones searched.
    excel.Write(u"", {Span(u"B8")}, u"abc");
    excel.GoToSheet(u"Sheet2");
    Type(u"B9", u"abc");
    EXPECT_EQ(prompts, (std::vector<std::u16string>{PromptFor(u"B3"), PromptFor(u"B4")}));
}

TEST_F(SheetChangeCheck, AStoredRangeOnAnotherSheetOverlapsNothingThere) {
    settings::TOptions options(registry);
    options.SetActiveColumn(false);
    options.SetColumnSelectedRange(true);
    excel.Select(Span(u"B1:B20")); // on Sheet1
    TrackOn();
    excel.NewSheet();
    excel.SetText(At(u"B3"), u"abc");
    excel.SetText(At(u"D7"), u"abc");
    Type(u"B7", u"abc");
    EXPECT_EQ(excel.CallCount("Application.Intersect"), 0u);
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"D7")}) << "the row still counts";
}

TEST_F(SheetChangeCheck, TextsTooLongForFindAreNotSearched) {
    TrackOn();
    const std::u16string longest(255, u'a');
    excel.SetText(At(u"B3"), longest);
    excel.SetText(At(u"B4"), longest + u'a');
    Type(u"B7", longest);
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"B3")});

    Type(u"B8", longest + u'a');
    EXPECT_EQ(Finds(), 0u);
    Type(u"B9", std::u16string(128, u'*')); // 256 characters once escaped
    EXPECT_EQ(Finds(), 0u);
    EXPECT_EQ(prompts.size(), 1u);
}

TEST_F(SheetChangeCheck, HiddenRowsAndSeveralAreas) {
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    excel.HideRows({}, 2, 4); // a filter hides the earlier entry
    Type(u"B7", u"abc");
    EXPECT_TRUE(prompts.empty());

    // A stored range of two areas: an entry in the second meets one in the first.
    settings::TOptions options(registry);
    options.SetActiveColumn(false);
    options.SetColumnSelectedRange(true);
    options.SetTrackRows(false);
    excel.UnhideAll({});
    excel.Select({Span(u"B1:B5"), Span(u"D1:D9")});
    module->TrackClick(*module); // off, and on again with the new range
    TrackOn();
    Type(u"D8", u"abc");
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"B3")});
}

TEST_F(SheetChangeCheck, WideStoredRangeTakesMatchesInTheOwnRowForTheChangedCell) {
    settings::TOptions options(registry);
    options.SetActiveColumn(false);
    options.SetColumnSelectedRange(true);
    options.SetTrackRows(false);
    excel.Select(Span(u"A1:C10"));
    TrackOn();
    excel.SetText(At(u"B5"), u"x");
    excel.SetText(At(u"C5"), u"x");
    excel.SetText(At(u"A8"), u"x");
    Type(u"A5", u"x");
    EXPECT_EQ(excel.CallCount("Range.FindNext"), 1u);
    EXPECT_TRUE(prompts.empty()) << "Find and FindNext both stay in row 5";
}

TEST_F(SheetChangeCheck, AnswersDecideWhichCellBecomesActive) {
    settings::TOptions(registry).SetTrackRows(false);
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");

    answers = {base::modal_result::Yes};
    Type(u"B7", u"abc");
    EXPECT_EQ(excel.ActiveCell(), At(u"B3"));

    answers = {base::modal_result::No};
    Type(u"B8", u"abc");
    EXPECT_EQ(excel.ActiveCell(), At(u"B8")) << "No: back to the changed cell, not B9";

    answers = {base::modal_result::Cancel};
    Type(u"B9", u"abc");
    EXPECT_EQ(excel.ActiveCell(), At(u"B9")) << "the close box acts as No";
}

TEST_F(SheetChangeCheck, PromptIsOwnedByTheForegroundWindowAndOwnerComesBack) {
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    Type(u"B7", u"abc");
    ASSERT_FALSE(ownersDuringPrompt.empty());
    EXPECT_EQ(ownersDuringPrompt[0], 0x1234u);
    EXPECT_EQ(desktop.OwnerWindow(), 0x99u);
}

TEST_F(SheetChangeCheck, NestedPromptsRestoreTheOwnerInOrder) {
    settings::TOptions(registry).SetTrackRows(false);
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    excel.SetText(At(u"C3"), u"xyz");
    bool nested = false;
    onPrompt = [&] {
        // An event delivered while the prompt is up runs the check again.
        if (!nested) {
            nested = true;
            desktop.SetForegroundWindow(0x5678);
            excel.TypeInto(At(u"C9"), u"xyz");
        }
    };
    Type(u"B7", u"abc");
    EXPECT_EQ(prompts.size(), 2u);
    EXPECT_EQ(ownersDuringPrompt, (std::vector<host::WindowHandle>{0x1234, 0x5678}));
    EXPECT_EQ(desktop.OwnerWindow(), 0x99u);
}

TEST_F(SheetChangeCheck, LocalizedExcelStillFindsDuplicates) {
    excel.SetLocalR1C1Letters(u'Z', u'S');
    TrackOn();
    excel.SetText(At(u"C3"), u"abc");
    Type(u"C7", u"abc");
    EXPECT_EQ(prompts, std::vector<std::u16string>{PromptFor(u"C3")});
}

TEST_F(SheetChangeCheck, AnyFailingCallEndsTheCheckSilently) {
    TrackOn();
    excel.SetText(At(u"B3"), u"abc");
    excel.SetText(At(u"E7"), u"abc");
    answers = {base::modal_result::No, base::modal_result::No};
    Type(u"B7", u"abc");
    const std::size_t total = excel.Calls().size();
    ASSERT_EQ(prompts.size(), 2u);

    for (std::size_t k = 1; k <= total; ++k) {
        prompts.clear();
        excel.ClearCalls();
        excel.FailCall(k);
        excel.SetText(At(u"B7"), u"");
        EXPECT_NO_THROW(excel.TypeInto(At(u"B7"), u"abc")) << "failing call " << k;
        excel.ClearFailures();
        EXPECT_EQ(excel.Calls().size(), k) << "nothing is asked after failing call " << k;
        EXPECT_EQ(desktop.OwnerWindow(), 0x99u);
    }
}

} // namespace
} // namespace tarvex::addin

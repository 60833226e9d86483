// The module's state: loading the options, the Track switch, the version and workbook
// tests that the check relies on.

#include <algorithm>
#include <gtest/gtest.h>

#include "addin/module.h"
#include "base/error.h"
#include "base/text.h"
#include "host/excel/dispids.h"
#include "settings/options.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/addin_in_excel.h"

namespace tarvex::addin {
namespace {

using host::RegistryRoot;

constexpr std::string_view kOptionsKey = "Software\\Morvane Software\\Tarvex\\Options";

class TrackingState : public ::testing::Test, protected testing::AddinInExcel {
protected:
    /// The value names read from the options key, in order.
    std::vector<std::string> ValuesRead() const {
        std::vector<std::string> names;
        for (const auto& call : registry.Log()) {
            if (call.operation == sim::RegistryOperation::QueryValue)
                names.push_back(call.valueName);
        }
        return names;
    }

    std::u16string StoredRange() const {
        return module->SelectedRange() ? module->SelectedRange().Address(host::excel::xlA1)
                                       : u"none";
    }
};

TEST_F(TrackingState, CreatedWithTrackingOffAndNothingTracked) {
    EXPECT_FALSE(module->Tracking());
    EXPECT_TRUE(module->CaseSensitiveSearch());
    EXPECT_FALSE(module->ActiveColumnMode() || module->ActiveRowMode() ||
                 module->ColumnSelectedRangeMode() || module->RowSelectedRangeMode());
    EXPECT_FALSE(module->SelectedRange());
    EXPECT_TRUE(registry.Log().empty()) << "creating the module reads no option";
}

TEST_F(TrackingState, FirstLoadReadsInOrderAndMaterialisesDefaults) {
    module->LoadOptions();
    // The key does not exist yet, so the first value is only read after its default
    // created it; every later missing value is looked for, written, then read.
    EXPECT_EQ(ValuesRead(),
              (std::vector<std::string>{
                  "CaseSensitive", "TrackColumns", "TrackColumns", "ActiveColumn", "ActiveColumn",
                  "ColumnSelectedRange", "ColumnSelectedRange", "TrackRows", "TrackRows",
                  "ActiveRow", "ActiveRow", "RowSelectedRange", "RowSelectedRange"}));
    EXPECT_TRUE(module->ActiveColumnMode());
    EXPECT_TRUE(module->ActiveRowMode());
    EXPECT_FALSE(module->ColumnSelectedRangeMode());
    EXPECT_FALSE(module->RowSelectedRangeMode());
    EXPECT_TRUE(module->CaseSensitiveSearch());
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kOptionsKey, "ActiveRow"),
              host::RegistryValue::FromDWord(1));
    EXPECT_EQ(excel.CallCount("Application.Selection"), 0u) << "no selected-range mode";
}

TEST_F(TrackingState, SwitchedOffDirectionIgnoresItsStoredScope) {
    settings::TOptions options(registry);
    options.SetTrackColumns(false);
    registry.PutValue(RegistryRoot::CurrentUser, kOptionsKey, "ActiveColumn",
                      host::RegistryValue::FromDWord(1));
    registry.ClearLog();
    module->LoadOptions();
    EXPECT_FALSE(module->ActiveColumnMode());
    EXPECT_FALSE(module->ColumnSelectedRangeMode());
    const auto read = ValuesRead();
    EXPECT_EQ(std::count(read.begin(), read.end(), "ActiveColumn"), 0);
    EXPECT_FALSE(registry.GetValue(RegistryRoot::CurrentUser, kOptionsKey, "ColumnSelectedRange"))
        << "a value that is not read is not materialised";
}

TEST_F(TrackingState, StoredRangeIsTheSelectionAtTheLastLoad) {
    settings::TOptions options(registry);
    options.SetActiveColumn(false);
    options.SetColumnSelectedRange(true);
    excel.Select(*sim::ParseA1Area(u"B2:B20"));
    module->TrackClick(*module);
    EXPECT_TRUE(module->Tracking());
    EXPECT_EQ(StoredRange(), u"$B$2:$B$20");

    excel.Select(*sim::ParseA1Area(u"D1:D5"));
    EXPECT_EQ(StoredRange(), u"$B$2:$B$20") << "a later selection changes nothing by itself";
    module->TrackClick(*module);
    EXPECT_FALSE(module->Tracking());
    EXPECT_EQ(StoredRange(), u"$D$1:$D$5");

    excel.SelectNothing();
    module->LoadOptions();
    EXPECT_FALSE(module->SelectedRange()) << "no selection stores none";

    options.SetColumnSelectedRange(false);
    excel.Select(*sim::ParseA1Area(u"B2:B20"));
    module->LoadOptions();
    EXPECT_FALSE(module->SelectedRange()) << "without a selected-range mode nothing is kept";
}

TEST_F(TrackingState, ChartSelectedMakesTrackFailAndKeepsTheSwitch) {
    settings::TOptions options(registry);
    options.SetRowSelectedRange(true);
    excel.Select(*sim::ParseA1Area(u"A1:C3"));
    module->LoadOptions();
    ASSERT_EQ(StoredRange(), u"$A$1:$C$3");

    excel.SelectChart();
    options.SetCaseSensitive(false);
    EXPECT_THROW(module->TrackClick(*module), base::Error);
    EXPECT_FALSE(module->Tracking()) << "the switch is not toggled";
    EXPECT_FALSE(module->CaseSensitiveSearch()) << "what was read before the failure stays";
    EXPECT_EQ(StoredRange(), u"$A$1:$C$3") << "the range captured before stays";
}

TEST_F(TrackingState, TrackTwiceReloadsBothTimes) {
    module->TrackClick(*module);
    EXPECT_TRUE(module->Tracking());
    settings::TOptions(registry).SetTrackRows(false);
    registry.ClearLog();
    module->TrackClick(*module);
    EXPECT_FALSE(module->Tracking());
    EXPECT_FALSE(module->ActiveRowMode()) << "the second press reloaded the options";
    EXPECT_FALSE(ValuesRead().empty());
}

TEST_F(TrackingState, UnreadableOptionsStopTheTrackCommand) {
    registry.FailEvery(sim::RegistryOperation::SetValue);
    EXPECT_THROW(module->TrackClick(*module), base::Error)
        << "a missing value whose default cannot be written fails the load";
    EXPECT_FALSE(module->Tracking());
}

TEST_F(TrackingState, MajorVersionIsTheIntegerPartOfTheVersionText) {
    const std::pair<std::u16string, std::int32_t> cases[] = {
        {u"16.0", 16}, {u"12.0", 12}, {u"11.0", 11}, {u"9", 9}, {u"14.5", 14}};
    for (const auto& [text, major] : cases) {
        excel.SetVersion(text);
        EXPECT_EQ(module->ExcelMajorVersion(), major) << base::Utf16ToUtf8(text);
    }
    for (const char16_t* bad : {u"", u"twelve", u"12,0", u"12.0.1", u"1e400"}) {
        excel.SetVersion(bad);
        EXPECT_THROW(module->ExcelMajorVersion(), base::Error) << base::Utf16ToUtf8(bad);
    }
    ASSERT_FALSE(excel.Calls().empty());
    EXPECT_EQ(excel.Calls().back().member, "Application.Version");
    EXPECT_EQ(excel.Calls().back().locale, host::lcid::UserDefault);
}

TEST_F(TrackingState, ActiveWorkbookComesFromExcel) {
    EXPECT_TRUE(module->HasActiveWorkbook());
    ASSERT_TRUE(excel.CloseActiveWorkbook());
    EXPECT_FALSE(module->HasActiveWorkbook());
    module->ReleaseHost();
    excel.ClearCalls();
    EXPECT_FALSE(module->HasActiveWorkbook());
    EXPECT_TRUE(excel.Calls().empty());
}

} // namespace
} // namespace tarvex::addin

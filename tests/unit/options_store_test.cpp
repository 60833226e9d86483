// The options store over the in-memory registry: what it reads and writes, and in which order.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/error.h"
#include "settings/options.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::settings {
namespace {

using host::RegistryRoot;
using host::RegistryType;
using host::RegistryValue;
using sim::MemoryRegistry;
using sim::RegistryOperation;

constexpr std::string_view kKey = "Software\\Morvane Software\\Tarvex\\Options";

// The value names of the logged operations of one kind, in the order they were made.
std::vector<std::string> NamesOf(const MemoryRegistry& registry, RegistryOperation operation) {
    std::vector<std::string> names;
    for (const sim::RegistryCall& call : registry.Log()) {
        if (call.operation == operation)
            names.push_back(call.valueName);
    }
    return names;
}

// The options dialog's load: all seven, in its order.
void LoadAsDialog(TOptions& options) {
    options.TrackColumns();
    options.TrackRows();
    options.CaseSensitive();
    options.ActiveColumn();
    options.ActiveRow();
    options.ColumnSelectedRange();
    options.RowSelectedRange();
}

TEST(OptionsStore, FirstReadCreatesTheKeyWithOnlyTheValueRead) {
    MemoryRegistry registry;
    TOptions options(registry);
    EXPECT_TRUE(options.TrackColumns());

    const std::vector<sim::StoredKey> keys = registry.Keys();
    ASSERT_EQ(keys.size(), 4u) << "Software, Morvane Software, Tarvex, Options";
    const sim::StoredKey& key = keys.back();
    EXPECT_EQ(key.path, kKey);
    ASSERT_EQ(key.values.size(), 1u);
    EXPECT_EQ(key.values[0].first, "TrackColumns");
    EXPECT_EQ(key.values[0].second, RegistryValue::FromDWord(1));

    // Open (absent), write the default through a created key, reopen and read it back.
    using Op = RegistryOperation;
    const std::vector<sim::RegistryCall> expected = {
        {Op::OpenKey, RegistryRoot::CurrentUser, std::string(kKey), "", base::hr::FileNotFound},
        {Op::CreateKey, RegistryRoot::CurrentUser, std::string(kKey), "", base::hr::Ok},
        {Op::SetValue, RegistryRoot::CurrentUser, std::string(kKey), "TrackColumns", base::hr::Ok},
        {Op::OpenKey, RegistryRoot::CurrentUser, std::string(kKey), "", base::hr::Ok},
        {Op::QueryValue, RegistryRoot::CurrentUser, std::string(kKey), "TrackColumns",
         base::hr::Ok},
    };
    EXPECT_EQ(registry.Log(), expected);
    EXPECT_EQ(registry.OpenKeyCount(), 0u) << "no key stays open between calls";
}

TEST(OptionsStore, DialogLoadMaterialisesAllSevenDefaultsInReadOrder) {
    MemoryRegistry registry;
    TOptions options(registry);
    LoadAsDialog(options);

    const std::vector<std::string> readOrder = {
        "TrackColumns", "TrackRows",           "CaseSensitive",   "ActiveColumn",
        "ActiveRow",    "ColumnSelectedRange", "RowSelectedRange"};
    EXPECT_EQ(NamesOf(registry, RegistryOperation::SetValue), readOrder);
    const std::vector<std::pair<std::string, std::uint32_t>> defaults = {
        {"TrackColumns", 1}, {"ActiveColumn", 1},     {"ColumnSelectedRange", 0}, {"TrackRows", 1},
        {"ActiveRow", 1},    {"RowSelectedRange", 0}, {"CaseSensitive", 1}};
    for (const auto& [name, number] : defaults)
        EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kKey, name),
                  RegistryValue::FromDWord(number))
            << name;
    EXPECT_EQ(registry.Keys().back().values.size(), 7u);

    // A second load finds every value and writes nothing.
    registry.ClearLog();
    LoadAsDialog(options);
    EXPECT_TRUE(NamesOf(registry, RegistryOperation::SetValue).empty());
    EXPECT_EQ(NamesOf(registry, RegistryOperation::QueryValue), readOrder);
}

TEST(OptionsStore, ValuesOfOtherTypesOrSizesReadAsDefaultAndStayAsTheyAre) {
    MemoryRegistry registry;
    const RegistryValue text = RegistryValue::FromString(u"0");
    const RegistryValue binary{RegistryType::Binary, {0, 0, 0, 0, 0, 0, 0, 0}};
    const RegistryValue longNumber{RegistryType::DWord, {0, 0, 0, 0, 0, 0, 0, 0}};
    const RegistryValue textOne = RegistryValue::FromString(u"1");
    registry.PutValue(RegistryRoot::CurrentUser, kKey, "CaseSensitive", text);
    registry.PutValue(RegistryRoot::CurrentUser, kKey, "ActiveColumn", binary);
    registry.PutValue(RegistryRoot::CurrentUser, kKey, "TrackRows", longNumber);
    registry.PutValue(RegistryRoot::CurrentUser, kKey, "RowSelectedRange", textOne);

    TOptions options(registry);
    EXPECT_TRUE(options.CaseSensitive());
    EXPECT_TRUE(options.ActiveColumn());
    EXPECT_TRUE(options.TrackRows());
    EXPECT_FALSE(options.RowSelectedRange());

    EXPECT_TRUE(NamesOf(registry, RegistryOperation::SetValue).empty()) << "nothing rewritten";
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kKey, "CaseSensitive"), text);
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kKey, "ActiveColumn"), binary);
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kKey, "TrackRows"), longNumber);
}

TEST(OptionsStore, AnyNonZeroNumberIsTrueAndTheSaveStoresOneOrZero) {
    MemoryRegistry registry;
    registry.PutValue(RegistryRoot::CurrentUser, kKey, "TrackRows", RegistryValue::FromDWord(2));
    registry.PutValue(RegistryRoot::CurrentUser, kKey, "TrackColumns", RegistryValue::FromDWord(0));
    registry.PutValue(RegistryRoot::CurrentUser, kKey, "CaseSensitive",
                      RegistryValue::FromString(u"0"));
    registry.PutValue(RegistryRoot::CurrentUser, kKey, "ActiveRow",
                      RegistryValue{RegistryType::DWord, {0, 0}});
    TOptions options(registry);
    EXPECT_TRUE(options.TrackRows());
    EXPECT_FALSE(options.TrackColumns()) << "a stored 0 beats the default";
    EXPECT_FALSE(options.ActiveRow()) << "short data read as a zero-extended number";

    // The options dialog's save: all seven, in its order, each a 4-byte REG_DWORD.
    registry.ClearLog();
    options.SetTrackColumns(false);
    options.SetActiveColumn(true);
    options.SetColumnSelectedRange(false);
    options.SetTrackRows(options.TrackRows());
    options.SetActiveRow(true);
    options.SetRowSelectedRange(false);
    options.SetCaseSensitive(true);
    EXPECT_EQ(
        NamesOf(registry, RegistryOperation::SetValue),
        (std::vector<std::string>{"TrackColumns", "ActiveColumn", "ColumnSelectedRange",
                                  "TrackRows", "ActiveRow", "RowSelectedRange", "CaseSensitive"}));
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kKey, "TrackRows"),
              RegistryValue::FromDWord(1));
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kKey, "CaseSensitive"),
              RegistryValue::FromDWord(1));
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kKey, "ColumnSelectedRange"),
              RegistryValue::FromDWord(0));
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

TEST(OptionsStore, FailedWriteRaisesTheValueNameAndLeavesNoKeyOpen) {
    MemoryRegistry registry;
    registry.FailEvery(RegistryOperation::SetValue, "trackcolumns", base::hr::AccessDenied);
    TOptions options(registry);
    try {
        options.SetTrackColumns(false);
        FAIL() << "no error";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), base::hr::AccessDenied);
        EXPECT_EQ(error.Message(), "Failed to set data for 'TrackColumns'");
    }
    // A read of the missing value writes its default first, and so fails the same way.
    EXPECT_THROW(options.TrackColumns(), base::Error);
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
    EXPECT_TRUE(options.TrackRows()) << "other values are still written";

    // A key that cannot be created fails the write too.
    MemoryRegistry locked;
    locked.FailEvery(RegistryOperation::CreateKey);
    TOptions lockedOptions(locked);
    try {
        lockedOptions.CaseSensitive();
        FAIL() << "no error";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Message(), "Failed to set data for 'CaseSensitive'");
    }
}

TEST(OptionsStore, AStoredValueThatFailsToReadIsNotOverwritten) {
    MemoryRegistry registry;
    registry.PutValue(RegistryRoot::CurrentUser, kKey, "TrackColumns", RegistryValue::FromDWord(0));
    registry.FailEvery(RegistryOperation::QueryValue, "TrackColumns",
                       base::MakeHResult(0x800703F8)); // ERROR_REGISTRY_IO_FAILED
    TOptions options(registry);
    EXPECT_TRUE(options.TrackColumns()) << "unreadable: the default";
    EXPECT_TRUE(NamesOf(registry, RegistryOperation::SetValue).empty());
    registry.ClearFailures();
    EXPECT_FALSE(options.TrackColumns()) << "the user's choice survived";
}

} // namespace
} // namespace tarvex::settings

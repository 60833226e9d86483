// The in-memory registry: names, order, deletion, the log, injected failures and undo.

#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::sim {
namespace {

using host::RegistryAccess;
using host::RegistryRoot;
using host::RegistryValue;
namespace hr = base::hr;

constexpr auto kUser = RegistryRoot::CurrentUser;

std::unique_ptr<host::RegistryKey> Create(MemoryRegistry& registry, std::string_view path) {
    std::unique_ptr<host::RegistryKey> key;
    EXPECT_EQ(registry.CreateKey(kUser, path, key), hr::Ok) << path;
    return key;
}

std::vector<std::string> PathsOf(const MemoryRegistry& registry) {
    std::vector<std::string> paths;
    for (const StoredKey& key : registry.Keys())
        paths.push_back(key.path);
    return paths;
}

TEST(MemoryRegistry, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    MemoryRegistry registry;
    auto key = Create(registry, "\\Software\\Morvane\\");
    ASSERT_EQ(key->SetValue("Name", RegistryValue::FromDWord(1)), hr::Ok);
    ASSERT_EQ(key->SetValue("NAME", RegistryValue::FromDWord(2)), hr::Ok);

    std::unique_ptr<host::RegistryKey> again;
    ASSERT_EQ(registry.OpenKey(kUser, "SOFTWARE\\morvane", RegistryAccess::Read, again), hr::Ok);
    RegistryValue value;
    ASSERT_EQ(again->QueryValue("name", value), hr::Ok);
    EXPECT_EQ(value, RegistryValue::FromDWord(2));
    std::vector<std::string> names;
    ASSERT_EQ(again->ValueNames(names), hr::Ok);
    EXPECT_EQ(names, std::vector<std::string>{"Name"});
    Create(registry, "software\\MORVANE\\Tarvex");
    EXPECT_EQ(PathsOf(registry), (std::vector<std::string>{"Software", "Software\\Morvane",
                                                           "Software\\Morvane\\Tarvex"}));
    EXPECT_FALSE(registry.HasKey(RegistryRoot::LocalMachine, "Software")) << "roots are apart";

    std::unique_ptr<host::RegistryKey> missing;
    EXPECT_EQ(registry.OpenKey(kUser, "Software\\Other", RegistryAccess::Read, missing),
              hr::FileNotFound);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(registry.CreateKey(kUser, "Software\\\\Gap", missing), hr::InvalidArg);
}

TEST(MemoryRegistry, ListsValuesAndSubkeysInCreationOrder) {
    MemoryRegistry registry;
    auto key = Create(registry, "Order");
    for (const char* name : {"zeta", "Alpha", "mu", ""})
        ASSERT_EQ(key->SetValue(name, RegistryValue::FromDWord(0)), hr::Ok);
    ASSERT_EQ(key->DeleteValue("ALPHA"), hr::Ok);
    ASSERT_EQ(key->SetValue("alpha", RegistryValue::FromDWord(0)), hr::Ok);
    for (const char* name : {"Order\\b", "Order\\a", "Order\\c"})
        Create(registry, name);

    std::vector<std::string> names;
    ASSERT_EQ(key->ValueNames(names), hr::Ok);
    EXPECT_EQ(names, (std::vector<std::string>{"zeta", "mu", "", "alpha"}));
    ASSERT_EQ(key->SubkeyNames(names), hr::Ok);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(key->DeleteValue("gone"), hr::FileNotFound);
}

TEST(MemoryRegistry, DeletesKeysAndTreesAndFailsTheirOpenHandles) {
    MemoryRegistry registry;
    auto inner = Create(registry, "A\\B\\C");
    ASSERT_EQ(inner->SetValue("v", RegistryValue::FromDWord(1)), hr::Ok);
    Create(registry, "A\\D");

    EXPECT_EQ(registry.DeleteKey(kUser, "A\\B"), hr::AccessDenied) << "it still has subkeys";
    EXPECT_EQ(registry.DeleteKey(kUser, "A\\D"), hr::Ok);
    EXPECT_EQ(registry.DeleteKey(kUser, "A\\D"), hr::FileNotFound);
    EXPECT_EQ(registry.DeleteTree(kUser, "a\\b"), hr::Ok);
    EXPECT_EQ(PathsOf(registry), std::vector<std::string>{"A"});
    EXPECT_EQ(registry.DeleteTree(kUser, "A\\B"), hr::FileNotFound);
    EXPECT_EQ(registry.DeleteTree(kUser, "\\"), hr::InvalidArg) << "a root cannot go";

    // A handle to a deleted key fails, and does not bring the key back.
    RegistryValue value;
    EXPECT_EQ(inner->QueryValue("v", value), base::FromWin32(1018));
    EXPECT_EQ(inner->SetValue("w", value), base::FromWin32(1018));
    EXPECT_FALSE(registry.HasKey(kUser, "A\\B\\C"));
}

TEST(MemoryRegistry, ReadOnlyKeysAndKeysOutlivingTheRegistryCannotWrite) {
    std::unique_ptr<host::RegistryKey> orphan;
    {
        MemoryRegistry registry;
        registry.PutKey(kUser, "K");
        std::unique_ptr<host::RegistryKey> reader;
        ASSERT_EQ(registry.OpenKey(kUser, "K", RegistryAccess::Read, reader), hr::Ok);
        EXPECT_EQ(reader->SetValue("v", RegistryValue::FromDWord(1)), hr::AccessDenied);
        EXPECT_EQ(reader->DeleteValue("v"), hr::AccessDenied);
        EXPECT_EQ(registry.OpenKeyCount(), 1u);
        reader.reset();
        EXPECT_EQ(registry.OpenKeyCount(), 0u);
        ASSERT_EQ(registry.OpenKey(kUser, "K", RegistryAccess::All, orphan), hr::Ok);
    }
    EXPECT_EQ(orphan->SetValue("v", RegistryValue::FromDWord(1)), hr::Handle);
}

TEST(MemoryRegistry, LogsEveryOperationWithItsResult) {
    MemoryRegistry registry;
    auto key = Create(registry, "\\Software\\Log\\");
    RegistryValue value;
    key->QueryValue("Missing", value);
    key->SetValue("Set", RegistryValue::FromDWord(1));
    std::vector<std::string> names;
    key->SubkeyNames(names);
    registry.DeleteTree(RegistryRoot::ClassesRoot, "Nothing");

    using Op = RegistryOperation;
    const std::vector<RegistryCall> expected = {
        {Op::CreateKey, kUser, "Software\\Log", "", hr::Ok},
        {Op::QueryValue, kUser, "Software\\Log", "Missing", hr::FileNotFound},
        {Op::SetValue, kUser, "Software\\Log", "Set", hr::Ok},
        {Op::SubkeyNames, kUser, "Software\\Log", "", hr::Ok},
        {Op::DeleteTree, RegistryRoot::ClassesRoot, "Nothing", "", hr::FileNotFound},
    };
    EXPECT_EQ(registry.Log(), expected);
    std::ostringstream text;
    text << registry.Log()[2];
    EXPECT_EQ(text.str(), "SetValue HKEY_CURRENT_USER\\Software\\Log [Set] -> 0x00000000");
}

TEST(MemoryRegistry, InjectedFailuresHitTheChosenOperationsAndChangeNothing) {
    MemoryRegistry registry;
    auto key = Create(registry, "F");

    registry.FailNth(2, hr::OutOfMemory);
    EXPECT_EQ(key->SetValue("first", RegistryValue::FromDWord(1)), hr::Ok);
    EXPECT_EQ(key->SetValue("second", RegistryValue::FromDWord(1)), hr::OutOfMemory);
    EXPECT_EQ(key->SetValue("second", RegistryValue::FromDWord(1)), hr::Ok) << "only once";

    registry.FailEvery(RegistryOperation::SetValue, "LOCKED");
    EXPECT_EQ(key->SetValue("locked", RegistryValue::FromDWord(1)), hr::AccessDenied);
    EXPECT_EQ(key->SetValue("free", RegistryValue::FromDWord(1)), hr::Ok);
    registry.FailEvery(RegistryOperation::OpenKey, hr::Fail);
    std::unique_ptr<host::RegistryKey> opened;
    EXPECT_EQ(registry.OpenKey(kUser, "F", RegistryAccess::Read, opened), hr::Fail);
    EXPECT_EQ(opened, nullptr);
    EXPECT_EQ(registry.Log().back().result, hr::Fail) << "failures are logged";

    registry.ClearFailures();
    EXPECT_EQ(registry.OpenKey(kUser, "F", RegistryAccess::Read, opened), hr::Ok);
    std::vector<std::string> names;
    ASSERT_EQ(opened->ValueNames(names), hr::Ok);
    EXPECT_EQ(names, (std::vector<std::string>{"first", "second", "free"}));
}

TEST(MemoryRegistry, AFailedCommitUndoesTheChangeInPlace) {
    MemoryRegistry registry;
    registry.PutValue(kUser, "U", "a", RegistryValue::FromDWord(1));
    registry.PutValue(kUser, "U", "b", RegistryValue::FromDWord(2));
    registry.PutValue(kUser, "U", "c", RegistryValue::FromDWord(3));
    registry.PutKey(kUser, "U\\Sub\\Deeper");
    registry.PutKey(kUser, "U\\Last");
    const std::vector<StoredKey> before = registry.Keys();
    std::unique_ptr<host::RegistryKey> key;
    ASSERT_EQ(registry.OpenKey(kUser, "U", RegistryAccess::All, key), hr::Ok);

    int commits = 0;
    registry.SetCommitHandler([&] {
        ++commits;
        return hr::AccessDenied;
    });
    EXPECT_EQ(key->SetValue("b", RegistryValue::FromDWord(9)), hr::AccessDenied);
    EXPECT_EQ(key->SetValue("new", RegistryValue::FromDWord(9)), hr::AccessDenied);
    EXPECT_EQ(key->DeleteValue("a"), hr::AccessDenied);
    std::unique_ptr<host::RegistryKey> created;
    EXPECT_EQ(registry.CreateKey(kUser, "U\\New\\Level", created), hr::AccessDenied);
    EXPECT_EQ(created, nullptr);
    EXPECT_EQ(registry.DeleteTree(kUser, "U\\Sub"), hr::AccessDenied);
    EXPECT_EQ(registry.DeleteKey(kUser, "U\\Last"), hr::AccessDenied);
    EXPECT_EQ(commits, 6);
    EXPECT_EQ(registry.Keys(), before) << "same values, same keys, same order";

    std::unique_ptr<host::RegistryKey> deeper;
    EXPECT_EQ(registry.OpenKey(kUser, "U\\Sub\\Deeper", RegistryAccess::All, deeper), hr::Ok);
    EXPECT_EQ(registry.CreateKey(kUser, "U\\Sub", created), hr::Ok) << "nothing new: no commit";
    EXPECT_EQ(commits, 6);
}

// A registry whose opens answer success without handing a key back.
struct KeylessRegistry final : host::Registry {
    base::HResult DeleteKey(RegistryRoot, std::string_view) override { return hr::Ok; }
    base::HResult DeleteTree(RegistryRoot, std::string_view) override { return hr::Ok; }
    base::HResult DoOpenKey(RegistryRoot, std::string_view, RegistryAccess,
                            std::unique_ptr<host::RegistryKey>&) override {
        return hr::Ok;
    }
    base::HResult DoCreateKey(RegistryRoot, std::string_view,
                              std::unique_ptr<host::RegistryKey>&) override {
        return hr::Ok;
    }
};

TEST(RegistrySeam, AnOpenKeyIsNeverNullAndTheThrowingCallsNameWhatFailed) {
    KeylessRegistry keyless;
    std::unique_ptr<host::RegistryKey> key;
    EXPECT_EQ(keyless.OpenKey(RegistryRoot::CurrentUser, "A", RegistryAccess::Read, key), hr::Fail);
    EXPECT_THROW(keyless.Create(RegistryRoot::CurrentUser, "A", "Creating A"), base::Error);

    MemoryRegistry registry;
    EXPECT_EQ(registry.OpenExisting(RegistryRoot::CurrentUser, "A", RegistryAccess::Read, "A"),
              nullptr);
    registry.FailEvery(RegistryOperation::CreateKey);
    try {
        registry.Create(RegistryRoot::CurrentUser, "A", "Creating A");
        FAIL() << "the create cannot have succeeded";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), hr::AccessDenied);
        EXPECT_STREQ(error.what(), "Creating A failed (0x80070005)");
    }
}

} // namespace
} // namespace tarvex::sim

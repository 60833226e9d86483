// Fuzzes the options store's reads: a value of random type and size (or none) stored under
// a random name, read back with ReadFlag. A REG_DWORD of at most four bytes reads as
// non-zero; any other value reads as the default and is left exactly as it was; a missing
// value is written with its default.

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "fuzz/fuzz_values.h"
#include "host/registry.h"
#include "settings/options.h"
#include "sim/registry/memory_registry.h"

namespace {

using namespace tarvex;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "ReadFlag: %s\n", what);
    std::abort();
}

const std::u16string kNames[] = {u"TrackColumns",  u"ActiveColumn", u"ColumnSelectedRange",
                                 u"TrackRows",     u"ActiveRow",    u"RowSelectedRange",
                                 u"CaseSensitive", u"trackcolumns", u""};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    sim::MemoryRegistry registry;
    settings::TOptionsReg store(registry);
    // The registry cannot hold a value name with a NUL in it (nor can the add-in ask for one:
    // its names are constants), so NULs are left out.
    std::string name = base::Utf16ToUtf8(fuzz::ConsumeTextOrChoice(data, kNames, 40));
    std::erase(name, '\0');
    const bool defaultValue = data.ConsumeBool();
    const bool present = data.ConsumeIntegralInRange<int>(0, 5) != 0;

    host::RegistryValue stored;
    if (present) {
        static constexpr host::RegistryType kTypes[] = {
            host::RegistryType::DWord,        host::RegistryType::DWord,
            host::RegistryType::String,       host::RegistryType::Binary,
            host::RegistryType::ExpandString, host::RegistryType::QWord,
            host::RegistryType::MultiString,  host::RegistryType::None};
        stored.type =
            data.ConsumeBool()
                ? kTypes[data.ConsumeIntegralInRange<std::size_t>(0, std::size(kTypes) - 1)]
                : static_cast<host::RegistryType>(data.ConsumeIntegral<std::uint32_t>());
        stored.data =
            data.ConsumeBytes<std::uint8_t>(data.ConsumeIntegralInRange<std::size_t>(0, 12));
        registry.PutValue(host::RegistryRoot::CurrentUser, store.GetKeyPath(), name, stored);
    } else if (data.ConsumeBool()) {
        registry.PutKey(host::RegistryRoot::CurrentUser, store.GetKeyPath());
    }

    bool read = false;
    try {
        read = store.ReadFlag(name, defaultValue);
    } catch (const base::Error& error) {
        std::fprintf(stderr, "name '%s': %s\n", name.c_str(), error.what());
        Fail("threw on an in-memory registry that accepts every write");
    }

    const std::optional<host::RegistryValue> after =
        registry.GetValue(host::RegistryRoot::CurrentUser, store.GetKeyPath(), name);
    if (!after)
        Fail("the value is missing after the read");
    if (!present) {
        if (*after != host::RegistryValue::FromDWord(defaultValue ? 1 : 0))
            Fail("a missing value was not written with its default");
        if (read != defaultValue)
            Fail("a missing value did not read as its default");
        return 0;
    }
    if (*after != stored)
        Fail("a stored value was changed by reading it");
    const bool dword = stored.type == host::RegistryType::DWord && stored.data.size() <= 4;
    if (dword) {
        bool nonZero = false;
        for (std::uint8_t byte : stored.data)
            nonZero = nonZero || byte != 0;
        if (read != nonZero)
            Fail("a REG_DWORD read as the wrong flag");
    } else if (read != defaultValue) {
        Fail("a value of another type or size did not read as the default");
    }
    return 0;
}

// Fuzzes the registry export text that tarvex-sim reads with --registry FILE: random text
// read into a store that already holds a value. A malformed text is refused with an error
// and leaves the store as it was (and the file store refuses it too); an accepted one writes out as
// a text that reads back to the same store and writes out identically.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "base/error.h"
#include "host/registry.h"
#include "sim/registry/file_registry.h"
#include "sim/registry/memory_registry.h"
#include "sim/registry/registry_export.h"

namespace {

using namespace tarvex;

[[noreturn]] void Fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "%s\n--- text ---\n%s\n", what, text.c_str());
    std::abort();
}

std::string Export(const sim::MemoryRegistry& registry) {
    std::string text;
    if (sim::WriteRegistryExport(registry, text) != base::hr::Ok)
        text = "<unwritable>";
    return text;
}

// The file that tarvex-sim would be given: one per fuzzing process, rewritten per input.
const std::filesystem::path& InputFile() {
    static const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                              ("tarvex-fuzz-" + std::to_string(getpid()) + ".reg");
    return path;
}

// The store as tarvex-sim loads the file; its export, or "<refused>".
std::string LoadAsFile(const std::string& text) {
    {
        std::ofstream file(InputFile(), std::ios::binary | std::ios::trunc);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    std::string loaded = "<refused>";
    try {
        const sim::FileRegistry store(InputFile());
        loaded = Export(store.Contents());
    } catch (const base::Error&) {
    }
    std::error_code ignored;
    std::filesystem::remove(InputFile(), ignored);
    return loaded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const bool withHeader = data.ConsumeBool();
    std::string text = data.ConsumeRemainingBytesAsString();
    if (withHeader)
        text = std::string(sim::kRegistryExportHeader) + "\n\n" + text;

    sim::MemoryRegistry registry;
    registry.PutValue(host::RegistryRoot::CurrentUser,
                      "Software\\Morvane Software\\Tarvex\\Options", "TrackRows",
                      host::RegistryValue::FromDWord(1));
    const std::string before = Export(registry);
    const std::string fromFile = LoadAsFile(text);
    try {
        sim::ReadRegistryExport(text, "fuzz.reg", registry);
    } catch (const base::Error& error) {
        if (error.Code() != sim::kMalformedRegistryFile)
            Fail("a refusal with another code than ERROR_BADDB", text);
        if (Export(registry) != before)
            Fail("a refused text changed the store", text);
        if (fromFile != "<refused>")
            Fail("the file store accepted a text that the reader refuses", text);
        return 0;
    }

    sim::MemoryRegistry alone;
    sim::ReadRegistryExport(text, "fuzz.reg", alone);
    if (fromFile != Export(alone))
        Fail("the file store loaded another store than the reader", text);

    std::string written;
    if (sim::WriteRegistryExport(registry, written) != base::hr::Ok)
        return 0; // a name that the format cannot carry (a line break in it)
    sim::MemoryRegistry reread;
    try {
        sim::ReadRegistryExport(written, "written.reg", reread);
    } catch (const base::Error&) {
        Fail("the written text does not read back", text + "\n--- written ---\n" + written);
    }
    std::string rewritten;
    if (sim::WriteRegistryExport(reread, rewritten) != base::hr::Ok || rewritten != written)
        Fail("the written text does not read back to the same store",
             text + "\n--- written ---\n" + written + "\n--- rewritten ---\n" + rewritten);
    return 0;
}

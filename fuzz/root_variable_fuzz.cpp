// Fuzzes the expansion of %SystemRoot% in the help engine's registered path: random paths
// and Windows folders. A path that starts with the variable (letters in either case) gets
// the Windows folder, without one trailing backslash, in its place; every other path stays.

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "base/text.h"
#include "fuzz/fuzz_values.h"
#include "settings/help.h"
#include "sim/desktop/desktop.h"

namespace {

using namespace tarvex;

const std::u16string kPaths[] = {u"%SystemRoot%\\System32\\hhctrl.ocx",
                                 u"%systemroot%",
                                 u"%SYSTEMROOT%\\",
                                 u"%SystemRoot",
                                 u"x%SystemRoot%",
                                 u"%SystemRoo\u0074%",
                                 u"%\u017FystemRoot%"};
const std::u16string kFolders[] = {u"C:\\Windows", u"C:\\Windows\\", u"", u"\\", u"D:\\W\\\\"};

bool StartsWithVariable(const std::u16string& path) {
    constexpr std::u16string_view kVariable = u"%systemroot%";
    if (path.size() < kVariable.size())
        return false;
    for (std::size_t i = 0; i < kVariable.size(); ++i) {
        char16_t c = path[i];
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != kVariable[i])
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    sim::SimDesktop desktop;
    desktop.SetWindowsDirectory(fuzz::ConsumeTextOrChoice(data, kFolders, 40));
    const std::u16string original = fuzz::ConsumeTextOrChoice(data, kPaths, 300);

    std::u16string path = original;
    settings::ExpandWindowsRootVariable(desktop, path);

    std::u16string expected = original;
    if (StartsWithVariable(original))
        expected = settings::WindowsFolder(desktop) + original.substr(12);
    if (path != expected) {
        std::fprintf(stderr, "'%s' expanded to '%s', expected '%s'\n",
                     base::Utf16ToUtf8(original).c_str(), base::Utf16ToUtf8(path).c_str(),
                     base::Utf16ToUtf8(expected).c_str());
        std::abort();
    }
    return 0;
}

// tarvex-sim: runs the add-in inside a simulated Excel.
//
// The simulated Excel and the duplicate check are not built yet, so this program can only
// say so; it does not pretend to simulate anything.

#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kUsage =
    "usage: tarvex-sim [--empty] [--tour] [--excel-version TEXT] [--registry FILE|none]\n"
    "                  [--answer yes|no] [--addin-folder DIR] [SCRIPT|-]\n";
} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    std::fputs("tarvex-sim 1.0: the simulated Excel is not built yet.\n"
               "This build has the add-in's foundation only (automation values, objects and\n"
               "their COM adapters); it cannot open a workbook, take entries or check for\n"
               "duplicates yet, so there is nothing to simulate.\n",
               stdout);
    return 0;
}

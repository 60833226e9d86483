// tarvex-sim: runs the Tarvex add-in inside a simulated Excel, from a script, a short
// embedded tour, or commands typed at the terminal.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define TARVEX_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define TARVEX_ISATTY(fd) isatty(fd)
#endif

#include "base/error.h"
#include "base/text.h"
#include "tools/sim/demo.h"
#include "tools/sim/script.h"
#include "tools/sim/session.h"

namespace {

using tarvex::simtool::ScriptError;
using tarvex::simtool::Session;
using tarvex::simtool::SessionOptions;

constexpr const char* kUsage =
    "usage: tarvex-sim [--empty] [--tour] [--excel-version TEXT] [--registry FILE|none]\n"
    "                  [--answer yes|no] [--addin-folder DIR] [--no-help-engine]\n"
    "                  [--help-pages DIR] [SCRIPT|-]\n";

struct Arguments {
    SessionOptions session;
    bool tour = false;
    std::optional<std::string> script;
};

[[noreturn]] void UsageError(const std::string& what) {
    std::cerr << "tarvex-sim: " << what << '\n' << kUsage;
    std::exit(2);
}

std::filesystem::path DefaultRegistryFile() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::filesystem::path(config) / "tarvex" / "user.reg";
#ifdef _WIN32
    if (const char* appData = std::getenv("APPDATA"); appData && *appData)
        return std::filesystem::path(appData) / "tarvex" / "user.reg";
#endif
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".config" / "tarvex" / "user.reg";
    return std::filesystem::path(".config") / "tarvex" / "user.reg";
}

Arguments ParseArguments(int argc, char** argv) {
    Arguments arguments;
    std::optional<std::string> registry;
    std::optional<std::string> folder;
    const auto value = [&](int& i, const std::string& option) {
        if (i + 1 >= argc)
            UsageError(option + " needs a value");
        return std::string(argv[++i]);
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else if (arg == "--empty") {
            arguments.session.emptyWorkbook = true;
        } else if (arg == "--tour") {
            arguments.tour = true;
        } else if (arg == "--excel-version") {
            arguments.session.excelVersion = tarvex::base::Utf8ToUtf16(value(i, arg));
        } else if (arg == "--registry") {
            registry = value(i, arg);
        } else if (arg == "--answer") {
            const std::string answer = value(i, arg);
            if (answer == "yes")
                arguments.session.defaultAnswer = tarvex::base::modal_result::Yes;
            else if (answer == "no")
                arguments.session.defaultAnswer = tarvex::base::modal_result::No;
            else
                UsageError("--answer must be yes or no");
        } else if (arg == "--addin-folder") {
            folder = value(i, arg);
        } else if (arg == "--no-help-engine") {
            arguments.session.helpEngine = false;
        } else if (arg == "--help-pages") {
            arguments.session.helpPages = std::filesystem::path(value(i, arg));
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            UsageError("unknown option " + arg);
        } else if (arguments.script) {
            UsageError("only one SCRIPT may be given");
        } else {
            arguments.script = arg;
        }
    }
    // The tour on its own keeps the settings in memory, so trying it changes nothing.
    if (registry && *registry != "none")
        arguments.session.registryFile = std::filesystem::path(*registry);
    else if (!registry && !arguments.tour)
        arguments.session.registryFile = DefaultRegistryFile();
    const std::filesystem::path programFolder =
        std::filesystem::absolute(std::filesystem::path(argv[0])).parent_path();
    arguments.session.addinFolder = folder ? std::filesystem::path(*folder) : programFolder;
    // The build and an installation put the help file's pages beside the simulator.
    if (std::error_code error; !arguments.session.helpPages &&
                               std::filesystem::is_directory(programFolder / "help", error))
        arguments.session.helpPages = programFolder / "help";
    return arguments;
}

bool StandardInputIsTerminal() {
    return TARVEX_ISATTY(0) != 0;
}

// Runs lines as a script: the first bad line ends the run with status 2.
int RunScript(Session& session, std::istream& input) {
    std::size_t number = 0;
    for (std::string line; std::getline(input, line);) {
        ++number;
        try {
            if (!session.Run(line))
                break;
        } catch (const std::exception& error) {
            std::cout.flush();
            std::cerr << "tarvex-sim: line " << number << ": " << error.what() << '\n';
            return 2;
        }
    }
    return 0;
}

void RunTour(Session& session) {
    std::istringstream tour{std::string(tarvex::simtool::TourScript())};
    for (std::string line; std::getline(tour, line);) {
        std::cout << (line.starts_with("#") ? line : "> " + line) << '\n';
        session.Run(line);
    }
}

int RunInteractive(Session& session) {
    const bool terminal = StandardInputIsTerminal();
    if (terminal) {
        std::cout << "tarvex-sim: Excel with the Tarvex add-in. Type help for the commands.\n";
        session.SetAsker([](const std::u16string&) {
            for (;;) {
                std::cout << "Go to that cell? [y]es, [n]o or [c]lose: " << std::flush;
                std::string reply;
                if (!std::getline(std::cin, reply))
                    return tarvex::base::modal_result::Cancel;
                if (reply == "y" || reply == "yes")
                    return tarvex::base::modal_result::Yes;
                if (reply == "n" || reply == "no")
                    return tarvex::base::modal_result::No;
                if (reply == "c" || reply == "close")
                    return tarvex::base::modal_result::Cancel;
            }
        });
    }
    for (;;) {
        if (terminal)
            std::cout << "tarvex> " << std::flush;
        std::string line;
        if (!std::getline(std::cin, line))
            break;
        try {
            if (!session.Run(line))
                break;
        } catch (const std::exception& error) {
            std::cout.flush();
            std::cerr << "tarvex-sim: " << error.what() << '\n';
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // UTF-8 with LF line ends, as on Linux.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const Arguments arguments = ParseArguments(argc, argv);
    try {
        Session session(arguments.session, std::cout);
        if (arguments.tour) {
            RunTour(session);
            // After the tour: the script if one was given, the terminal if there is one.
            if (!arguments.script && !StandardInputIsTerminal())
                return 0;
        }
        if (!arguments.script)
            return RunInteractive(session);
        if (*arguments.script == "-")
            return RunScript(session, std::cin);
        std::ifstream file(*arguments.script, std::ios::binary);
        if (!file) {
            std::cerr << "tarvex-sim: cannot read " << *arguments.script << '\n';
            return 2;
        }
        return RunScript(session, file);
    } catch (const std::exception& error) {
        std::cerr << "tarvex-sim: " << error.what() << '\n';
        return 2;
    }
}

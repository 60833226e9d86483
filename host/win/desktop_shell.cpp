// The shell: handing an address to the program that opens it.

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "host/win/desktop.h"

namespace tarvex::win {

bool Win32Desktop::ShellExecuteFile(std::string_view verb, std::string_view file, int showCommand) {
    const std::string verbText(verb);
    const std::string fileText(file);
    // The narrow entry point: the addresses are ASCII. Its result is an HINSTANCE only for
    // compatibility; values above 32 mean success.
    const HINSTANCE result =
        ::ShellExecuteA(nullptr, verbText.c_str(), fileText.c_str(), nullptr, nullptr, showCommand);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace tarvex::win

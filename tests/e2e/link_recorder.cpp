// A stand-in for the browser and the mail program in the end-to-end tests: registered as
// the https and mailto handler of the test's Wine prefix, it appends the address it is
// given to a file and ends, so no real program ever starts.
//
// Usage: tarvex_link_recorder FILE ADDRESS

#include <windows.h>

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments || count != 3)
        return 2;
    const HANDLE file = ::CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    // One line per address, in UTF-8.
    char line[4096];
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, arguments[2], -1, line,
                                             static_cast<int>(sizeof line) - 1, nullptr, nullptr);
    DWORD written = 0;
    bool ok = length > 0;
    if (ok) {
        line[length - 1] = '\n';
        ok = ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr) != FALSE;
    }
    ::CloseHandle(file);
    ::LocalFree(arguments);
    return ok ? 0 : 1;
}

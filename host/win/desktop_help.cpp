// The parts of Win32Desktop that opening the help file needs: the system and Windows folders,
// the file test, the ANSI code page, and the help engine: its library loaded and its entry
// points called.

#include <windows.h>

#include <memory>
#include <string>

#include "base/error.h"
#include "base/text.h"
#include "host/win/desktop.h"
#include "host/win/handles.h"
#include "host/win/wide_text.h"

namespace tarvex::win {

namespace {

using HtmlHelpAFunction = HWND(WINAPI*)(HWND owner, LPCSTR text, UINT command, DWORD_PTR data);
using HtmlHelpWFunction = HWND(WINAPI*)(HWND owner, LPCWSTR text, UINT command, DWORD_PTR data);

// GetSystemDirectoryW and GetWindowsDirectoryW answer the size they need, terminating zero
// included, when the buffer is too small; the folder can be longer than MAX_PATH.
template <class Query>
std::u16string FolderFrom(Query query, const char* what) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const UINT length = query(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0)
            throw base::Error(base::FromWin32(::GetLastError()),
                              std::string("Cannot read the ") + what);
        if (length < buffer.size())
            return FromWide(buffer.data(), length);
        buffer.assign(length, L'\0');
    }
}

template <class Function>
Function RequireEntry(Function entry, const char* name) {
    if (entry == nullptr)
        throw base::Error(base::hr::Pointer, std::string("No ") + name + " entry point to call");
    return entry;
}

// The engine's entry points, looked up once in its library. The library is not owned here:
// it belongs to the process (see LoadHelpEngine), and destroying the engine leaves it loaded.
class Win32HelpEngine final : public host::HelpEngine {
public:
    explicit Win32HelpEngine(HMODULE library) noexcept
        : m_htmlHelpA(ProcAddress<HtmlHelpAFunction>(library, "HtmlHelpA"))
        , m_htmlHelpW(ProcAddress<HtmlHelpWFunction>(library, "HtmlHelpW")) {}

    bool HasHtmlHelpA() const override { return m_htmlHelpA != nullptr; }
    bool HasHtmlHelpW() const override { return m_htmlHelpW != nullptr; }

    /// Throws Error(E_POINTER) when the library has no HtmlHelpA.
    host::WindowHandle CallHtmlHelpA(host::WindowHandle owner, std::string_view text,
                                     std::uint32_t command, std::uintptr_t data) override {
        const HtmlHelpAFunction function = RequireEntry(m_htmlHelpA, "HtmlHelpA");
        const std::string textZ(text);
        return reinterpret_cast<host::WindowHandle>(
            function(reinterpret_cast<HWND>(owner), textZ.c_str(), command, data));
    }

    /// Throws Error(E_POINTER) when the library has no HtmlHelpW.
    host::WindowHandle CallHtmlHelpW(host::WindowHandle owner, std::u16string_view text,
                                     std::uint32_t command, std::uintptr_t data) override {
        const HtmlHelpWFunction function = RequireEntry(m_htmlHelpW, "HtmlHelpW");
        const std::wstring textZ = ToWide(text);
        return reinterpret_cast<host::WindowHandle>(
            function(reinterpret_cast<HWND>(owner), textZ.c_str(), command, data));
    }

private:
    const HtmlHelpAFunction m_htmlHelpA;
    const HtmlHelpWFunction m_htmlHelpW;
};

} // namespace

std::u16string Win32Desktop::SystemDirectory() const {
    return FolderFrom(::GetSystemDirectoryW, "system folder");
}

std::u16string Win32Desktop::WindowsDirectory() const {
    return FolderFrom(::GetWindowsDirectoryW, "Windows folder");
}

bool Win32Desktop::FileExists(std::u16string_view path) const {
    const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::string> Win32Desktop::ToAnsiCodePage(std::u16string_view text) const {
    if (text.empty())
        return std::string();
    const std::wstring wide = ToWide(text);
    const int wideLength = static_cast<int>(wide.size());
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::nullopt;
    std::string ansi(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), size, nullptr, nullptr);
    // The conversion replaces what the code page cannot write with a default or best-fit
    // character without failing; only the way back tells whether the text survived.
    const int backLength = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    std::wstring back(static_cast<std::size_t>(backLength > 0 ? backLength : 0), L'\0');
    if (backLength > 0)
        ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, back.data(), backLength);
    if (back != wide)
        return std::nullopt;
    return ansi;
}

std::unique_ptr<host::HelpEngine> Win32Desktop::LoadHelpEngine(std::u16string_view path) {
    UniqueHmodule library(::LoadLibraryW(ToWide(path).c_str()));
    if (!library)
        return nullptr;
    HMODULE pinned = nullptr;
    const BOOL isPinned =
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                             reinterpret_cast<LPCWSTR>(library.Get()), &pinned);
    if (!isPinned) {
        // Without the pin the load's own reference is what keeps the library in the process:
        // it is handed to the process and never released.
        return std::make_unique<Win32HelpEngine>(library.Detach());
    }
    // Pinned, the library stays whatever happens to the load's reference, which goes here.
    return std::make_unique<Win32HelpEngine>(library.Get());
}

} // namespace tarvex::win

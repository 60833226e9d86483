// The simulated desktop's files, libraries and help engine: what opening the help file meets
// on a simulated Windows installation.

#include <algorithm>
#include <memory>
#include <string>

#include "base/case_folding.h"
#include "base/error.h"
#include "sim/desktop/ansi_code_page.h"
#include "sim/desktop/desktop.h"

namespace tarvex::sim {

namespace {

// The engine's notation for a topic inside a compiled help file.
constexpr std::u16string_view kTopicMarker = u"::/";

} // namespace

bool SimDesktop::FileExists(std::u16string_view path) const {
    return std::any_of(m_files.begin(), m_files.end(),
                       [&](const std::u16string& file) { return base::FoldedEqual(file, path); });
}

void SimDesktop::AddFile(std::u16string path) {
    if (!FileExists(path))
        m_files.push_back(std::move(path));
}

void SimDesktop::RemoveFile(std::u16string_view path) {
    std::erase_if(m_files,
                  [&](const std::u16string& file) { return base::FoldedEqual(file, path); });
}

std::optional<std::string> SimDesktop::ToAnsiCodePage(std::u16string_view text) const {
    return ToWindows1252(text);
}

void SimDesktop::AddLibrary(std::u16string path, std::vector<std::string> exports) {
    AddFile(path);
    const auto known =
        std::find_if(m_libraries.begin(), m_libraries.end(),
                     [&](const SimLibrary& l) { return base::FoldedEqual(l.path, path); });
    if (known != m_libraries.end())
        known->exports = std::move(exports);
    else
        m_libraries.push_back({std::move(path), std::move(exports), false});
}

// An engine over one library of the desktop, by its index there. It refers to the library
// and does not own it: the library stays loaded when the engine goes, as Windows keeps the
// real engine's.
struct SimDesktop::SimHelpEngine final : host::HelpEngine {
    SimHelpEngine(SimDesktop& owner, std::size_t index) noexcept
        : desktop(owner)
        , library(index) {}

    bool HasHtmlHelpA() const override { return desktop.LibraryExports(library, "HtmlHelpA"); }
    bool HasHtmlHelpW() const override { return desktop.LibraryExports(library, "HtmlHelpW"); }

    host::WindowHandle CallHtmlHelpA(host::WindowHandle owner, std::string_view text,
                                     std::uint32_t command, std::uintptr_t data) override {
        HelpRequest request;
        request.owner = owner;
        request.text = FromWindows1252(text);
        request.ansiText = text;
        request.command = command;
        request.data = data;
        return desktop.CallHelpEntry(library, "HtmlHelpA", std::move(request));
    }

    host::WindowHandle CallHtmlHelpW(host::WindowHandle owner, std::u16string_view text,
                                     std::uint32_t command, std::uintptr_t data) override {
        HelpRequest request;
        request.owner = owner;
        request.text = text;
        request.command = command;
        request.data = data;
        return desktop.CallHelpEntry(library, "HtmlHelpW", std::move(request));
    }

    SimDesktop& desktop;
    const std::size_t library;
};

std::unique_ptr<host::HelpEngine> SimDesktop::LoadHelpEngine(std::u16string_view path) {
    if (NextCallFails("LoadHelpEngine"))
        return nullptr;
    m_libraryLoads.emplace_back(path);
    if (!FileExists(path))
        return nullptr;
    for (std::size_t i = 0; i < m_libraries.size(); ++i) {
        if (base::FoldedEqual(m_libraries[i].path, path)) {
            m_libraries[i].loaded = true;
            return std::make_unique<SimHelpEngine>(*this, i);
        }
    }
    return nullptr;
}

std::vector<std::u16string> SimDesktop::LoadedLibraries() const {
    std::vector<std::u16string> loaded;
    for (const SimLibrary& library : m_libraries) {
        if (library.loaded)
            loaded.push_back(library.path);
    }
    return loaded;
}

bool SimDesktop::LibraryExports(std::size_t library, std::string_view name) const {
    const std::vector<std::string>& exports = m_libraries[library].exports;
    return std::find(exports.begin(), exports.end(), name) != exports.end();
}

host::WindowHandle SimDesktop::CallHelpEntry(std::size_t library, std::string_view entryPoint,
                                             HelpRequest request) {
    if (!LibraryExports(library, entryPoint))
        throw base::Error(base::hr::Pointer,
                          "The library has no " + std::string(entryPoint) + " entry point to call");
    if (NextCallFails(entryPoint == "HtmlHelpA" ? "CallHtmlHelpA" : "CallHtmlHelpW"))
        return 0;
    request.entryPoint = entryPoint;
    const std::size_t marker = request.text.find(kTopicMarker);
    request.file = request.text.substr(0, marker);
    if (marker != std::u16string::npos)
        request.topic = request.text.substr(marker + kTopicMarker.size());
    if (FileExists(request.file))
        request.window = m_nextWindow++;
    m_helpRequests.push_back(request);
    if (m_helpHandler)
        m_helpHandler(request);
    return request.window;
}

} // namespace tarvex::sim

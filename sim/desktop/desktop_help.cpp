// The simulated desktop's files, libraries and help engine: what opening the help file meets
// on a simulated Windows installation.

#include <algorithm>

#include "host/case_folding.h"
#include "host/error.h"
#include "sim/desktop/ansi_code_page.h"
#include "sim/desktop/desktop.h"

namespace tarvex::sim {

namespace {

// Library handles are spaced like module base addresses; an export's address lies inside
// its library's span, after the handle.
constexpr host::LibraryHandle kFirstLibrary = 0x10000000;
constexpr host::LibraryHandle kLibrarySpan = 0x10000;
constexpr host::ExportAddress kExportSpacing = 0x10;

// The engine's notation for a topic inside a compiled help file.
constexpr std::u16string_view kTopicMarker = u"::/";

} // namespace

bool SimDesktop::FileExists(std::u16string_view path) const {
    return std::any_of(m_files.begin(), m_files.end(),
                       [&](const std::u16string& file) { return host::FoldedEqual(file, path); });
}

void SimDesktop::AddFile(std::u16string path) {
    if (!FileExists(path))
        m_files.push_back(std::move(path));
}

void SimDesktop::RemoveFile(std::u16string_view path) {
    std::erase_if(m_files,
                  [&](const std::u16string& file) { return host::FoldedEqual(file, path); });
}

std::optional<std::string> SimDesktop::ToAnsiCodePage(std::u16string_view text) const {
    return ToWindows1252(text);
}

void SimDesktop::AddLibrary(std::u16string path, std::vector<std::string> exports) {
    AddFile(path);
    const auto known =
        std::find_if(m_libraries.begin(), m_libraries.end(),
                     [&](const SimLibrary& l) { return host::FoldedEqual(l.path, path); });
    if (known != m_libraries.end())
        known->exports = std::move(exports);
    else
        m_libraries.push_back({std::move(path), std::move(exports), false});
}

host::LibraryHandle SimDesktop::LoadProcessLibrary(std::u16string_view path) {
    if (NextCallFails("LoadProcessLibrary"))
        return 0;
    m_libraryLoads.emplace_back(path);
    if (!FileExists(path))
        return 0;
    for (std::size_t i = 0; i < m_libraries.size(); ++i) {
        if (host::FoldedEqual(m_libraries[i].path, path)) {
            m_libraries[i].loaded = true;
            return kFirstLibrary + i * kLibrarySpan;
        }
    }
    return 0;
}

const SimDesktop::SimLibrary*
SimDesktop::LoadedLibraryAt(host::LibraryHandle library) const noexcept {
    if (library < kFirstLibrary || (library - kFirstLibrary) % kLibrarySpan != 0)
        return nullptr;
    const std::size_t index = (library - kFirstLibrary) / kLibrarySpan;
    if (index >= m_libraries.size() || !m_libraries[index].loaded)
        return nullptr;
    return &m_libraries[index];
}

host::ExportAddress SimDesktop::FindExport(host::LibraryHandle library,
                                           std::string_view name) const {
    const SimLibrary* loaded = LoadedLibraryAt(library);
    if (!loaded)
        return 0;
    const auto found = std::find(loaded->exports.begin(), loaded->exports.end(), name);
    if (found == loaded->exports.end())
        return 0;
    return library +
           kExportSpacing * static_cast<host::ExportAddress>(found - loaded->exports.begin() + 1);
}

host::WindowHandle SimDesktop::CallHelpEntry(host::ExportAddress entry, std::string_view entryPoint,
                                             HelpRequest request) {
    const host::LibraryHandle library =
        entry < kFirstLibrary ? 0 : entry - (entry - kFirstLibrary) % kLibrarySpan;
    if (entry == 0 || FindExport(library, entryPoint) != entry)
        throw host::Error(host::hr::Pointer, "The address called is not the " +
                                                 std::string(entryPoint) +
                                                 " entry point of a loaded library");
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

host::WindowHandle SimDesktop::CallHtmlHelpA(host::ExportAddress entry, host::WindowHandle owner,
                                             std::string_view text, std::uint32_t command,
                                             std::uintptr_t data) {
    HelpRequest request;
    request.owner = owner;
    request.text = FromWindows1252(text);
    request.ansiText = text;
    request.command = command;
    request.data = data;
    return CallHelpEntry(entry, "HtmlHelpA", std::move(request));
}

host::WindowHandle SimDesktop::CallHtmlHelpW(host::ExportAddress entry, host::WindowHandle owner,
                                             std::u16string_view text, std::uint32_t command,
                                             std::uintptr_t data) {
    HelpRequest request;
    request.owner = owner;
    request.text = text;
    request.command = command;
    request.data = data;
    return CallHelpEntry(entry, "HtmlHelpW", std::move(request));
}

} // namespace tarvex::sim

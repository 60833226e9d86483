#include "sim/desktop/help_engine.h"

#include <memory>

#include "base/error.h"
#include "base/text.h"
#include "host/desktop.h"

namespace tarvex::sim {

void RegisterHelpEngine(host::Registry& registry, std::u16string_view file,
                        host::RegistryType type) {
    std::unique_ptr<host::RegistryKey> key;
    base::ThrowIfFailed(
        registry.CreateKey(host::RegistryRoot::ClassesRoot, host::html_help::EngineClassKey, key),
        "Creating the help engine's class key");
    base::ThrowIfFailed(key->SetValue("", host::RegistryValue::FromString(file, type)),
                        "Registering the help engine's file");
}

void InstallHelpEngine(SimDesktop& desktop, host::Registry& registry, std::u16string path) {
    RegisterHelpEngine(registry, path);
    desktop.AddLibrary(std::move(path), {"HtmlHelpA", "HtmlHelpW"});
}

std::optional<std::filesystem::path> FindHelpPage(const std::filesystem::path& pagesFolder,
                                                  std::u16string_view topic) {
    // The topic comes from whoever called the engine: only a bare file name may pick a page,
    // so that no request reaches a file outside the pages' folder.
    if (topic.empty() || topic == u"." || topic == u".." ||
        topic.find_first_of(u"/\\:") != std::u16string_view::npos)
        return std::nullopt;
    const std::filesystem::path page =
        pagesFolder / std::filesystem::path(base::Utf16ToUtf8(topic));
    std::error_code error;
    if (!std::filesystem::is_regular_file(page, error))
        return std::nullopt;
    return page;
}

std::string DescribeHelpRequest(const HelpRequest& request,
                                const std::filesystem::path& pagesFolder) {
    std::string line = "help: " + base::Utf16ToUtf8(request.text);
    if (const std::optional<std::filesystem::path> page =
            FindHelpPage(pagesFolder, request.topic)) {
        // Forward slashes on every system, so that a transcript reads the same everywhere.
        const std::u8string text = page->generic_u8string();
        line += " (page: " + std::string(text.begin(), text.end()) + ")";
    }
    return line;
}

} // namespace tarvex::sim

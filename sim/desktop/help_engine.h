#pragma once

// The HTML Help engine of a simulated Windows installation: its library on the simulated
// desktop and its class registration, as the tests and tarvex-sim set them up.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "host/registry.h"
#include "sim/desktop/desktop.h"

namespace tarvex::sim {

/// Writes `file` as the default value of the engine's class key below HKEY_CLASSES_ROOT,
/// with type `type` (REG_SZ or REG_EXPAND_SZ), creating the key. Throws Error when the
/// registry refuses.
void RegisterHelpEngine(host::Registry& registry, std::u16string_view file,
                        host::RegistryType type = host::RegistryType::String);

/// Puts a help engine exporting HtmlHelpA and HtmlHelpW at `path` on `desktop` and
/// registers it there, as a Windows installation has it. Throws Error when the registry
/// refuses.
void InstallHelpEngine(SimDesktop& desktop, host::Registry& registry, std::u16string path);

/// The HTML page of `topic` among the help pages in `pagesFolder` (the sources of the help
/// file, docs/help), when the topic is a plain file name and that page exists; nothing
/// otherwise. A topic with a folder part ("../x.htm", "a\\b.htm") names no page.
std::optional<std::filesystem::path> FindHelpPage(const std::filesystem::path& pagesFolder,
                                                  std::u16string_view topic);

/// The line that reports a help request: "help: " and the text the engine was given, followed
/// by " (page: <path>)" when FindHelpPage finds the topic's page in `pagesFolder`.
std::string DescribeHelpRequest(const HelpRequest& request,
                                const std::filesystem::path& pagesFolder);

} // namespace tarvex::sim

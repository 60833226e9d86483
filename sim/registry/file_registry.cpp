#include "sim/registry/file_registry.h"

#include <string>

#include "base/error.h"
#include "host/file.h"
#include "sim/registry/registry_export.h"

namespace tarvex::sim {

using base::HResult;

namespace {
std::string DisplayName(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}
} // namespace

FileRegistry::FileRegistry(std::filesystem::path path)
    : m_path(std::move(path)) {
    std::string text;
    const HResult result = host::ReadWholeFile(m_path, text);
    if (result != base::hr::FileNotFound) {
        if (base::Failed(result)) {
            std::string message = "Cannot read the registry file '";
            message += DisplayName(m_path);
            message += "' (";
            message += base::FormatHResult(result);
            message += ')';
            throw base::Error(result, std::move(message));
        }
        ReadRegistryExport(text, DisplayName(m_path), m_memory);
    }
    m_memory.SetCommitHandler([this] { return Save(); });
}

HResult FileRegistry::DoOpenKey(host::RegistryRoot root, std::string_view path,
                                host::RegistryAccess access,
                                std::unique_ptr<host::RegistryKey>& key) {
    return m_memory.OpenKey(root, path, access, key);
}

HResult FileRegistry::DoCreateKey(host::RegistryRoot root, std::string_view path,
                                  std::unique_ptr<host::RegistryKey>& key) {
    return m_memory.CreateKey(root, path, key);
}

HResult FileRegistry::DeleteKey(host::RegistryRoot root, std::string_view path) {
    return m_memory.DeleteKey(root, path);
}

HResult FileRegistry::DeleteTree(host::RegistryRoot root, std::string_view path) {
    return m_memory.DeleteTree(root, path);
}

HResult FileRegistry::Save() {
    std::string text;
    const HResult result = WriteRegistryExport(m_memory, text);
    if (base::Failed(result))
        return result;
    return host::WriteFileAtomically(m_path, text);
}

} // namespace tarvex::sim

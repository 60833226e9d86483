#pragma once

// The simulator's per-user registry on Linux: a registry kept in one file in the registry
// export text format (see registry_export.h). The file is read once, when the store is
// created; every change is then made in memory and the whole file written again, atomically.
// A change whose file could not be written is undone and reported through its result code.
// Two stores on one file do not see each other's changes: the last write wins.

#include <filesystem>
#include <memory>
#include <string_view>

#include "host/registry.h"
#include "sim/registry/memory_registry.h"

namespace tarvex::sim {

/// The registry seam over a registry export file.
class FileRegistry final : public host::Registry {
public:
    /// Loads the store kept in `path`. A missing file is an empty store; the file and its
    /// folder are created by the first change. Throws base::Error naming the file when it
    /// cannot be read or is malformed (then also the line and the problem); the file is never
    /// replaced in that case.
    explicit FileRegistry(std::filesystem::path path);

    base::HResult DeleteKey(host::RegistryRoot root, std::string_view path) override;
    base::HResult DeleteTree(host::RegistryRoot root, std::string_view path) override;

    /// The file of the store.
    const std::filesystem::path& Path() const noexcept { return m_path; }
    /// The store as loaded and changed since (read-only: changes go through the seam, which
    /// saves them).
    const MemoryRegistry& Contents() const noexcept { return m_memory; }

protected:
    base::HResult DoOpenKey(host::RegistryRoot root, std::string_view path,
                            host::RegistryAccess access,
                            std::unique_ptr<host::RegistryKey>& key) override;
    base::HResult DoCreateKey(host::RegistryRoot root, std::string_view path,
                              std::unique_ptr<host::RegistryKey>& key) override;

private:
    base::HResult Save();

    std::filesystem::path m_path;
    MemoryRegistry m_memory;
};

} // namespace tarvex::sim

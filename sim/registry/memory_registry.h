#pragma once

// A registry held in memory: the test double of the registry seam and the working copy of
// the simulator's file-backed store. Key and value names compare without regard to ASCII
// letter case and keep the spelling of their creation; values and subkeys are listed in the
// order they were created. Every operation is logged, and any operation can be made to fail.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/registry.h"

namespace tarvex::sim {

/// The registry operations that the log records and that failures can be injected into.
enum class RegistryOperation : std::uint8_t {
    OpenKey,
    CreateKey,
    DeleteKey,
    DeleteTree,
    QueryValue,
    SetValue,
    DeleteValue,
    ValueNames,
    SubkeyNames,
};

/// The operation's name as written in the log ("SetValue").
std::string_view OperationName(RegistryOperation operation) noexcept;

/// One operation as the log records it.
struct RegistryCall {
    RegistryOperation operation = RegistryOperation::OpenKey;
    host::RegistryRoot root = host::RegistryRoot::CurrentUser;
    /// The key path as the caller gave it (for key operations, the path the key was opened
    /// with), without leading and trailing backslashes.
    std::string path;
    /// The value name of QueryValue, SetValue and DeleteValue; empty otherwise.
    std::string valueName;
    base::HResult result = base::hr::Ok;

    friend bool operator==(const RegistryCall&, const RegistryCall&) = default;
};

/// Writes a call as "SetValue HKEY_CURRENT_USER\Software [Name] -> 0x00000000".
std::ostream& operator<<(std::ostream& out, const RegistryCall& call);

/// A key with its values, as the store lists it.
struct StoredKey {
    host::RegistryRoot root = host::RegistryRoot::CurrentUser;
    /// The levels in the spelling of their creation, joined by backslashes; "" for a root.
    std::string path;
    /// The values in the order of their creation.
    std::vector<std::pair<std::string, host::RegistryValue>> values;

    friend bool operator==(const StoredKey&, const StoredKey&) = default;
};

/// The registry seam in memory, with an operation log and failure injection for tests.
class MemoryRegistry final : public host::Registry {
public:
    MemoryRegistry();
    /// Keys still open afterwards answer hr Handle to every operation.
    ~MemoryRegistry() override;

    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    base::HResult DeleteKey(host::RegistryRoot root, std::string_view path) override;
    base::HResult DeleteTree(host::RegistryRoot root, std::string_view path) override;

    /// Every operation made through the seam since construction or the last ClearLog.
    const std::vector<RegistryCall>& Log() const noexcept;
    void ClearLog() noexcept;

    /// The number of keys opened through the seam and not yet closed.
    std::size_t OpenKeyCount() const noexcept;

    /// Makes the k-th operation from now fail with `code` (k = 1: the next operation).
    void FailNth(std::size_t k, base::HResult code = base::hr::AccessDenied);
    /// Makes every operation of kind `operation` fail with `code`.
    void FailEvery(RegistryOperation operation, base::HResult code = base::hr::AccessDenied);
    /// Makes every value operation of kind `operation` on value `valueName` fail.
    void FailEvery(RegistryOperation operation, std::string_view valueName,
                   base::HResult code = base::hr::AccessDenied);
    /// Removes every injected failure.
    void ClearFailures() noexcept;

    /// Creates a key with its missing levels, without logging and without failures.
    void PutKey(host::RegistryRoot root, std::string_view path);
    /// Stores a value (creating its key), without logging and without failures.
    void PutValue(host::RegistryRoot root, std::string_view path, std::string_view name,
                  host::RegistryValue value);
    /// The value `name` of the key at `path`, if both exist.
    std::optional<host::RegistryValue> GetValue(host::RegistryRoot root, std::string_view path,
                                                std::string_view name) const;
    /// Whether the key at `path` exists.
    bool HasKey(host::RegistryRoot root, std::string_view path) const;
    /// Every key below the roots, parents before their subkeys, subkeys in creation order; a
    /// root itself is listed only when it holds values.
    std::vector<StoredKey> Keys() const;

    /// Runs `commit` after every change made through the seam. When it answers a failure the
    /// change is undone and the operation answers that code. The file-backed store saves here.
    void SetCommitHandler(std::function<base::HResult()> commit);

protected:
    base::HResult DoOpenKey(host::RegistryRoot root, std::string_view path,
                            host::RegistryAccess access,
                            std::unique_ptr<host::RegistryKey>& key) override;
    base::HResult DoCreateKey(host::RegistryRoot root, std::string_view path,
                              std::unique_ptr<host::RegistryKey>& key) override;

private:
    struct State;
    class Key;

    std::shared_ptr<State> m_state;
};

} // namespace tarvex::sim

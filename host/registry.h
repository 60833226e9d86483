#pragma once

// The registry seam: a hierarchical key/value store shaped like the Windows registry.
// Implementations: Win32 (host/win), in memory with failure injection and file-backed in
// the registry export format (sim/registry). Key paths are relative to a root, with levels
// separated by backslashes; leading and trailing backslashes are ignored. Key and value
// names compare without regard to letter case, as Windows compares them. Names are UTF-8.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace tarvex::host {

enum class RegistryRoot : std::uint8_t { ClassesRoot, CurrentUser, LocalMachine };

/// The name of a root as the registry export format writes it ("HKEY_CURRENT_USER").
std::string_view RootName(RegistryRoot root) noexcept;

/// `path` without its leading and trailing backslashes, as every implementation takes it.
std::string_view TrimKeyPath(std::string_view path) noexcept;

/// Value types (REG_*).
enum class RegistryType : std::uint32_t {
    None = 0,
    String = 1,
    ExpandString = 2,
    Binary = 3,
    DWord = 4,
    MultiString = 7,
    QWord = 11,
};

/// A value as the registry stores it: its type and its raw bytes. Strings are UTF-16LE
/// with their terminating zero, as the wide registry functions store them.
struct RegistryValue {
    RegistryType type = RegistryType::None;
    std::vector<std::uint8_t> data;

    static RegistryValue FromDWord(std::uint32_t value);
    static RegistryValue FromString(std::u16string_view text,
                                    RegistryType type = RegistryType::String);

    /// The number of a REG_DWORD whose data fit in 4 bytes (shorter data are zero-extended,
    /// as a read into a 4-byte buffer gives them); nothing for any other type or size.
    std::optional<std::uint32_t> AsDWord() const;
    /// The text of a REG_SZ or REG_EXPAND_SZ (up to its first zero); nothing otherwise.
    std::optional<std::u16string> AsString() const;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

/// What a key is opened for.
enum class RegistryAccess : std::uint8_t { Read, All };

/// An open key, closed when destroyed.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    /// Reads value `name` ("" is the key's default value); hr FileNotFound when absent.
    virtual base::HResult QueryValue(std::string_view name, RegistryValue& value) = 0;
    virtual base::HResult SetValue(std::string_view name, const RegistryValue& value) = 0;
    virtual base::HResult DeleteValue(std::string_view name) = 0;
    /// The names of the key's values, in the order the store keeps them.
    virtual base::HResult ValueNames(std::vector<std::string>& names) = 0;
    /// The names of the key's direct subkeys.
    virtual base::HResult SubkeyNames(std::vector<std::string>& names) = 0;
};

/// A registry. Opening and creating come two ways: answering a code (for callers that tell
/// failures apart) and throwing (for callers that only stop). Either way an open key is
/// never null: an implementation that answers success without one is answered E_FAIL.
class Registry {
public:
    virtual ~Registry() = default;

    /// Opens an existing key into `key`; hr FileNotFound when it does not exist.
    base::HResult OpenKey(RegistryRoot root, std::string_view path, RegistryAccess access,
                          std::unique_ptr<RegistryKey>& key);
    /// Opens a key for all access into `key`, creating every missing level.
    base::HResult CreateKey(RegistryRoot root, std::string_view path,
                            std::unique_ptr<RegistryKey>& key);

    /// The existing key at `path`, or null when there is none; any other failure throws
    /// Error ("`what` failed (code)").
    std::unique_ptr<RegistryKey> OpenExisting(RegistryRoot root, std::string_view path,
                                              RegistryAccess access, std::string_view what);
    /// The key at `path`, created with every missing level; a failure throws Error ("`what`
    /// failed (code)").
    std::unique_ptr<RegistryKey> Create(RegistryRoot root, std::string_view path,
                                        std::string_view what);

    /// Deletes a key that has no subkeys (with its values).
    virtual base::HResult DeleteKey(RegistryRoot root, std::string_view path) = 0;
    /// Deletes a key with all its subkeys and values; hr FileNotFound when it does not exist.
    virtual base::HResult DeleteTree(RegistryRoot root, std::string_view path) = 0;

protected:
    /// What each registry implements behind OpenKey and CreateKey.
    virtual base::HResult DoOpenKey(RegistryRoot root, std::string_view path, RegistryAccess access,
                                    std::unique_ptr<RegistryKey>& key) = 0;
    virtual base::HResult DoCreateKey(RegistryRoot root, std::string_view path,
                                      std::unique_ptr<RegistryKey>& key) = 0;
};

} // namespace tarvex::host

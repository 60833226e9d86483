#pragma once

// The registry seam over the real Windows registry: the process's own registry view (no
// WOW64 redirection flags), the wide API functions, names converted between UTF-8 and UTF-16.

#include <memory>
#include <string_view>

#include "host/registry.h"

namespace tarvex::win {

/// The registry seam over advapi32.
class Win32Registry final : public host::Registry {
public:
    base::HResult DeleteKey(host::RegistryRoot root, std::string_view path) override;
    /// Empties the key with RegDeleteTreeW, then deletes the key itself.
    base::HResult DeleteTree(host::RegistryRoot root, std::string_view path) override;

protected:
    base::HResult DoOpenKey(host::RegistryRoot root, std::string_view path,
                            host::RegistryAccess access,
                            std::unique_ptr<host::RegistryKey>& key) override;
    base::HResult DoCreateKey(host::RegistryRoot root, std::string_view path,
                              std::unique_ptr<host::RegistryKey>& key) override;
};

} // namespace tarvex::win

#include "options.h"

#include <memory>

#include "host/error.h"

namespace tarvex::settings {

using host::RegistryRoot;

std::string TOptionsReg::GetKeyPath() const { return "\\Software\\Morvane Software\\Tarvex\\Options\\"; }

bool TOptionsReg::ReadFlag(std::string_view name, bool defaultValue) {
    // Whether the key opened is not checked: a key that is not there has no value either.
    std::unique_ptr<host::RegistryKey> key;
    m_registry.OpenKey(RegistryRoot::CurrentUser, GetKeyPath(), host::RegistryAccess::All, key);
    host::RegistryValue value;
    bool exists = key && host::Succeeded(key->QueryValue(name, value));
    if (!exists) {
        key.reset();
        WriteFlag(name, defaultValue);
        m_registry.OpenKey(RegistryRoot::CurrentUser, GetKeyPath(), host::RegistryAccess::All,
                           key);
        exists = key && host::Succeeded(key->QueryValue(name, value));
    }
    if (!exists)
        return defaultValue;
    const std::optional<std::uint32_t> number = value.AsDWord();
    return number ? *number != 0 : defaultValue;
}

void TOptionsReg::WriteFlag(std::string_view name, bool value) {
    std::unique_ptr<host::RegistryKey> key;
    host::HResult result = m_registry.CreateKey(RegistryRoot::CurrentUser, GetKeyPath(), key);
    if (host::Succeeded(result) && key)
        result = key->SetValue(name, host::RegistryValue::FromDWord(value ? 1 : 0));
    else if (host::Succeeded(result))
        result = host::hr::Fail;
    if (host::Failed(result))
        throw host::Error(result, "Failed to set data for '" + std::string(name) + "'");
}

} // namespace tarvex::settings

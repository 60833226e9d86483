#include "options.h"

#include <memory>

#include "base/error.h"

namespace tarvex::settings {

using host::RegistryRoot;

std::string TOptionsReg::GetKeyPath() const {
    return "\\Software\\Morvane Software\\Tarvex\\Options\\";
}

bool TOptionsReg::ReadFlag(std::string_view name, bool defaultValue) {
    // A key that is not there holds no value: the default is then written, which creates the
    // key or raises the write error.
    std::unique_ptr<host::RegistryKey> key;
    host::RegistryValue value;
    base::HResult result =
        m_registry.OpenKey(RegistryRoot::CurrentUser, GetKeyPath(), host::RegistryAccess::All, key);
    if (base::Succeeded(result))
        result = key->QueryValue(name, value);
    // Only a value (or key) that is not there is materialised with its default. One that is
    // there but could not be read, because its key could not be opened or the query failed,
    // keeps what the user stored: it reads as the default and stays as it is.
    const bool missing = result == base::hr::FileNotFound;
    if (missing) {
        key.reset();
        WriteFlag(name, defaultValue);
        result = m_registry.OpenKey(RegistryRoot::CurrentUser, GetKeyPath(),
                                    host::RegistryAccess::All, key);
        if (base::Succeeded(result))
            result = key->QueryValue(name, value);
    }
    if (base::Failed(result))
        return defaultValue;
    const std::optional<std::uint32_t> number = value.AsDWord();
    return number ? *number != 0 : defaultValue;
}

void TOptionsReg::WriteFlag(std::string_view name, bool value) {
    std::unique_ptr<host::RegistryKey> key;
    base::HResult result = m_registry.CreateKey(RegistryRoot::CurrentUser, GetKeyPath(), key);
    if (base::Succeeded(result))
        result = key->SetValue(name, host::RegistryValue::FromDWord(value ? 1 : 0));
    key.reset(); // closed whether or not the value was set
    if (base::Failed(result)) {
        std::string message = "Failed to set data for '";
        message += name;
        message += '\'';
        throw base::Error(result, std::move(message));
    }
}

} // namespace tarvex::settings

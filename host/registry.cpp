#include "registry.h"

#include "base/error.h"

namespace tarvex::host {

std::string_view RootName(RegistryRoot root) noexcept {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    }
    return "?";
}

std::string_view TrimKeyPath(std::string_view path) noexcept {
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return path;
}

RegistryValue RegistryValue::FromDWord(std::uint32_t value) {
    RegistryValue result;
    result.type = RegistryType::DWord;
    for (int i = 0; i < 4; ++i)
        result.data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return result;
}

RegistryValue RegistryValue::FromString(std::u16string_view text, RegistryType type) {
    RegistryValue result;
    result.type = type;
    result.data.reserve(2 * (text.size() + 1));
    for (char16_t c : text) {
        result.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        result.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    result.data.push_back(0);
    result.data.push_back(0);
    return result;
}

std::optional<std::uint32_t> RegistryValue::AsDWord() const {
    if (type != RegistryType::DWord || data.size() > 4)
        return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size(); ++i)
        value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    return value;
}

std::optional<std::u16string> RegistryValue::AsString() const {
    if (type != RegistryType::String && type != RegistryType::ExpandString)
        return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (c == 0)
            break;
        text.push_back(c);
    }
    return text;
}

namespace {
// An implementation's answer with its key: a success that brought no key is a failure.
base::HResult Checked(base::HResult result, const std::unique_ptr<RegistryKey>& key) noexcept {
    return base::Succeeded(result) && !key ? base::hr::Fail : result;
}
} // namespace

base::HResult Registry::OpenKey(RegistryRoot root, std::string_view path, RegistryAccess access,
                                std::unique_ptr<RegistryKey>& key) {
    key.reset();
    return Checked(DoOpenKey(root, path, access, key), key);
}

base::HResult Registry::CreateKey(RegistryRoot root, std::string_view path,
                                  std::unique_ptr<RegistryKey>& key) {
    key.reset();
    return Checked(DoCreateKey(root, path, key), key);
}

std::unique_ptr<RegistryKey> Registry::OpenExisting(RegistryRoot root, std::string_view path,
                                                    RegistryAccess access, std::string_view what) {
    std::unique_ptr<RegistryKey> key;
    const base::HResult result = OpenKey(root, path, access, key);
    if (result == base::hr::FileNotFound)
        return nullptr;
    base::ThrowIfFailed(result, what);
    return key;
}

std::unique_ptr<RegistryKey> Registry::Create(RegistryRoot root, std::string_view path,
                                              std::string_view what) {
    std::unique_ptr<RegistryKey> key;
    base::ThrowIfFailed(CreateKey(root, path, key), what);
    return key;
}

} // namespace tarvex::host

#include "host/win/registry.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "host/win/handles.h"

namespace tarvex::win {

using base::HResult;
namespace hr = base::hr;

namespace {

// Value names are at most 16,383 characters; a longer buffer means something is wrong.
constexpr std::size_t kLongestName = 32768;

HKEY RootKey(host::RegistryRoot root) noexcept {
    switch (root) {
    case host::RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case host::RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case host::RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    }
    return nullptr;
}

HResult FromStatus(LONG status) noexcept {
    return base::FromWin32(static_cast<std::uint32_t>(status));
}

// A name for the wide functions; false when it holds a zero character, which would cut the
// name short there without the caller knowing.
bool ToWide(std::string_view name, std::wstring& wide) {
    if (name.find('\0') != std::string_view::npos)
        return false;
    const std::u16string utf16 = base::Utf8ToUtf16(name);
    wide.assign(utf16.begin(), utf16.end());
    return true;
}

std::string ToUtf8(const wchar_t* text, std::size_t length) {
    return base::Utf16ToUtf8(std::u16string(text, text + length));
}

// Lists names with RegEnumValueW or RegEnumKeyExW (`enumerate`), starting with a buffer of
// `longest` characters and growing it when a longer name was added meanwhile.
template <class Enumerate>
HResult EnumerateNames(DWORD longest, std::vector<std::string>& names, Enumerate enumerate) {
    std::vector<wchar_t> buffer(longest + 1);
    std::vector<std::string> found;
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG status = enumerate(index, buffer.data(), &length);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_MORE_DATA && buffer.size() < kLongestName) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        found.push_back(ToUtf8(buffer.data(), length));
        ++index;
    }
    names = std::move(found);
    return hr::Ok;
}

class Win32Key final : public host::RegistryKey {
public:
    explicit Win32Key(UniqueHkey key) noexcept
        : m_key(std::move(key)) {}

    HResult QueryValue(std::string_view name, host::RegistryValue& value) override {
        std::wstring wideName;
        if (!ToWide(name, wideName))
            return hr::InvalidArg;
        std::vector<std::uint8_t> data;
        DWORD type = REG_NONE;
        // The first call asks for the size; the value can grow before it is read, and then
        // the read answers ERROR_MORE_DATA with the new size.
        for (int attempt = 0; attempt < 8; ++attempt) {
            DWORD size = static_cast<DWORD>(data.size());
            const LONG status = ::RegQueryValueExW(m_key.Get(), wideName.c_str(), nullptr, &type,
                                                   data.empty() ? nullptr : data.data(), &size);
            if (status == ERROR_SUCCESS && (!data.empty() || size == 0)) {
                data.resize(size);
                value.type = static_cast<host::RegistryType>(type);
                value.data = std::move(data);
                return hr::Ok;
            }
            if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
                return FromStatus(status);
            data.resize(size);
        }
        return FromStatus(ERROR_MORE_DATA);
    }

    HResult SetValue(std::string_view name, const host::RegistryValue& value) override {
        std::wstring wideName;
        if (!ToWide(name, wideName) || value.data.size() > MAXDWORD)
            return hr::InvalidArg;
        return FromStatus(::RegSetValueExW(m_key.Get(), wideName.c_str(), 0,
                                           static_cast<DWORD>(value.type),
                                           value.data.empty() ? nullptr : value.data.data(),
                                           static_cast<DWORD>(value.data.size())));
    }

    HResult DeleteValue(std::string_view name) override {
        std::wstring wideName;
        if (!ToWide(name, wideName))
            return hr::InvalidArg;
        return FromStatus(::RegDeleteValueW(m_key.Get(), wideName.c_str()));
    }

    HResult ValueNames(std::vector<std::string>& names) override {
        DWORD longest = 0;
        const LONG status =
            ::RegQueryInfoKeyW(m_key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, &longest, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        return EnumerateNames(longest, names, [this](DWORD index, wchar_t* name, DWORD* length) {
            return ::RegEnumValueW(m_key.Get(), index, name, length, nullptr, nullptr, nullptr,
                                   nullptr);
        });
    }

    HResult SubkeyNames(std::vector<std::string>& names) override {
        DWORD longest = 0;
        const LONG status =
            ::RegQueryInfoKeyW(m_key.Get(), nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        return EnumerateNames(longest, names, [this](DWORD index, wchar_t* name, DWORD* length) {
            return ::RegEnumKeyExW(m_key.Get(), index, name, length, nullptr, nullptr, nullptr,
                                   nullptr);
        });
    }

private:
    UniqueHkey m_key;
};

// The root and the path in the form the wide functions take; false for an unknown root or
// a path with a zero character in it.
bool Locate(host::RegistryRoot root, std::string_view path, HKEY& rootKey, std::wstring& widePath) {
    rootKey = RootKey(root);
    return rootKey != nullptr && ToWide(host::TrimKeyPath(path), widePath);
}

} // namespace

HResult Win32Registry::DoOpenKey(host::RegistryRoot root, std::string_view path,
                                 host::RegistryAccess access,
                                 std::unique_ptr<host::RegistryKey>& key) {
    key.reset();
    HKEY rootKey = nullptr;
    std::wstring widePath;
    if (!Locate(root, path, rootKey, widePath))
        return hr::InvalidArg;
    UniqueHkey opened;
    const REGSAM rights = access == host::RegistryAccess::All ? KEY_ALL_ACCESS : KEY_READ;
    const LONG status = ::RegOpenKeyExW(rootKey, widePath.c_str(), 0, rights, opened.Put());
    if (status != ERROR_SUCCESS)
        return FromStatus(status);
    key = std::make_unique<Win32Key>(std::move(opened));
    return hr::Ok;
}

HResult Win32Registry::DoCreateKey(host::RegistryRoot root, std::string_view path,
                                   std::unique_ptr<host::RegistryKey>& key) {
    key.reset();
    HKEY rootKey = nullptr;
    std::wstring widePath;
    if (!Locate(root, path, rootKey, widePath))
        return hr::InvalidArg;
    UniqueHkey created;
    const LONG status =
        ::RegCreateKeyExW(rootKey, widePath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, created.Put(), nullptr);
    if (status != ERROR_SUCCESS)
        return FromStatus(status);
    key = std::make_unique<Win32Key>(std::move(created));
    return hr::Ok;
}

HResult Win32Registry::DeleteKey(host::RegistryRoot root, std::string_view path) {
    HKEY rootKey = nullptr;
    std::wstring widePath;
    if (!Locate(root, path, rootKey, widePath) || widePath.empty())
        return hr::InvalidArg; // a root cannot be deleted
    return FromStatus(::RegDeleteKeyW(rootKey, widePath.c_str()));
}

HResult Win32Registry::DeleteTree(host::RegistryRoot root, std::string_view path) {
    HKEY rootKey = nullptr;
    std::wstring widePath;
    if (!Locate(root, path, rootKey, widePath) || widePath.empty())
        return hr::InvalidArg;
    {
        UniqueHkey key;
        const LONG status =
            ::RegOpenKeyExW(rootKey, widePath.c_str(), 0, KEY_ALL_ACCESS, key.Put());
        if (status != ERROR_SUCCESS)
            return FromStatus(status);
        // Without a subkey name RegDeleteTreeW empties the key but leaves the key itself.
        const LONG emptied = ::RegDeleteTreeW(key.Get(), nullptr);
        if (emptied != ERROR_SUCCESS)
            return FromStatus(emptied);
    }
    return FromStatus(::RegDeleteKeyW(rootKey, widePath.c_str()));
}

} // namespace tarvex::win

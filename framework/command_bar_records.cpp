#include "framework/command_bar_records.h"

#include "base/error.h"
#include "base/text.h"
#include "framework/module.h"
#include "host/registry.h"

namespace tarvex::framework {

namespace {

// The add-in key's subkey; empty while the module has no factory (no add-in key yet).
std::string SubkeyPath(const TadxCOMAddInModule& module, std::string_view subkey) {
    const std::string key = module.GetAddinKey();
    if (key.empty())
        return {};
    return key + "\\" + std::string(subkey);
}

std::unique_ptr<host::RegistryKey> Open(const TadxCOMAddInModule& module, std::string_view subkey,
                                        host::RegistryAccess access) {
    const std::string path = SubkeyPath(module, subkey);
    std::unique_ptr<host::RegistryKey> key;
    if (path.empty() ||
        base::Failed(module.Registry().OpenKey(host::RegistryRoot::CurrentUser, path, access, key)))
        return nullptr;
    return key;
}

} // namespace

std::optional<std::int32_t> ReadRecord(const TadxCOMAddInModule& module, std::string_view subkey,
                                       std::u16string_view name) {
    const auto key = Open(module, subkey, host::RegistryAccess::Read);
    if (!key)
        return std::nullopt;
    host::RegistryValue value;
    if (base::Failed(key->QueryValue(base::Utf16ToUtf8(name), value)))
        return std::nullopt;
    const std::optional<std::uint32_t> number = value.AsDWord();
    if (!number)
        return std::nullopt;
    return static_cast<std::int32_t>(*number);
}

void WriteRecord(const TadxCOMAddInModule& module, std::string_view subkey,
                 std::u16string_view name, std::int32_t counter) {
    const std::string path = SubkeyPath(module, subkey);
    if (path.empty())
        throw base::Error(base::hr::Unexpected, "The add-in has no registry key to record in");
    const std::unique_ptr<host::RegistryKey> key =
        module.Registry().Create(host::RegistryRoot::CurrentUser, path, "Creating the key " + path);
    base::ThrowIfFailed(
        key->SetValue(base::Utf16ToUtf8(name),
                      host::RegistryValue::FromDWord(static_cast<std::uint32_t>(counter))),
        "Recording " + base::Utf16ToUtf8(name));
}

base::HResult ListRecordNames(const TadxCOMAddInModule& module, std::string_view subkey,
                              std::vector<std::u16string>& names) {
    names.clear();
    const std::string path = SubkeyPath(module, subkey);
    if (path.empty())
        return base::hr::FileNotFound;
    std::unique_ptr<host::RegistryKey> key;
    const base::HResult opened = module.Registry().OpenKey(host::RegistryRoot::CurrentUser, path,
                                                           host::RegistryAccess::Read, key);
    if (base::Failed(opened))
        return opened;
    std::vector<std::string> values;
    const base::HResult listed = key->ValueNames(values);
    if (base::Failed(listed))
        return listed;
    names.reserve(values.size());
    for (const std::string& name : values)
        names.push_back(base::Utf8ToUtf16(name));
    return base::hr::Ok;
}

std::optional<std::vector<std::u16string>> RecordNames(const TadxCOMAddInModule& module,
                                                       std::string_view subkey) {
    // Only a subkey that is not there means no records. One that cannot be opened still
    // holds them: answering none would let unregistration report success, delete the
    // records with the add-in key and leave their bars and controls in the host for good.
    std::vector<std::u16string> names;
    const base::HResult listed = ListRecordNames(module, subkey, names);
    if (listed == base::hr::FileNotFound)
        return std::nullopt;
    base::ThrowIfFailed(listed, "Reading the add-in's records " + SubkeyPath(module, subkey));
    return names;
}

void DeleteRecord(const TadxCOMAddInModule& module, std::string_view subkey,
                  std::u16string_view name) {
    const auto key = Open(module, subkey, host::RegistryAccess::All);
    if (!key)
        return;
    base::ThrowIfFailed(key->DeleteValue(base::Utf16ToUtf8(name)),
                        "Deleting the record " + base::Utf16ToUtf8(name));
}

void DeleteRecords(const TadxCOMAddInModule& module) {
    for (std::string_view subkey : {record_key::CommandBars, record_key::Controls}) {
        const std::string path = SubkeyPath(module, subkey);
        if (!path.empty())
            // A subkey that was never made is nothing to delete.
            static_cast<void>(module.Registry().DeleteTree(host::RegistryRoot::CurrentUser, path));
    }
}

} // namespace tarvex::framework

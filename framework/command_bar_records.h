#pragma once

// The records that persistent command bars and controls leave under the add-in's key in the
// current user's hive: "\CommandBars" holds one number per bar (named by the bar), "\Controls"
// one per control (named by its tag). The number is the definition's PropertyChanged counter
// when its properties were last applied, so that an installed item whose definition did not
// change keeps what the user made of it. Temporary items are never recorded.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace tarvex::framework {

class TadxCOMAddInModule;

namespace record_key {
inline constexpr std::string_view CommandBars = "CommandBars";
inline constexpr std::string_view Controls = "Controls";
} // namespace record_key

/// The number recorded as `name` below `subkey` of the add-in's key; nothing when the key
/// or the value is missing or is no number.
std::optional<std::int32_t> ReadRecord(const TadxCOMAddInModule& module, std::string_view subkey,
                                       std::u16string_view name);

/// Records `counter` as `name` below `subkey`, creating the key when needed. Throws Error
/// when the registry refuses.
void WriteRecord(const TadxCOMAddInModule& module, std::string_view subkey,
                 std::u16string_view name, std::int32_t counter);

/// Lists the names recorded below `subkey` into `names`: hr::Ok; hr::FileNotFound when the
/// key does not exist; the registry's failure when it is there but cannot be opened or listed.
base::HResult ListRecordNames(const TadxCOMAddInModule& module, std::string_view subkey,
                              std::vector<std::u16string>& names);

/// The names recorded below `subkey`; nothing when the key does not exist. Throws Error when
/// the key is there but cannot be opened or listed.
std::optional<std::vector<std::u16string>> RecordNames(const TadxCOMAddInModule& module,
                                                       std::string_view subkey);

/// Deletes the record `name` below `subkey`. Throws Error when the registry refuses.
void DeleteRecord(const TadxCOMAddInModule& module, std::string_view subkey,
                  std::u16string_view name);

/// Deletes the "\CommandBars" and "\Controls" subkeys with everything in them; a missing
/// one is no failure.
void DeleteRecords(const TadxCOMAddInModule& module);

} // namespace tarvex::framework

#pragma once

// The user's options: seven booleans per Windows user under
// HKEY_CURRENT_USER\Software\Morvane Software\Tarvex\Options. Nothing is cached: every read
// or write opens the key, does one operation and closes it again.

#include <string>
#include <string_view>

#include "host/registry.h"

namespace tarvex::settings {

/// The registry store of the options: the key path and the two generic operations.
class TOptionsReg {
public:
    explicit TOptionsReg(host::Registry& registry) noexcept
        : m_registry(registry) {}
    virtual ~TOptionsReg() = default;

    TOptionsReg(const TOptionsReg&) = delete;
    TOptionsReg& operator=(const TOptionsReg&) = delete;

    /// "\Software\Morvane Software\Tarvex\Options\", taken from the root key.
    virtual std::string GetKeyPath() const;

    /// Reads a boolean stored as a REG_DWORD (non-zero is true). A missing value is first
    /// written with `defaultValue`; a value of another type or size reads as `defaultValue`
    /// and is left as it is.
    bool ReadFlag(std::string_view name, bool defaultValue);

    /// Writes a boolean as a REG_DWORD 0 or 1, creating the key path as needed. Throws
    /// Error "Failed to set data for '<name>'" when the value cannot be written.
    void WriteFlag(std::string_view name, bool value);

private:
    host::Registry& m_registry;
};

/// The seven options, each one registry value with its default.
class TOptions : public TOptionsReg {
public:
    using TOptionsReg::TOptionsReg;

    bool TrackColumns() { return ReadFlag("TrackColumns", true); }
    void SetTrackColumns(bool value) { WriteFlag("TrackColumns", value); }
    bool ActiveColumn() { return ReadFlag("ActiveColumn", true); }
    void SetActiveColumn(bool value) { WriteFlag("ActiveColumn", value); }
    bool ColumnSelectedRange() { return ReadFlag("ColumnSelectedRange", false); }
    void SetColumnSelectedRange(bool value) { WriteFlag("ColumnSelectedRange", value); }
    bool TrackRows() { return ReadFlag("TrackRows", true); }
    void SetTrackRows(bool value) { WriteFlag("TrackRows", value); }
    bool ActiveRow() { return ReadFlag("ActiveRow", true); }
    void SetActiveRow(bool value) { WriteFlag("ActiveRow", value); }
    bool RowSelectedRange() { return ReadFlag("RowSelectedRange", false); }
    void SetRowSelectedRange(bool value) { WriteFlag("RowSelectedRange", value); }
    bool CaseSensitive() { return ReadFlag("CaseSensitive", true); }
    void SetCaseSensitive(bool value) { WriteFlag("CaseSensitive", value); }
};

} // namespace tarvex::settings

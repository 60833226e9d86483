#pragma once

// TadxCommandBar: the description of one Office command bar of the add-in (name, position,
// visibility, protection, temporary or persistent, its controls) and its link to the live
// Office bar. CreateCommandBar finds a bar of the same name (one left by a crash is reused)
// or adds it, brings its properties and controls into Office; RemoveCommandBar takes them
// out again when the user unloads the add-in.

#include <cstdint>
#include <string>

#include "framework/command_bar_control.h"
#include "framework/component.h"
#include "framework/host_app.h"
#include "host/office/office.h"

namespace tarvex::framework {

class TadxCOMAddInModule;

/// Office's bar positions, with Office's numbers.
enum class TadxMsoBarPosition : std::int32_t {
    adxMsoBarLeft = 0,
    adxMsoBarTop = 1,
    adxMsoBarRight = 2,
    adxMsoBarBottom = 3,
    adxMsoBarFloating = 4,
    adxMsoBarPopup = 5,
    adxMsoBarMenuBar = 6,
};

/// The protections a bar can have; each stands for one of Office's protection flags.
enum class TadxMsoBarProtection : std::int32_t {
    adxMsoBarNoProtection = 0,
    adxMsoBarNoCustomize = 1,
    adxMsoBarNoResize = 2,
    adxMsoBarNoMove = 3,
    adxMsoBarNoChangeVisible = 4,
    adxMsoBarNoChangeDock = 5,
    adxMsoBarNoVerticalDock = 6,
    adxMsoBarNoHorizontalDock = 7,
};

/// Office's protection flag of `protection` (0, 1, 2, 4 ... 64).
std::int32_t ToOfficeProtection(TadxMsoBarProtection protection) noexcept;
/// The protection whose flag is `office`; a combination of flags (or anything else) reads as
/// adxMsoBarNoProtection.
TadxMsoBarProtection FromOfficeProtection(std::int32_t office) noexcept;

class TadxCommandBar : public TComponent {
public:
    /// A bar owned by the add-in module `owner`, registered in its CommandBarList. Throws
    /// Error 31112 when `owner` is no add-in module (or null).
    explicit TadxCommandBar(TComponent* owner, std::string name = {});
    ~TadxCommandBar() override;

    std::string ClassName() const override { return "TadxCommandBar"; }

    // Published properties. Getters answer Office's value while linked (the stored one
    // when Office fails, after reporting it); setters store, then write a differing value.

    TadxHostAppSet SupportedApps() const noexcept { return m_supportedApps; }
    void SetSupportedApps(TadxHostAppSet apps) noexcept { m_supportedApps = apps; }
    TadxCommandBarControls& Controls() noexcept { return m_controls; }
    const TadxCommandBarControls& Controls() const noexcept { return m_controls; }
    bool Enabled() const;
    void SetEnabled(bool value);
    /// -1: not set (Office's own placement is kept).
    std::int32_t CommandBarLeft() const;
    void SetCommandBarLeft(std::int32_t value);
    std::u16string CommandBarName() const;
    /// Throws Error 31101 for an empty name; also sets the local name while that is empty.
    void SetCommandBarName(std::u16string name);
    TadxMsoBarPosition Position() const;
    void SetPosition(TadxMsoBarPosition value);
    /// -1: not set.
    std::int32_t RowIndex() const;
    void SetRowIndex(std::int32_t value);
    TadxMsoBarProtection Protection() const;
    void SetProtection(TadxMsoBarProtection value);
    /// -1: not set.
    std::int32_t CommandBarTop() const;
    void SetCommandBarTop(std::int32_t value);
    bool Visible() const;
    void SetVisible(bool value);
    bool Temporary() const noexcept { return m_temporary; }
    void SetTemporary(bool value) noexcept { m_temporary = value; }
    /// Build the bar also when the host runs the ribbon.
    bool UseForRibbon() const noexcept { return m_useForRibbon; }
    void SetUseForRibbon(bool value) noexcept { m_useForRibbon = value; }

    /// The name Office shows (NameLocal); initially the bar's name.
    std::u16string LocalName() const;
    void SetLocalName(std::u16string value);
    /// The definition's change counter, recorded for persistent bars.
    std::int32_t PropertyChanged() const noexcept { return m_propertyChanged; }
    void SetPropertyChanged(std::int32_t value) noexcept { m_propertyChanged = value; }

    // The link.

    bool IsLinked() const noexcept { return static_cast<bool>(m_link); }
    const host::office::CommandBar& Link() const noexcept { return m_link; }
    TadxCOMAddInModule& Module() const noexcept;

    // Operations.

    /// Finds the bar (by name or local name, ignoring case) or adds it, applies its
    /// properties, deletes orphaned persistent controls and creates or finds its controls.
    /// Office's failures go to the module's error handler and the sequence goes on. Throws
    /// Error 31110 on MapPoint and 31102 for an Outlook name with an apostrophe.
    void CreateCommandBar();
    /// Applies the stored properties to the linked bar when they are due (temporary, or the
    /// recorded counter differs), and records the counter of a persistent bar.
    void ApplyBarProperties();
    /// Deletes Office controls recorded in "\Controls" that no bar of the module defines any
    /// more, with their records.
    void DeleteOrphanControls();
    /// Deletes the bar's controls from Office (last first), then the bar itself when it is a
    /// custom bar left empty; the link is cleared in every case. Nothing on a host the bar
    /// does not support.
    void RemoveCommandBar();

private:
    /// Writes `value` through Set when linked and Office's Get answers another value.
    template <auto Get, auto Set, class T>
    void PushLive(const T& value) const noexcept;
    template <auto Get, class T>
    T ReadLive(const T& stored) const noexcept;
    void Report(const std::exception& error) const noexcept;
    void FindOrAdd();

    TadxHostAppSet m_supportedApps;
    TadxCommandBarControls m_controls{*this, nullptr};
    bool m_enabled = true;
    std::int32_t m_left = -1;
    std::u16string m_name;
    std::u16string m_localName;
    TadxMsoBarPosition m_position = TadxMsoBarPosition::adxMsoBarFloating;
    std::int32_t m_rowIndex = -1;
    TadxMsoBarProtection m_protection = TadxMsoBarProtection::adxMsoBarNoProtection;
    std::int32_t m_top = -1;
    bool m_visible = true;
    bool m_temporary = false;
    bool m_useForRibbon = false;
    std::int32_t m_propertyChanged = 0;
    host::office::CommandBar m_link;
};

/// Removes every bar of `module` that supports its host (RemoveCommandBar), then the add-in
/// key's "\CommandBars" and "\Controls" records. Used when the user unloads the add-in and
/// at unregistration.
void RemoveCommandBars(TadxCOMAddInModule& module);

} // namespace tarvex::framework

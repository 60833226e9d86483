#pragma once

// TadxCommandBarControl: the description of one control of a command bar or of a pop-up, and
// its link to the live Office control. The base class itself stands for a copy of a built-in
// Office control named by OfficeID; buttons and pop-ups derive from it. While unlinked the
// setters only store; once linked they push every change to Office, writing only values that
// differ from what Office shows.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/office/office.h"

namespace tarvex::framework {

class TadxCOMAddInModule;
class TadxCommandBar;
class TadxCommandBarControl;
class TadxCommandBarPopup;

/// The controls of a bar or of a pop-up, in their order on it. The collection owns them.
class TadxCommandBarControls {
public:
    /// The controls of `bar`, or of `popup` on `bar` when there is one.
    TadxCommandBarControls(TadxCommandBar& bar, TadxCommandBarPopup* popup) noexcept
        : m_bar(&bar)
        , m_popup(popup) {}
    ~TadxCommandBarControls();
    TadxCommandBarControls(const TadxCommandBarControls&) = delete;
    TadxCommandBarControls& operator=(const TadxCommandBarControls&) = delete;

    /// Appends a new control of class T (TadxCommandBarButton, TadxCommandBarPopup, or the
    /// built-in copy TadxCommandBarControl) and returns it.
    template <class T>
    T& Add() {
        auto control = std::make_unique<T>(*m_bar, m_popup);
        T& result = *control;
        m_items.push_back(std::move(control));
        return result;
    }

    std::size_t Count() const noexcept { return m_items.size(); }
    TadxCommandBarControl& operator[](std::size_t index) const { return *m_items.at(index); }
    /// The 0-based position of `control`, or Count() when it is not in this collection.
    std::size_t IndexOf(const TadxCommandBarControl& control) const noexcept;
    /// The control whose OfficeTag is `tag`, here or in a pop-up's controls; null if none.
    TadxCommandBarControl* FindByTag(std::u16string_view tag) const noexcept;

private:
    TadxCommandBar* m_bar;
    TadxCommandBarPopup* m_popup;
    std::vector<std::unique_ptr<TadxCommandBarControl>> m_items;
};

class TadxCommandBarControl {
public:
    /// A control of `bar`, inside `parent` when it is a pop-up's child. Its OfficeTag is a
    /// new GUID text in braces; Temporary follows the bar's.
    TadxCommandBarControl(TadxCommandBar& bar, TadxCommandBarPopup* parent);
    virtual ~TadxCommandBarControl();
    TadxCommandBarControl(const TadxCommandBarControl&) = delete;
    TadxCommandBarControl& operator=(const TadxCommandBarControl&) = delete;

    virtual std::string ClassName() const { return "TadxCommandBarControl"; }
    /// The frame's type code (0 button, 4 pop-up, 5 copy of a built-in control).
    virtual std::int32_t TypeCode() const noexcept { return 5; }

    // Published properties. Getters answer Office's value while linked (the stored one
    // when Office fails, after reporting it); setters store, then write a differing value.

    bool BeginGroup() const;
    void SetBeginGroup(bool value);
    std::u16string Caption() const;
    void SetCaption(std::u16string value);
    std::u16string DescriptionText() const;
    void SetDescriptionText(std::u16string value);
    bool Enabled() const;
    void SetEnabled(bool value);
    std::int32_t Height() const;
    void SetHeight(std::int32_t value);
    std::int32_t HelpContextID() const;
    void SetHelpContextID(std::int32_t value);
    std::u16string HelpFile() const;
    void SetHelpFile(std::u16string value);
    std::u16string Parameter() const;
    void SetParameter(std::u16string value);
    std::int32_t Priority() const;
    void SetPriority(std::int32_t value);
    /// 1 for a custom control; otherwise the id of the built-in control it copies.
    std::int32_t OfficeID() const noexcept { return m_officeId; }
    void SetOfficeID(std::int32_t value) noexcept { m_officeId = value; }
    /// The tag the control carries in Office. The add-in writes it and finds the control by
    /// it, so this answers the stored tag even while linked.
    std::u16string OfficeTag() const;
    void SetOfficeTag(std::u16string value);
    std::u16string TooltipText() const;
    void SetTooltipText(std::u16string value);
    bool Visible() const;
    void SetVisible(bool value);
    std::int32_t Width() const;
    void SetWidth(std::int32_t value);
    std::int32_t AfterID() const noexcept { return m_afterId; }
    void SetAfterID(std::int32_t value) noexcept { m_afterId = value; }
    std::int32_t Before() const noexcept { return m_before; }
    void SetBefore(std::int32_t value) noexcept { m_before = value; }
    std::int32_t BeforeID() const noexcept { return m_beforeId; }
    void SetBeforeID(std::int32_t value) noexcept { m_beforeId = value; }
    bool Temporary() const noexcept { return m_temporary; }
    void SetTemporary(bool value) noexcept { m_temporary = value; }
    /// Free for the application.
    std::int32_t Tag() const noexcept { return m_tag; }
    void SetTag(std::int32_t value) noexcept { m_tag = value; }
    /// The definition's change counter, recorded for persistent controls.
    std::int32_t PropertyChanged() const noexcept { return m_propertyChanged; }
    void SetPropertyChanged(std::int32_t value) noexcept { m_propertyChanged = value; }

    // The link.

    bool IsLinked() const noexcept { return static_cast<bool>(m_link); }
    /// The live Office control (empty while unlinked).
    const host::office::CommandBarControl& Link() const noexcept { return m_link; }
    TadxCommandBar& Bar() const noexcept { return *m_bar; }
    TadxCommandBarPopup* ParentPopup() const noexcept { return m_parent; }

    // Operations.

    /// Finds the control in Office or adds it, links it, and applies its properties. A
    /// persistent control that was made before and that the user has removed since stays
    /// away. Office's failures pass on (the bar reports them); throws Error 31110 on MapPoint.
    virtual void CreateOrFindControl();
    /// Applies the stored properties to the linked control when they are due (temporary, or
    /// the recorded counter differs); answers whether they were applied.
    virtual bool ApplyControlProperties();
    /// Deletes the linked Office control (`temporary`: for this session only) and unlinks.
    virtual void DeleteControl(bool temporary);
    /// The Office control this one stands for on `bar` (or, where the search allows it, on
    /// any bar of `bars`), looked for as the bar's removal looks for it; empty when none.
    virtual host::office::CommandBarControl
    FindForRemoval(const host::office::CommandBar& bar,
                   const host::office::CommandBars& bars) const;
    /// Drops the link (and a button's event connection).
    virtual void Unlink() noexcept;
    /// The Office control type the control is searched by (nothing: any type).
    std::optional<std::int32_t> SearchType() const noexcept { return OfficeType(); }
    /// Links to `control` only to delete it: no events are connected.
    void LinkForRemoval(host::office::CommandBarControl control) noexcept {
        m_link = std::move(control);
    }

protected:
    /// The Office control type for Add and FindControl (nothing: omitted).
    virtual std::optional<std::int32_t> OfficeType() const noexcept { return std::nullopt; }
    /// Links to `control`; a button also connects its click events.
    virtual void LinkTo(host::office::CommandBarControl control);

    TadxCOMAddInModule& Module() const noexcept;
    /// Whether the stored properties are to be applied now (the "\Controls" rule).
    bool PropertiesDue() const;
    /// Whether a persistent control was created before and since removed by the user.
    bool RemovedByUser() const;
    /// Records PropertyChanged for a persistent control.
    void RecordApplied() const;
    /// The Office bar the control sits on: the parent pop-up's own bar, or the bar's.
    host::office::CommandBar OfficeParentBar() const;
    /// Adds the control on its parent's Office controls, placed by Before, BeforeID, AfterID.
    host::office::CommandBarControl AddToOffice(std::optional<std::int32_t> type,
                                                std::optional<std::int32_t> id) const;
    /// Reports `error` to the module's error handler.
    void Report(const std::exception& error) const noexcept;
    /// Runs `step` under the module's handler guard (TadxCOMAddInModule::Guard).
    void Guard(const std::function<void()>& step) const noexcept;

    /// Writes `value` through Set when linked and Office's Get answers another value;
    /// failures go to the error handler.
    template <auto Get, auto Set, class T>
    void PushLive(const T& value) const noexcept {
        if (!m_link)
            return;
        Guard([&] {
            if ((m_link.*Get)() != value)
                (m_link.*Set)(value);
        });
    }
    /// Office's value through Get while linked, else (or when Office fails) `stored`.
    template <auto Get, class T>
    T ReadLive(const T& stored) const noexcept {
        if (!m_link)
            return stored;
        try {
            return (m_link.*Get)();
        } catch (const std::exception& error) {
            Report(error);
            return stored;
        }
    }

    host::office::CommandBarControl m_link;

private:
    void MoveToPlace();
    void ApplyCommonProperties();

    TadxCommandBar* m_bar;
    TadxCommandBarPopup* m_parent;
    bool m_beginGroup = false;
    std::u16string m_caption;
    std::u16string m_descriptionText;
    bool m_enabled = true;
    std::int32_t m_height = 0;
    std::int32_t m_helpContextId = 0;
    std::u16string m_helpFile;
    std::u16string m_parameter;
    std::int32_t m_priority = 0;
    std::int32_t m_officeId = 1;
    std::u16string m_officeTag;
    std::u16string m_tooltipText;
    bool m_visible = true;
    std::int32_t m_width = 0;
    std::int32_t m_afterId = 0;
    std::int32_t m_before = 0;
    std::int32_t m_beforeId = 0;
    bool m_temporary = false;
    std::int32_t m_tag = 0;
    std::int32_t m_propertyChanged = 0;
};

} // namespace tarvex::framework

#pragma once

// TadxCommandBarPopup: a pop-up (sub-menu) of a command bar, with controls of its own.

#include <string>

#include "framework/command_bar_control.h"

namespace tarvex::framework {

class TadxCommandBarPopup : public TadxCommandBarControl {
public:
    TadxCommandBarPopup(TadxCommandBar& bar, TadxCommandBarPopup* parent);
    ~TadxCommandBarPopup() override;

    std::string ClassName() const override { return "TadxCommandBarPopup"; }
    std::int32_t TypeCode() const noexcept override { return 4; }

    /// The pop-up's own controls.
    TadxCommandBarControls& Controls() noexcept { return m_controls; }
    const TadxCommandBarControls& Controls() const noexcept { return m_controls; }

    /// Finds or adds the pop-up, applies its properties when it is a custom one, then
    /// creates or finds each child in order (a child's failure is reported and the next
    /// one follows).
    void CreateOrFindControl() override;
    /// The common properties; a persistent custom pop-up also records its counter.
    bool ApplyControlProperties() override;
    /// Deletes the children from the last to the first, then the pop-up itself only when it
    /// is a custom one left empty; unlinks it in every case.
    void DeleteControl(bool temporary) override;
    host::office::CommandBarControl
    FindForRemoval(const host::office::CommandBar& bar,
                   const host::office::CommandBars& bars) const override;
    void Unlink() noexcept override;

protected:
    std::optional<std::int32_t> OfficeType() const noexcept override { return 10; }

private:
    TadxCommandBarControls m_controls;
};

} // namespace tarvex::framework

#include "framework/command_bar_popup.h"

#include "framework/command_bar.h"
#include "framework/command_bar_records.h"
#include "framework/errors.h"
#include "framework/module.h"

namespace tarvex::framework {

namespace office = host::office;
using Control = office::CommandBarControl;

namespace {
constexpr std::int32_t kPopupType = 10;
} // namespace

TadxCommandBarPopup::TadxCommandBarPopup(TadxCommandBar& bar, TadxCommandBarPopup* parent)
    : TadxCommandBarControl(bar, parent)
    , m_controls(bar, this) {}

TadxCommandBarPopup::~TadxCommandBarPopup() = default;

void TadxCommandBarPopup::CreateOrFindControl() {
    TadxCOMAddInModule& module = Module();
    if (module.HostType() == TadxOfficeHostApp::ohaMapPoint)
        throw NoControlsOnHostError();
    if (!Bar().IsLinked())
        return;
    Control found;
    if (OfficeID() == 1)
        found = office::CommandBars(module.HostCommandBars())
                    .FindControl(kPopupType, std::nullopt, OfficeTag(), std::nullopt);
    else
        found = Bar().Link().FindControl(kPopupType, OfficeID(), std::nullopt, std::nullopt, true);
    if (!found) {
        if (RemovedByUser())
            return;
        found = AddToOffice(kPopupType, std::nullopt);
    }
    LinkTo(std::move(found));
    if (OfficeID() == 1)
        ApplyControlProperties();
    for (std::size_t i = 0; i < m_controls.Count(); ++i)
        Module().Guard([&] { m_controls[i].CreateOrFindControl(); });
}

bool TadxCommandBarPopup::ApplyControlProperties() {
    if (!TadxCommandBarControl::ApplyControlProperties())
        return false;
    if (m_link && OfficeID() == 1)
        RecordApplied();
    return true;
}

void TadxCommandBarPopup::DeleteControl(bool temporary) {
    const office::CommandBar& bar = Bar().Link();
    const office::CommandBars bars(Module().HostCommandBars());
    for (std::size_t i = m_controls.Count(); i-- > 0;) {
        TadxCommandBarControl& child = m_controls[i];
        Module().Guard([&] {
            if (!child.IsLinked()) {
                Control found;
                if (bar)
                    found = bar.FindControl(child.SearchType(), std::nullopt, child.OfficeTag(),
                                            std::nullopt, true);
                if (!found && bars)
                    found = bars.FindControl(child.SearchType(), std::nullopt, child.OfficeTag(),
                                             std::nullopt);
                if (!found)
                    return;
                child.LinkForRemoval(std::move(found));
            }
            child.DeleteControl(temporary);
        });
    }
    const Control link = m_link;
    Unlink();
    // Only an empty custom pop-up goes: one still holding controls of others stays.
    if (link && link.Id() == 1 && link.Controls().Count() == 0)
        link.Delete(temporary);
}

Control TadxCommandBarPopup::FindForRemoval(const office::CommandBar& bar,
                                            const office::CommandBars& bars) const {
    Control found;
    if (OfficeID() == 1) {
        if (bar)
            found = bar.FindControl(kPopupType, std::nullopt, OfficeTag(), std::nullopt, true);
        if (!found && bars)
            found = bars.FindControl(kPopupType, std::nullopt, OfficeTag(), std::nullopt);
    } else {
        if (bar)
            found = bar.FindControl(kPopupType, OfficeID(), std::nullopt, std::nullopt, true);
        if (!found && bars)
            found = bars.FindControl(kPopupType, OfficeID(), std::nullopt, std::nullopt);
    }
    return found;
}

void TadxCommandBarPopup::Unlink() noexcept {
    for (std::size_t i = 0; i < m_controls.Count(); ++i)
        m_controls[i].Unlink();
    TadxCommandBarControl::Unlink();
}

} // namespace tarvex::framework

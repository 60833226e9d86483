// The simulated Office's model: adding, deleting, copying and finding bars and controls,
// and what survives a restart.

#include "sim/office/office_model.h"

#include <algorithm>

#include "base/case_folding.h"
#include "base/error.h"
#include "host/office/dispids.h"

namespace tarvex::sim::detail {

namespace {
namespace office = host::office;

void MarkDeleted(ControlModel& control) {
    control.deleted = true;
    if (control.popupBar) {
        control.popupBar->deleted = true;
        for (const auto& child : control.popupBar->controls)
            MarkDeleted(*child);
    }
}

// Copies a bar for the restarted Office: same serial and properties, the persistent
// controls only.
std::shared_ptr<BarModel> CopyForRestart(const BarModel& source);

std::shared_ptr<ControlModel> CopyForRestart(const ControlModel& source) {
    auto control = std::make_shared<ControlModel>();
    control->serial = source.serial;
    control->data = source.data;
    if (source.popupBar) {
        control->popupBar = CopyForRestart(*source.popupBar);
        control->popupBar->popup = control;
    }
    return control;
}

std::shared_ptr<BarModel> CopyForRestart(const BarModel& source) {
    auto bar = std::make_shared<BarModel>();
    bar->serial = source.serial;
    bar->data = source.data;
    bar->ofPopup = source.ofPopup;
    for (const auto& control : source.controls) {
        if (control->data.temporary)
            continue;
        auto copy = CopyForRestart(*control);
        copy->bar = bar;
        bar->controls.push_back(std::move(copy));
    }
    return bar;
}
} // namespace

ControlKind KindOf(std::int32_t type) noexcept {
    switch (type) {
    case office::msoControlButton:
        return ControlKind::Button;
    case office::msoControlEdit:
    case office::msoControlDropdown:
    case office::msoControlComboBox:
        return ControlKind::ComboBox;
    case office::msoControlPopup:
    case office::msoControlGraphicPopup:
    case office::msoControlButtonPopup:
    case office::msoControlSplitButtonPopup:
    case office::msoControlSplitButtonMRUPopup:
        return ControlKind::Popup;
    default:
        return ControlKind::Other;
    }
}

std::shared_ptr<BarModel> OfficeModel::NewBar(CommandBarData data) {
    auto bar = std::make_shared<BarModel>();
    bar->serial = nextSerial++;
    bar->data = std::move(data);
    return bar;
}

std::shared_ptr<ControlModel> OfficeModel::NewControl(CommandBarControlData data) {
    auto control = std::make_shared<ControlModel>();
    control->serial = nextSerial++;
    control->data = std::move(data);
    return control;
}

void OfficeModel::Insert(const std::shared_ptr<BarModel>& bar, std::size_t index,
                         const std::shared_ptr<ControlModel>& control) {
    if (KindOf(control->data.type) == ControlKind::Popup && !control->popupBar) {
        CommandBarData data;
        data.builtIn = control->data.builtIn;
        data.temporary = control->data.temporary;
        data.position = office::msoBarPopup;
        data.type = office::msoBarTypePopup;
        control->popupBar = NewBar(std::move(data));
        control->popupBar->ofPopup = true;
        control->popupBar->popup = control;
    }
    control->bar = bar;
    index = std::min(index, bar->controls.size());
    bar->controls.insert(bar->controls.begin() + static_cast<std::ptrdiff_t>(index), control);
}

void OfficeModel::Delete(const std::shared_ptr<ControlModel>& control) {
    if (const auto bar = control->bar.lock()) {
        auto& controls = bar->controls;
        controls.erase(std::remove(controls.begin(), controls.end(), control), controls.end());
    }
    MarkDeleted(*control);
    deletedControls.push_back(control);
}

void OfficeModel::Delete(const std::shared_ptr<BarModel>& bar) {
    bars.erase(std::remove(bars.begin(), bars.end(), bar), bars.end());
    bar->deleted = true;
    for (const auto& control : bar->controls)
        MarkDeleted(*control);
    deletedBars.push_back(bar);
}

std::shared_ptr<ControlModel> OfficeModel::Copy(const ControlModel& source) {
    auto control = NewControl(source.data);
    if (source.popupBar) {
        control->popupBar = NewBar(source.popupBar->data);
        control->popupBar->ofPopup = true;
        control->popupBar->popup = control;
        for (const auto& child : source.popupBar->controls) {
            Insert(control->popupBar, control->popupBar->controls.size(), Copy(*child));
        }
    }
    return control;
}

std::shared_ptr<ControlModel> OfficeModel::CopyOfBuiltIn(std::int32_t id) {
    for (const auto& prototype : builtInCatalog) {
        if (prototype->data.id == id)
            return Copy(*prototype);
    }
    return nullptr;
}

std::shared_ptr<BarModel> OfficeModel::FindBar(std::u16string_view name) const {
    for (const auto& bar : bars) {
        if (base::FoldedEqual(bar->data.name, name))
            return bar;
    }
    for (const auto& bar : bars) {
        if (base::FoldedEqual(bar->data.nameLocal, name))
            return bar;
    }
    return nullptr;
}

bool OfficeModel::Walk(const BarModel& bar, bool recursive,
                       const std::function<bool(const std::shared_ptr<ControlModel>&)>& visit) {
    // A copy of the list: the visitor may be a search whose caller changes the bar later.
    const std::vector<std::shared_ptr<ControlModel>> controls = bar.controls;
    for (const auto& control : controls) {
        if (visit(control))
            return true;
        if (recursive && control->popupBar && Walk(*control->popupBar, true, visit))
            return true;
    }
    return false;
}

bool OfficeModel::WalkAll(
    const std::function<bool(const std::shared_ptr<ControlModel>&)>& visit) const {
    for (const auto& bar : bars) {
        if (Walk(*bar, true, visit))
            return true;
    }
    return false;
}

std::shared_ptr<ControlModel> OfficeModel::FindControl(std::uint64_t serial) const {
    std::shared_ptr<ControlModel> found;
    WalkAll([&](const std::shared_ptr<ControlModel>& control) {
        if (control->serial != serial)
            return false;
        found = control;
        return true;
    });
    return found;
}

std::shared_ptr<BarModel> OfficeModel::FindBar(std::uint64_t serial) const {
    for (const auto& bar : bars) {
        if (bar->serial == serial)
            return bar;
    }
    std::shared_ptr<BarModel> found;
    WalkAll([&](const std::shared_ptr<ControlModel>& control) {
        if (!control->popupBar || control->popupBar->serial != serial)
            return false;
        found = control->popupBar;
        return true;
    });
    return found;
}

std::shared_ptr<OfficeModel> OfficeModel::Restarted() const {
    auto next = std::make_shared<OfficeModel>();
    for (const auto& bar : bars) {
        if (!bar->data.temporary)
            next->bars.push_back(CopyForRestart(*bar));
    }
    // A control deleted for this session only is back where it was; the latest deletion is
    // undone first so that earlier ones find their neighbours in place.
    for (auto it = sessionDeletions.rbegin(); it != sessionDeletions.rend(); ++it) {
        const auto bar = next->FindBar(it->barSerial);
        if (!bar)
            continue;
        auto control = CopyForRestart(*it->control);
        control->bar = bar;
        const std::size_t index = std::min(it->index, bar->controls.size());
        bar->controls.insert(bar->controls.begin() + static_cast<std::ptrdiff_t>(index),
                             std::move(control));
    }
    next->builtInCatalog = builtInCatalog;
    next->nextSerial = nextSerial;
    next->nextCustomBar = nextCustomBar;
    next->nextCookie = nextCookie;
    next->clipboard = clipboard;
    next->clipboardReader = clipboardReader;
    next->application = application;
    for (const auto& addIn : addIns) {
        auto copy = std::make_shared<AddInModel>();
        copy->progId = addIn->progId;
        copy->guid = addIn->guid;
        copy->description = addIn->description;
        copy->connect = addIn->connect;
        next->addIns.push_back(std::move(copy));
    }
    return next;
}

std::shared_ptr<BarModel> BarOf(const ControlModel& control) {
    std::shared_ptr<BarModel> bar = control.bar.lock();
    if (!bar)
        throw base::Error(base::hr::Unexpected, "The control is on no bar");
    return bar;
}

std::size_t PositionOf(const ControlModel& control) {
    const auto bar = BarOf(control);
    const auto it = std::find_if(bar->controls.begin(), bar->controls.end(),
                                 [&](const auto& c) { return c.get() == &control; });
    if (it == bar->controls.end())
        throw base::Error(base::hr::Unexpected, "The control is not on its bar");
    return static_cast<std::size_t>(it - bar->controls.begin());
}

std::int32_t IndexInCollection(const OfficeModel& office, const BarModel& bar) {
    for (std::size_t i = 0; i < office.bars.size(); ++i) {
        if (office.bars[i].get() == &bar)
            return static_cast<std::int32_t>(i + 1);
    }
    return 0;
}

} // namespace tarvex::sim::detail

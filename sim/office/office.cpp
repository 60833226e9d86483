// SimOffice: the control API over the simulated Office's model.

#include "sim/office/office.h"

#include <algorithm>

#include "base/case_folding.h"
#include "base/error.h"
#include "host/office/dispids.h"
#include "sim/desktop/clipboard.h"
#include "sim/desktop/picture.h"
#include "sim/office/office_model.h"
#include "sim/office/office_objects.h"

namespace tarvex::sim {

namespace {
namespace office = host::office;
using detail::BarModel;
using detail::ControlKind;
using detail::ControlModel;
using detail::OfficeModel;

[[noreturn]] void NoSuch(const char* what) {
    throw base::Error(base::hr::InvalidArg,
                      std::string("The simulated Office has no such ") + what);
}

// Whether the user can get at the control: it is visible and enabled, and so is every
// pop-up above it; the bar at the top is enabled and, unless it is a shortcut menu (which
// the user opens where needed), visible.
bool Reachable(const ControlModel& control) {
    const ControlModel* current = &control;
    for (;;) {
        if (!current->data.visible || !current->data.enabled)
            return false;
        const std::shared_ptr<BarModel> bar = current->bar.lock();
        if (!bar)
            return false;
        if (!bar->ofPopup) {
            return bar->data.enabled &&
                   (bar->data.visible || bar->data.type == office::msoBarTypePopup);
        }
        const std::shared_ptr<ControlModel> popup = bar->popup.lock();
        if (!popup)
            return false;
        current = popup.get();
    }
}

std::shared_ptr<detail::AddInModel> FindAddIn(const OfficeModel& model,
                                              std::u16string_view progId) {
    for (const auto& addIn : model.addIns) {
        if (base::FoldedEqual(addIn->progId, progId))
            return addIn;
    }
    return nullptr;
}
} // namespace

SimOffice::SimOffice(std::shared_ptr<CallLog> callLog, host::Ref<host::Dispatch> application)
    : m_state(std::make_shared<detail::OfficeState>()) {
    m_state->callLog = std::move(callLog);
    auto model = std::make_shared<OfficeModel>();
    detail::AddBuiltInBars(*model);
    model->application = std::move(application);
    m_state->model = std::move(model);
}

SimOffice::~SimOffice() {
    // Office lets go of its event sinks and objects when it goes away; objects that clients
    // still hold fail their calls from now on. The model is released only after the state no
    // longer refers to it: releasing a sink may run code that calls back.
    std::shared_ptr<OfficeModel> model = std::move(m_state->model);
    model.reset();
}

void SimOffice::SetVersion(std::u16string version) {
    m_state->version = std::move(version);
}

const std::u16string& SimOffice::Version() const noexcept {
    return m_state->version;
}

std::shared_ptr<BarModel> SimOffice::RequireBar(BarHandle bar) const {
    auto model = detail::OfficeOf(*m_state).FindBar(bar.serial);
    if (!model)
        NoSuch("command bar");
    return model;
}

std::shared_ptr<ControlModel> SimOffice::RequireControl(ControlHandle control) const {
    auto model = detail::OfficeOf(*m_state).FindControl(control.serial);
    if (!model)
        NoSuch("control");
    return model;
}

host::Ref<host::Dispatch> SimOffice::CommandBars() const {
    return detail::CommandBarsOf(*m_state);
}

std::vector<SimOffice::BarHandle> SimOffice::Bars() const {
    std::vector<BarHandle> bars;
    for (const auto& bar : detail::OfficeOf(*m_state).bars)
        bars.push_back({bar->serial});
    return bars;
}

std::optional<SimOffice::BarHandle> SimOffice::FindBar(std::u16string_view name) const {
    const auto bar = detail::OfficeOf(*m_state).FindBar(name);
    if (!bar)
        return std::nullopt;
    return BarHandle{bar->serial};
}

CommandBarData SimOffice::Bar(BarHandle bar) const {
    return RequireBar(bar)->data;
}

std::int32_t SimOffice::IndexOf(BarHandle bar) const {
    return detail::IndexInCollection(detail::OfficeOf(*m_state), *RequireBar(bar));
}

std::vector<SimOffice::ControlHandle> SimOffice::Controls(BarHandle bar) const {
    std::vector<ControlHandle> controls;
    for (const auto& control : RequireBar(bar)->controls)
        controls.push_back({control->serial});
    return controls;
}

CommandBarControlData SimOffice::Control(ControlHandle control) const {
    return RequireControl(control)->data;
}

std::int32_t SimOffice::IndexOf(ControlHandle control) const {
    return static_cast<std::int32_t>(detail::PositionOf(*RequireControl(control)) + 1);
}

SimOffice::BarHandle SimOffice::BarOf(ControlHandle control) const {
    return {detail::BarOf(*RequireControl(control))->serial};
}

std::optional<SimOffice::BarHandle> SimOffice::PopupBar(ControlHandle control) const {
    const auto model = RequireControl(control);
    if (!model->popupBar)
        return std::nullopt;
    return BarHandle{model->popupBar->serial};
}

std::vector<SimOffice::ControlHandle>
SimOffice::FindControls(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                        std::optional<std::u16string> tag) const {
    std::vector<ControlHandle> found;
    detail::OfficeOf(*m_state).WalkAll([&](const std::shared_ptr<ControlModel>& control) {
        if ((!type || control->data.type == *type) && (!id || control->data.id == *id) &&
            (!tag || control->data.tag == *tag))
            found.push_back({control->serial});
        return false;
    });
    return found;
}

bool SimOffice::Exists(BarHandle bar) const {
    return detail::OfficeOf(*m_state).FindBar(bar.serial) != nullptr;
}

bool SimOffice::Exists(ControlHandle control) const {
    return detail::OfficeOf(*m_state).FindControl(control.serial) != nullptr;
}

host::Ref<host::Dispatch> SimOffice::ObjectOf(BarHandle bar) const {
    return detail::BarObjectOf(*m_state, RequireBar(bar));
}

host::Ref<host::Dispatch> SimOffice::ObjectOf(ControlHandle control) const {
    return detail::ControlObjectOf(*m_state, RequireControl(control));
}

void SimOffice::SetNameLocal(BarHandle bar, std::u16string nameLocal) {
    RequireBar(bar)->data.nameLocal = std::move(nameLocal);
}

std::size_t SimOffice::ConnectionCount(ControlHandle control) const {
    return RequireControl(control)->connections.size();
}

std::vector<host::Ref<host::Dispatch>> SimOffice::AdvisedSinks(ControlHandle control) const {
    std::vector<host::Ref<host::Dispatch>> sinks;
    for (const auto& connection : RequireControl(control)->connections)
        sinks.push_back(connection.sink);
    return sinks;
}

bool SimOffice::Click(ControlHandle control) {
    const auto model = RequireControl(control);
    if (detail::KindOf(model->data.type) != ControlKind::Button)
        throw base::Error(base::hr::InvalidArg, "Only a button can be clicked");
    if (!Reachable(*model))
        throw base::Error(base::hr::InvalidArg, "The user cannot reach that button");
    host::Variant cancelDefault(false);
    detail::RaiseControlEvent(*m_state, model, office::button_events::Click,
                              {host::Variant(detail::ControlObjectOf(*m_state, model)),
                               host::Variant::RefTo(cancelDefault)});
    return cancelDefault.ToBool();
}

void SimOffice::Change(ControlHandle control) {
    const auto model = RequireControl(control);
    if (detail::KindOf(model->data.type) != ControlKind::ComboBox)
        throw base::Error(base::hr::InvalidArg, "Only a combo box can be changed");
    if (!Reachable(*model))
        throw base::Error(base::hr::InvalidArg, "The user cannot reach that control");
    detail::RaiseControlEvent(*m_state, model, office::combo_box_events::Change,
                              {host::Variant(detail::ControlObjectOf(*m_state, model))});
}

void SimOffice::Restart() {
    std::shared_ptr<OfficeModel> old = std::move(m_state->model);
    m_state->model = old->Restarted();
    // The old model goes last, once the new one is in place: releasing its sinks may run
    // code that calls Office again.
    old.reset();
}

void SimOffice::SetClipboard(SimBitmap bitmap) {
    if (detail::OfficeOf(*m_state).clipboardReader)
        throw base::Error(base::hr::Unexpected, "Office reads another clipboard: set it there");
    if (bitmap.width < 0 || bitmap.height < 0 ||
        bitmap.pixels.size() !=
            static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
        throw base::Error(base::hr::InvalidArg, "The bitmap needs one pixel per point");
    detail::OfficeOf(*m_state).clipboard = std::move(bitmap);
}

void SimOffice::ClearClipboard() {
    if (detail::OfficeOf(*m_state).clipboardReader)
        throw base::Error(base::hr::Unexpected, "Office reads another clipboard: clear it there");
    detail::OfficeOf(*m_state).clipboard.reset();
}

std::optional<SimBitmap> SimOffice::Clipboard() const {
    const OfficeModel& model = detail::OfficeOf(*m_state);
    return model.clipboardReader ? model.clipboardReader() : model.clipboard;
}

void SimOffice::ReadClipboardThrough(ClipboardReader reader) {
    detail::OfficeOf(*m_state).clipboardReader = std::move(reader);
}

void SimOffice::ShareClipboard(std::shared_ptr<SimClipboard> clipboard) {
    if (!clipboard)
        throw base::Error(base::hr::Pointer, "No clipboard to share");
    ReadClipboardThrough([clipboard = std::move(clipboard)]() -> std::optional<SimBitmap> {
        // Office opens the clipboard to read it, and fails while someone else has it open.
        if (!clipboard->TryOpen())
            throw base::Error(base::hr::AccessDenied, "The clipboard is held open");
        const std::optional<base::Bitmap> bitmap = clipboard->GetBitmap();
        clipboard->Close();
        if (!bitmap)
            return std::nullopt;
        return ToSimBitmap(*bitmap);
    });
}

std::optional<SimBitmap> SimOffice::ShownFace(ControlHandle control,
                                              std::uint32_t background) const {
    const ButtonFace face = RequireControl(control)->data.face;
    switch (face.source) {
    case ButtonFace::Source::Clipboard:
        return face.pasted;
    case ButtonFace::Source::Picture:
        break;
    case ButtonFace::Source::None:
    case ButtonFace::Source::FaceId:
        return std::nullopt;
    }
    const auto* picture = dynamic_cast<const SimPicture*>(face.picture.Get());
    if (!picture)
        return std::nullopt;
    const auto* mask = dynamic_cast<const SimPicture*>(face.mask.Get());
    return ThroughMask(picture->Bitmap(), mask ? &mask->Bitmap() : nullptr, background);
}

SimBitmap ThroughMask(const base::Bitmap& picture, const base::Bitmap* mask,
                      std::uint32_t background) {
    SimBitmap shown = ToSimBitmap(picture);
    // Office draws the picture through its mask only when the two are the same size.
    if (mask && mask->width == shown.width && mask->height == shown.height &&
        mask->pixels.size() == shown.pixels.size()) {
        for (std::size_t i = 0; i < shown.pixels.size(); ++i) {
            if ((mask->pixels[i] & 0xFFFFFF) != 0)
                shown.pixels[i] = background & 0xFFFFFF;
        }
    }
    return shown;
}

SimBitmap ToSimBitmap(const base::Bitmap& bitmap) {
    SimBitmap result{bitmap.width, bitmap.height, {}};
    result.pixels.reserve(bitmap.pixels.size());
    for (const std::uint32_t pixel : bitmap.pixels)
        result.pixels.push_back(pixel & 0xFFFFFF);
    return result;
}

host::Ref<host::Dispatch> SimOffice::RibbonUI() const {
    OfficeModel& model = detail::OfficeOf(*m_state);
    if (!model.ribbonUI)
        model.ribbonUI = host::MakeRef<detail::RibbonUIObject>(m_state, model.weak_from_this());
    return model.ribbonUI;
}

std::vector<SimOffice::RibbonInvalidation> SimOffice::RibbonInvalidations() const {
    return detail::OfficeOf(*m_state).invalidations;
}

void SimOffice::ClearRibbonInvalidations() {
    detail::OfficeOf(*m_state).invalidations.clear();
}

host::Ref<host::Dispatch> SimOffice::MakeRibbonControl(std::u16string id, std::u16string tag,
                                                       host::Ref<host::Dispatch> context) {
    return host::MakeRef<detail::RibbonControlObject>(m_state, std::move(id), std::move(tag),
                                                      std::move(context));
}

host::Ref<host::Dispatch> SimOffice::AddComAddIn(std::u16string progId, std::u16string guid,
                                                 std::u16string description) {
    OfficeModel& model = detail::OfficeOf(*m_state);
    if (progId.empty() || FindAddIn(model, progId))
        throw base::Error(base::hr::InvalidArg, "A COM add-in needs a new ProgID");
    auto addIn = std::make_shared<detail::AddInModel>();
    addIn->progId = std::move(progId);
    addIn->guid = std::move(guid);
    addIn->description = std::move(description);
    addIn->object = host::MakeRef<detail::ComAddInObject>(m_state, addIn);
    model.addIns.push_back(addIn);
    return addIn->object;
}

host::Ref<host::Dispatch> SimOffice::ComAddIn(std::u16string_view progId) {
    const auto addIn = FindAddIn(detail::OfficeOf(*m_state), progId);
    if (!addIn)
        NoSuch("COM add-in");
    if (!addIn->object)
        addIn->object = host::MakeRef<detail::ComAddInObject>(m_state, addIn);
    return addIn->object;
}

host::Ref<host::Dispatch> SimOffice::ComAddInObject(std::u16string_view progId) const {
    const auto addIn = FindAddIn(detail::OfficeOf(*m_state), progId);
    if (!addIn)
        NoSuch("COM add-in");
    return addIn->exposed;
}

bool SimOffice::ComAddInConnected(std::u16string_view progId) const {
    const auto addIn = FindAddIn(detail::OfficeOf(*m_state), progId);
    if (!addIn)
        NoSuch("COM add-in");
    return addIn->connect;
}

const std::vector<CallRecord>& SimOffice::Calls() const {
    return m_state->callLog->Calls();
}

void SimOffice::ClearCalls() {
    m_state->callLog->ClearCalls();
}

std::size_t SimOffice::CallCount(std::string_view member) const {
    return m_state->callLog->CallCount(member);
}

void SimOffice::SetCallLogging(bool on) {
    m_state->callLog->SetCallLogging(on);
}

void SimOffice::FailCall(std::size_t k, base::HResult code) {
    m_state->callLog->FailCall(k, code);
}

void SimOffice::FailMember(std::string member, base::HResult code) {
    m_state->callLog->FailMember(std::move(member), code);
}

void SimOffice::ClearFailures() {
    m_state->callLog->ClearFailures();
}

} // namespace tarvex::sim

#pragma once

// The state of the simulated Office, shared by the control API (SimOffice) and the objects
// that answer over the seam. The model lives in the Office's state (OfficeState::model);
// seam objects hold their bar or control weakly, so after a restart, which replaces the whole
// model, objects handed out before fail as objects of a vanished server do. A deleted bar or
// control stays in the model, marked deleted, until the restart: calls on it fail as Office
// fails them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/object.h"
#include "host/variant.h"
#include "sim/automation/call_log.h"
#include "sim/office/office.h"

namespace tarvex::sim::detail {

struct ControlModel;

/// An advised event sink of a control.
struct SinkConnection {
    std::uint32_t cookie;
    host::Ref<host::Dispatch> sink;
};

/// One command bar: a bar of the CommandBars collection, or a pop-up's own bar.
struct BarModel {
    std::uint64_t serial = 0;
    CommandBarData data;
    std::vector<std::shared_ptr<ControlModel>> controls;
    /// For a pop-up's own bar: true, and the pop-up control (which owns the bar).
    bool ofPopup = false;
    std::weak_ptr<ControlModel> popup;
    bool deleted = false;
    host::Ref<host::Dispatch> object;         // its CommandBar object, made on first use
    host::Ref<host::Dispatch> controlsObject; // its CommandBarControls object, likewise
};

/// One control on a bar.
struct ControlModel {
    std::uint64_t serial = 0;
    CommandBarControlData data;
    std::weak_ptr<BarModel> bar;
    /// A pop-up's own bar with the pop-up's controls.
    std::shared_ptr<BarModel> popupBar;
    std::vector<SinkConnection> connections;
    bool deleted = false;
    host::Ref<host::Dispatch> object; // its control object, made on first use
};

/// One registered COM add-in.
struct AddInModel {
    std::u16string progId;
    std::u16string guid;
    std::u16string description;
    bool connect = true;
    host::Ref<host::Dispatch> exposed; // COMAddIn.Object
    host::Ref<host::Dispatch> object;  // its COMAddIn object
};

/// How the kinds of controls answer: which interfaces and members they have.
enum class ControlKind { Button, Popup, ComboBox, Other };
ControlKind KindOf(std::int32_t type) noexcept;

/// Everything the simulated Office holds.
class OfficeModel : public std::enable_shared_from_this<OfficeModel> {
public:
    std::vector<std::shared_ptr<BarModel>> bars; // the CommandBars collection, in order
    // Deleted bars and controls, kept so that calls on their objects fail as Office's do.
    std::vector<std::shared_ptr<BarModel>> deletedBars;
    std::vector<std::shared_ptr<ControlModel>> deletedControls;
    /// Persistent controls deleted with Delete(True): back after a restart, at their index.
    struct SessionDeletion {
        std::uint64_t barSerial;
        std::size_t index;
        std::shared_ptr<ControlModel> control;
    };
    std::vector<SessionDeletion> sessionDeletions;

    /// Pristine copies of the built-in controls, which Controls.Add copies by id.
    std::vector<std::shared_ptr<const ControlModel>> builtInCatalog;

    std::uint64_t nextSerial = 1;
    std::int32_t nextCustomBar = 1; // "Custom 1", "Custom 2"...
    std::uint32_t nextCookie = 1;
    std::optional<SimBitmap> clipboard;
    /// When set, PasteFace reads the system clipboard through it instead of `clipboard`.
    SimOffice::ClipboardReader clipboardReader;
    std::vector<SimOffice::RibbonInvalidation> invalidations;
    std::vector<std::shared_ptr<AddInModel>> addIns;
    host::Ref<host::Dispatch> commandBars; // the CommandBars object, made on first use
    host::Ref<host::Dispatch> ribbonUI;    // the IRibbonUI object, made on first use
    /// The host's Application, which COMAddIn.Parent answers (the simulation has no
    /// COMAddIns collection).
    host::Ref<host::Dispatch> application;

    /// A new bar or control with the next serial.
    std::shared_ptr<BarModel> NewBar(CommandBarData data);
    std::shared_ptr<ControlModel> NewControl(CommandBarControlData data);

    /// Adds a control to `bar` at 0-based `index`; a pop-up gets its own (empty) bar.
    void Insert(const std::shared_ptr<BarModel>& bar, std::size_t index,
                const std::shared_ptr<ControlModel>& control);
    /// Takes a control off its bar and marks it (and a pop-up's contents) deleted.
    void Delete(const std::shared_ptr<ControlModel>& control);
    /// Takes a bar out of the collection and marks it and its controls deleted.
    void Delete(const std::shared_ptr<BarModel>& bar);
    /// A copy of a built-in control (a pop-up with copies of its contents), as Controls.Add
    /// with an Id makes; null when no built-in control has that id.
    std::shared_ptr<ControlModel> CopyOfBuiltIn(std::int32_t id);

    /// The bar of the collection whose Name, else NameLocal, equals `name` ignoring case.
    std::shared_ptr<BarModel> FindBar(std::u16string_view name) const;
    /// Calls `visit` for each control of `bar` in order, descending into pop-ups first when
    /// `recursive`; stops when it answers true.
    static bool Walk(const BarModel& bar, bool recursive,
                     const std::function<bool(const std::shared_ptr<ControlModel>&)>& visit);
    /// Walks every bar of the collection, recursively.
    bool WalkAll(const std::function<bool(const std::shared_ptr<ControlModel>&)>& visit) const;

    /// The control or bar with `serial` that is not deleted, or null.
    std::shared_ptr<ControlModel> FindControl(std::uint64_t serial) const;
    std::shared_ptr<BarModel> FindBar(std::uint64_t serial) const;

    /// The model after a restart: the persistent bars and controls, copied with their
    /// serials (their objects and connections are not).
    std::shared_ptr<OfficeModel> Restarted() const;
    /// A copy of `source` (a pop-up with copies of its contents) with new serials.
    std::shared_ptr<ControlModel> Copy(const ControlModel& source);
};

/// What one simulated Office holds across its restarts, the state its seam objects run on:
/// the call log it shares with its host, the host's version and the current model.
class OfficeState : public std::enable_shared_from_this<OfficeState> {
public:
    std::shared_ptr<CallLog> callLog;
    std::u16string version = u"16.0";
    /// Replaced by a new one when the simulated Office restarts; null once it has gone.
    std::shared_ptr<OfficeModel> model;
};

/// The bar that holds `control`; throws base::Error(E_UNEXPECTED) when it has none.
std::shared_ptr<BarModel> BarOf(const ControlModel& control);
/// The control's 0-based position on its bar.
std::size_t PositionOf(const ControlModel& control);
/// A bar's 1-based index in the collection; 0 for a pop-up's own bar.
std::int32_t IndexInCollection(const OfficeModel& office, const BarModel& bar);

/// Excel's built-in bars, as a new Office has them.
void AddBuiltInBars(OfficeModel& office);

/// The seam objects, made on first use and then the same for each bar or control.
host::Ref<host::Dispatch> BarObjectOf(OfficeState& state, const std::shared_ptr<BarModel>& bar);
host::Ref<host::Dispatch> ControlsOf(OfficeState& state, const std::shared_ptr<BarModel>& bar);
host::Ref<host::Dispatch> ControlObjectOf(OfficeState& state,
                                          const std::shared_ptr<ControlModel>& control);

/// Raises `event` with `argsInDeclarationOrder` on the sinks of every control of the same
/// kind that shares `source`'s tag (without a tag: every copy of the same built-in control,
/// or a custom control alone), in search order, each control's sinks in advise order.
void RaiseControlEvent(OfficeState& state, const std::shared_ptr<ControlModel>& source,
                       host::DispId event, std::vector<host::Variant> argsInDeclarationOrder);

} // namespace tarvex::sim::detail

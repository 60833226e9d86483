#pragma once

// The simulated Office: the Office of one simulated host application. Over the seam it
// answers exactly as Office answers over COM: the CommandBars collection (reached through
// Application.CommandBars), command bars and their controls, each button's Click event
// through its own connection point, IRibbonUI, IRibbonControl and COMAddIn objects. The C++
// control API lets tests and tarvex-sim look at bars and controls, act as the user (click,
// restart Office) and watch the calls that arrive.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bitmap.h"
#include "base/result.h"
#include "host/object.h"
#include "sim/automation/call_log.h"

namespace tarvex::sim {

namespace detail {
class OfficeState;
struct BarModel;
struct ControlModel;
} // namespace detail

class SimClipboard;

/// A bitmap as the simulated clipboard holds it: 0xRRGGBB pixels, top row first.
struct SimBitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;

    friend bool operator==(const SimBitmap&, const SimBitmap&) = default;
};

/// `bitmap` as the clipboard holds it: the colours without their alpha.
SimBitmap ToSimBitmap(const base::Bitmap& bitmap);

/// A button's Picture as Office draws it through its Mask on a bar of colour `background`
/// (0xRRGGBB): white mask pixels show the bar. A mask of another size is not used.
SimBitmap ThroughMask(const base::Bitmap& picture, const base::Bitmap* mask,
                      std::uint32_t background);

/// The face a button received last, and from where.
struct ButtonFace {
    enum class Source { None, FaceId, Picture, Clipboard };
    Source source = Source::None;
    /// The objects last put as Picture and Mask (null when none or after PasteFace).
    host::Ref<host::Dispatch> picture;
    host::Ref<host::Dispatch> mask;
    /// The bitmap PasteFace took from the clipboard (none unless it was the last source).
    std::optional<SimBitmap> pasted;
};

/// The properties of a command bar, as Office reports them.
struct CommandBarData {
    std::u16string name;
    std::u16string nameLocal;
    bool builtIn = false;
    bool enabled = true;
    bool visible = false;
    std::int32_t position = 4;   // msoBarFloating
    std::int32_t protection = 0; // msoBarNoProtection
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t rowIndex = 0;
    std::int32_t type = 0; // msoBarTypeNormal
    /// Added with Temporary: dropped when Office restarts.
    bool temporary = false;
};

/// The properties of a command bar control, as Office reports them. The button members are
/// meaningful for buttons only.
struct CommandBarControlData {
    std::int32_t type = 1; // msoControlButton
    std::int32_t id = 1;   // 1: a custom control
    bool builtIn = false;
    /// Added with Temporary (or on a temporary bar): dropped when Office restarts.
    bool temporary = false;
    bool beginGroup = false;
    std::u16string caption;
    std::u16string descriptionText;
    bool enabled = true;
    std::int32_t height = 22;
    std::int32_t helpContextId = 0;
    std::u16string helpFile;
    std::u16string onAction;
    std::u16string parameter;
    std::int32_t priority = 0;
    std::u16string tag;
    std::u16string tooltipText;
    bool visible = true;
    std::int32_t width = 23;

    std::int32_t state = 0; // msoButtonUp
    std::int32_t style = 0; // msoButtonAutomatic
    std::int32_t faceId = 0;
    std::u16string shortcutText;
    std::int32_t hyperlinkType = 0;
    ButtonFace face;
};

/// The Office of one host application (the simulated Excel's is SimExcel::Office()).
///
/// Excel's usual built-in bars are there from the start: "Worksheet Menu Bar", "Standard",
/// "Formatting", "Drawing" and the pop-up bar "Cell", with built-in controls. The version
/// is the host's: on a version below "10" (Office 2000, "9.0") buttons have no Picture and
/// Mask. The call log and failure injection are the host's, shared with it: Office's members
/// are recorded as "CommandBars.Add", "CommandBar.Delete", "CommandBarControls.Add",
/// "CommandBarControl.Caption" (every member of every kind of control), "IRibbonUI.Invalidate",
/// "IRibbonControl.Id", "COMAddIn.Object".
///
/// Members that name a bar or control that no longer exists throw base::Error(E_INVALIDARG).
class SimOffice {
public:
    /// Names a bar for the control API. A persistent bar keeps its handle across a restart.
    struct BarHandle {
        std::uint64_t serial = 0;
        friend bool operator==(BarHandle, BarHandle) = default;
    };
    /// Names a control for the control API. A persistent control keeps its handle across a
    /// restart.
    struct ControlHandle {
        std::uint64_t serial = 0;
        friend bool operator==(ControlHandle, ControlHandle) = default;
    };
    /// One call of IRibbonUI: Invalidate (`whole`) or InvalidateControl(`controlId`).
    struct RibbonInvalidation {
        bool whole = false;
        std::u16string controlId;
        friend bool operator==(const RibbonInvalidation&, const RibbonInvalidation&) = default;
    };

    /// The Office of the host whose Application object is `application` (what COMAddIn.Parent
    /// answers); its calls go into `callLog`, the host's. Version "16.0".
    SimOffice(std::shared_ptr<CallLog> callLog, host::Ref<host::Dispatch> application);
    ~SimOffice();
    SimOffice(const SimOffice&) = delete;
    SimOffice& operator=(const SimOffice&) = delete;

    /// Sets the version text, which is the host's: the host sets it to its own.
    void SetVersion(std::u16string version);
    const std::u16string& Version() const noexcept;

    // Bars and controls.

    /// The CommandBars collection (the object Application.CommandBars answers).
    host::Ref<host::Dispatch> CommandBars() const;
    /// The bars of the CommandBars collection, in its order.
    std::vector<BarHandle> Bars() const;
    /// The first bar whose Name, else whose NameLocal, equals `name` ignoring case.
    std::optional<BarHandle> FindBar(std::u16string_view name) const;
    CommandBarData Bar(BarHandle bar) const;
    /// The bar's 1-based index in the CommandBars collection.
    std::int32_t IndexOf(BarHandle bar) const;
    /// The controls of a bar (or of a pop-up's own bar), in order.
    std::vector<ControlHandle> Controls(BarHandle bar) const;
    CommandBarControlData Control(ControlHandle control) const;
    /// The control's 1-based index on its bar.
    std::int32_t IndexOf(ControlHandle control) const;
    /// The bar that holds the control.
    BarHandle BarOf(ControlHandle control) const;
    /// A pop-up's own bar; nothing for other controls.
    std::optional<BarHandle> PopupBar(ControlHandle control) const;
    /// Every control with the given properties (an empty optional matches any), on every bar
    /// and inside pop-ups, in the order FindControl searches.
    std::vector<ControlHandle> FindControls(std::optional<std::int32_t> type,
                                            std::optional<std::int32_t> id,
                                            std::optional<std::u16string> tag) const;
    bool Exists(BarHandle bar) const;
    bool Exists(ControlHandle control) const;
    /// The seam object of a bar or control (the one Office hands out for it).
    host::Ref<host::Dispatch> ObjectOf(BarHandle bar) const;
    host::Ref<host::Dispatch> ObjectOf(ControlHandle control) const;
    /// Sets a bar's local name, as a localized Office shows it ("Format" for "Formatting").
    void SetNameLocal(BarHandle bar, std::u16string nameLocal);
    /// How many sinks are advised on the control's event connection point.
    std::size_t ConnectionCount(ControlHandle control) const;
    /// The sinks advised on the control's event connection point, in advise order: a test
    /// may call them itself, as Office does, with arguments it builds by hand.
    std::vector<host::Ref<host::Dispatch>> AdvisedSinks(ControlHandle control) const;

    // What the user does.

    /// Clicks a button as the user does: Click(Ctrl, CancelDefault by reference) reaches the
    /// sinks of every button that shares its tag (of every copy of the built-in control when
    /// neither has a tag), in FindControl order, each sink in advise order, with the clicked
    /// button as Ctrl. Answers CancelDefault as the sinks left it. The button must be visible
    /// and enabled on a bar the user can reach, else base::Error(E_INVALIDARG).
    bool Click(ControlHandle control);
    /// The user changes a combo box (or edit box, drop-down): Change(Ctrl) reaches the sinks
    /// of every such control that shares its tag, as Click does.
    void Change(ControlHandle control);
    /// Closes and restarts Office: temporary bars and controls are gone, persistent ones stay
    /// with their properties (a control deleted with Delete(True) is back), every event
    /// connection and every object handed out before is dropped (calls on them fail as on a
    /// vanished server), the ribbon's record starts empty and COMAddIn.Object is cleared.
    void Restart();

    // The clipboard that PasteFace reads.

    /// Reads the bitmap on the system clipboard for PasteFace: nothing when none is there;
    /// base::Error when the clipboard cannot be opened (PasteFace then fails as Office does).
    using ClipboardReader = std::function<std::optional<SimBitmap>()>;

    /// Puts a bitmap on Office's own clipboard. Throws base::Error(E_UNEXPECTED) while
    /// Office reads another clipboard (set it there instead).
    void SetClipboard(SimBitmap bitmap);
    /// Empties Office's own clipboard; throws as SetClipboard.
    void ClearClipboard();
    /// The bitmap PasteFace would take now.
    std::optional<SimBitmap> Clipboard() const;
    /// Makes PasteFace read the system clipboard through `reader` instead of Office's own;
    /// an empty function goes back to Office's own. Kept across Restart.
    void ReadClipboardThrough(ClipboardReader reader);
    /// Makes PasteFace read `clipboard` (the simulated desktop's): its bitmap, and a failure
    /// while another program or the add-in holds it open.
    void ShareClipboard(std::shared_ptr<SimClipboard> clipboard);

    /// The face of a button as the user sees it on a bar whose background is `background`
    /// (0xRRGGBB): a Picture with its Mask (white mask pixels show the background), or the
    /// bitmap PasteFace took. Nothing for a face id, no face, or a picture that is not a
    /// SimPicture.
    std::optional<SimBitmap> ShownFace(ControlHandle control, std::uint32_t background) const;

    // The ribbon.

    /// The IRibbonUI object Office passes to the add-in's onLoad callback.
    host::Ref<host::Dispatch> RibbonUI() const;
    /// Every Invalidate and InvalidateControl call since the start (or the last clear).
    std::vector<RibbonInvalidation> RibbonInvalidations() const;
    void ClearRibbonInvalidations();
    /// A new IRibbonControl, as Office passes one to a ribbon callback.
    host::Ref<host::Dispatch> MakeRibbonControl(std::u16string id, std::u16string tag = {},
                                                host::Ref<host::Dispatch> context = {});

    // COM add-ins.

    /// Registers a COM add-in and answers its COMAddIn object (the AddInInst of
    /// OnConnection); connected, its Object nothing. The ProgID must be new.
    host::Ref<host::Dispatch> AddComAddIn(std::u16string progId, std::u16string guid,
                                          std::u16string description);
    /// The add-in's COMAddIn object in this session of Office.
    host::Ref<host::Dispatch> ComAddIn(std::u16string_view progId);
    /// What the add-in's COMAddIn.Object holds (null for nothing).
    host::Ref<host::Dispatch> ComAddInObject(std::u16string_view progId) const;
    /// Whether COMAddIn.Connect is set.
    bool ComAddInConnected(std::u16string_view progId) const;

    // The host's call log and failure injection.

    const std::vector<CallRecord>& Calls() const;
    void ClearCalls();
    std::size_t CallCount(std::string_view member) const;
    void SetCallLogging(bool on);
    /// Makes the k-th call from now fail; DISP_E_EXCEPTION comes with Office's exception
    /// information (scode E_FAIL) on Office's objects.
    void FailCall(std::size_t k, base::HResult code = base::hr::DispException);
    void FailMember(std::string member, base::HResult code = base::hr::DispException);
    void ClearFailures();

private:
    std::shared_ptr<detail::BarModel> RequireBar(BarHandle bar) const;
    std::shared_ptr<detail::ControlModel> RequireControl(ControlHandle control) const;

    std::shared_ptr<detail::OfficeState> m_state;
};

} // namespace tarvex::sim

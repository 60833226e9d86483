#pragma once

// The ribbon callbacks: what the add-in object answers when Office asks for its customUI
// document and then calls back by name for every dynamic attribute and action of it. Office
// resolves each callback name to a fixed DISPID with GetIDsOfNames and calls Invoke with it;
// these functions are that dispatch, after the type library has had its turn.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "framework/ribbon_action.h"
#include "host/object.h"
#include "host/variant.h"

namespace tarvex::framework {

class TComponent;
class TadxCOMAddInModule;

/// The DISPIDs of the ribbon callbacks (18 is not used).
namespace ribbon_callback {
inline constexpr host::DispId RibbonLoaded = 10;
inline constexpr host::DispId GetImages = 11;
inline constexpr host::DispId GetVisible = 12;
inline constexpr host::DispId GetKeyTip = 13;
inline constexpr host::DispId GetLabel = 14;
inline constexpr host::DispId GetEnabled = 15;
inline constexpr host::DispId GetPressed = 16;
inline constexpr host::DispId GetImage = 17;
inline constexpr host::DispId GetSuperTip = 19;
inline constexpr host::DispId GetScreenTip = 20;
inline constexpr host::DispId GetSize = 21;
inline constexpr host::DispId GetShowLabel = 22;
inline constexpr host::DispId GetShowImage = 23;
inline constexpr host::DispId GetDescription = 24;
inline constexpr host::DispId GetText = 25;
inline constexpr host::DispId GetItemCount = 26;
inline constexpr host::DispId GetItemId = 27;
inline constexpr host::DispId GetItemImage = 28;
inline constexpr host::DispId GetItemLabel = 29;
inline constexpr host::DispId GetItemScreenTip = 30;
inline constexpr host::DispId GetItemSuperTip = 31;
inline constexpr host::DispId GetShowItemImage = 32;
inline constexpr host::DispId GetSelectedItemIndex = 33;
inline constexpr host::DispId GetSelectedItemId = 34;
inline constexpr host::DispId GetItemHeight = 35;
inline constexpr host::DispId GetItemWidth = 36;
inline constexpr host::DispId GetContent = 37;
inline constexpr host::DispId GetTitle = 38;
inline constexpr host::DispId OnActionCommon = 50;
inline constexpr host::DispId OnActionCommonRepurposed = 51;
inline constexpr host::DispId OnActionState = 52;
inline constexpr host::DispId OnActionStateRepurposed = 53;
inline constexpr host::DispId OnActionSelected = 54;
inline constexpr host::DispId OnChange = 55;
} // namespace ribbon_callback

/// One callback of the customUI document: its method name and DISPID.
struct RibbonCallbackName {
    std::string_view name;
    host::DispId id;
};

/// The 34 callbacks in table order; the customUI document names exactly these.
extern const std::array<RibbonCallbackName, 34> kRibbonCallbackNames;

/// A ribbon command that repurposes a built-in Office control: the repurposed action
/// callbacks run the first such entry of the module's RibbonCommandList whose Office control
/// id equals the clicked control's Id.
class TadxRibbonCommandAction {
public:
    /// The id of the built-in control the command repurposes.
    virtual std::u16string OfficeControlId() const = 0;
    /// Runs the command; it may set `arguments.cancel` to stop Office's own action.
    virtual void DoAction(TadxRibbonActionArguments& arguments) = 0;

protected:
    ~TadxRibbonCommandAction() = default;
};

/// The customUI document for `ribbonId` (BuildCustomUIXml). The handlers' exceptions went to
/// HandleError; anything else passes on for the COM entry point to report.
std::u16string GetCustomUI(TadxCOMAddInModule& module, std::u16string_view ribbonId);

/// `id` without the first occurrence of "wrapped": the inner button of a split button is
/// answered by the component registered under the plain id.
std::u16string StripWrappedSuffix(std::u16string_view id);

/// The first ControlIdMap entry whose id equals `id` without regard to letter case, or null.
TComponent* FindRibbonComponent(TadxCOMAddInModule& module, std::u16string_view id);

/// The DISPID of callback `name`, or -1. The name is taken as Office's narrow text: at most
/// 255 UTF-16 units, each unit above 255 turned into 0, then compared exactly.
host::DispId FindRibbonCallback(std::u16string_view name);

/// Whether `member` is one of the callbacks' DISPIDs.
bool IsRibbonCallback(host::DispId member) noexcept;

/// GetIDsOfNames for the callbacks: every id -1, then the first name's DISPID. E_INVALIDARG
/// when no name is given or the ids do not match the names, DISP_E_UNKNOWNNAME when the
/// first name is no callback.
base::HResult GetRibbonCallbackIds(std::span<const std::u16string> names,
                                   std::span<host::DispId> ids);

/// Invoke for the callbacks: reads the arguments (held last first, extra ones ignored), runs
/// the callback against `module`, stores its result in `result` (when given) and writes a
/// repurposed action's cancelDefault back through its reference. DISP_E_MEMBERNOTFOUND for
/// a DISPID outside the table, DISP_E_BADPARAMCOUNT for too few arguments,
/// DISP_E_TYPEMISMATCH for a cancelDefault that is not a boolean by reference, and
/// DISP_E_EXCEPTION (with `excepInfo` filled in) for every other failure.
base::HResult InvokeRibbonCallback(TadxCOMAddInModule& module, host::DispId member,
                                   const host::DispParams& params, host::Variant* result,
                                   host::ExcepInfo* excepInfo);

} // namespace tarvex::framework

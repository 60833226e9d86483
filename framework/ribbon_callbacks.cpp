#include "framework/ribbon_callbacks.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

#include "base/case_folding.h"
#include "base/error.h"
#include "base/text.h"
#include "framework/custom_ui.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_picture.h"
#include "host/automation.h"
#include "host/office/dispids.h"
#include "host/office/office.h"

namespace tarvex::framework {

using namespace ribbon_callback;

namespace {

using host::Variant;

// Office's names are narrow text of at most this many characters.
constexpr std::size_t kNameLimit = 255;
constexpr std::u16string_view kWrapped = u"wrapped";

using host::DispArgs;

// The argument at `position`; the callback's declared arguments were all checked to be there.
const Variant& Arg(const DispArgs& args, std::uint32_t position) {
    return *args.At(position);
}

// An object argument asked for the interface the callback declares for it.
host::Ref<host::Dispatch> RequireArg(const DispArgs& args, std::uint32_t position,
                                     const base::Guid& iid, std::string_view name) {
    const host::Ref<host::Dispatch> object = Arg(args, position).ToObject();
    host::Ref<host::Dispatch> answer = host::QueryAs<host::Dispatch>(object.Get(), iid);
    if (!answer)
        throw base::Error(base::hr::NoInterface,
                          "The ribbon callback's argument is no " + std::string(name));
    return answer;
}

host::office::RibbonControl ControlArg(const DispArgs& args, std::uint32_t position) {
    return host::office::RibbonControl(
        RequireArg(args, position, host::office::iid::RibbonControl, "IRibbonControl"));
}

// A by-reference boolean, or a by-reference variant that holds a boolean or nothing yet.
bool IsBooleanReference(const Variant& value) noexcept {
    if (!value.Is(Variant::Kind::ByRef))
        return false;
    const Variant& target = value.Deref();
    return target.Is(Variant::Kind::Bool) || target.Is(Variant::Kind::Empty);
}

TadxRibbonComponent* Lookup(TadxCOMAddInModule& module, const host::office::RibbonControl& control,
                            bool strip) {
    const std::u16string id = control.Id();
    return dynamic_cast<TadxRibbonComponent*>(
        FindRibbonComponent(module, strip ? StripWrappedSuffix(id) : id));
}

TadxRibbonCustomControl* LookupControl(TadxCOMAddInModule& module,
                                       const host::office::RibbonControl& control, bool strip) {
    return dynamic_cast<TadxRibbonCustomControl*>(Lookup(module, control, strip));
}

// Entry `index` of a component's item collection; an index outside it is a failure.
TadxRibbonCustomControl& ItemOf(TadxRibbonComponent& component, std::int32_t index) {
    const TadxRibbonControls* items = component.GetChildControls();
    if (!items || index < 0 || static_cast<std::size_t>(index) >= items->Count())
        throw base::Error(base::hr::DispBadIndex,
                          "List index out of bounds (" + std::to_string(index) + ")");
    return (*items)[static_cast<std::size_t>(index)];
}

bool ShowsImage(const TadxRibbonCustomControl& control) noexcept {
    return !(control.Glyph().Empty() && control.ImageIndex() < 0 && control.ImageMso().empty());
}

Variant PictureValue(host::Ref<host::Dispatch> picture) {
    return picture ? Variant(std::move(picture)) : Variant::Nothing();
}

Variant RibbonLoadedCallback(TadxCOMAddInModule& module, const DispArgs& args) {
    host::Ref<host::Dispatch> ribbon =
        RequireArg(args, 0, host::office::iid::RibbonUI, "IRibbonUI");
    module.SetRibbonUI(ribbon);
    if (module.OnRibbonLoaded)
        module.Guard([&] { module.OnRibbonLoaded(module, ribbon); });
    return {};
}

// A getter of a property every ribbon component has (the tab included).
template <class Read>
Variant ComponentGetter(TadxCOMAddInModule& module, const DispArgs& args, bool strip,
                        Variant fallback, Read read) {
    TadxRibbonComponent* component = Lookup(module, ControlArg(args, 0), strip);
    return component ? Variant(read(*component)) : fallback;
}

// A getter of a property only ribbon controls have.
template <class Read>
Variant ControlGetter(TadxCOMAddInModule& module, const DispArgs& args, bool strip,
                      Variant fallback, Read read) {
    TadxRibbonCustomControl* control = LookupControl(module, ControlArg(args, 0), strip);
    return control ? Variant(read(*control)) : fallback;
}

// A getter of entry `index` of the control's items.
template <class Read>
Variant ItemGetter(TadxCOMAddInModule& module, const DispArgs& args, Variant fallback, Read read) {
    TadxRibbonComponent* component = Lookup(module, ControlArg(args, 0), false);
    if (!component)
        return fallback;
    return Variant(read(ItemOf(*component, Arg(args, 1).ToInt32())));
}

void RunAction(TadxCOMAddInModule& module, bool strip, TadxRibbonActionArguments& action) {
    if (TadxRibbonCustomControl* control = LookupControl(module, action.control, strip))
        control->DoAction(action);
}

// Runs the ribbon command that repurposes the clicked built-in control and writes its Cancel
// back; without one, cancelDefault stays as Office passed it.
void RepurposedAction(TadxCOMAddInModule& module, const DispArgs& args, bool pressed,
                      std::uint32_t cancelPosition) {
    TadxRibbonActionArguments action;
    action.control = ControlArg(args, 0);
    const std::u16string id = action.control.Id();
    for (TComponent* entry : module.RibbonCommandList()) {
        auto* command = dynamic_cast<TadxRibbonCommandAction*>(entry);
        if (!command || command->OfficeControlId() != id)
            continue;
        action.pressed = pressed;
        action.cancel = false;
        command->DoAction(action);
        host::WriteBack(Arg(args, cancelPosition), Variant(action.cancel));
        return;
    }
}

using Module = TadxCOMAddInModule;
using Component = TadxRibbonComponent;
using Control = TadxRibbonCustomControl;
const Variant kEmptyText{std::u16string{}};

TadxRibbonActionArguments ActionOn(const DispArgs& args) {
    TadxRibbonActionArguments action;
    action.control = ControlArg(args, 0);
    return action;
}

// One row per callback of the customUI document: its method name and DISPID, how many
// arguments it reads in Office's order, where a repurposed action's cancelDefault stands
// (-1 for the others), and what it answers.
struct CallbackRow {
    std::string_view name;
    host::DispId id;
    std::uint32_t arguments;
    int cancelPosition;
    Variant (*run)(Module& module, const DispArgs& args);
};

constexpr CallbackRow kCallbacks[] = {
    {"RibbonLoaded_Callback", RibbonLoaded, 1, -1, RibbonLoadedCallback},
    {"GetImages_Callback", GetImages, 1, -1,
     [](Module& m, const DispArgs& a) {
         const std::u16string name = StripWrappedSuffix(Arg(a, 0).ToString());
         auto* component = dynamic_cast<Component*>(FindRibbonComponent(m, name));
         return PictureValue(component ? RibbonPicture(m.Desktop(), *component) : nullptr);
     }},
    {"GetVisible_Callback", GetVisible, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ComponentGetter(m, a, false, true, [](const Component& c) { return c.Visible(); });
     }},
    {"GetKeyTip_Callback", GetKeyTip, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ComponentGetter(m, a, false, kEmptyText,
                                [](const Component& c) { return c.KeyTip(); });
     }},
    {"GetLabel_Callback", GetLabel, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ComponentGetter(m, a, true, kEmptyText,
                                [](const Component& c) { return c.Caption(); });
     }},
    {"GetEnabled_Callback", GetEnabled, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, false, true, [](const Control& c) { return c.Enabled(); });
     }},
    {"GetPressed_Callback", GetPressed, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, true, false, [](const Control& c) { return c.Pressed(); });
     }},
    {"GetImage_Callback", GetImage, 1, -1,
     [](Module& m, const DispArgs& a) {
         Component* component = Lookup(m, ControlArg(a, 0), true);
         return PictureValue(component ? RibbonPicture(m.Desktop(), *component) : nullptr);
     }},
    {"GetSuperTip_Callback", GetSuperTip, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, true, kEmptyText,
                              [](const Control& c) { return c.SuperTip(); });
     }},
    {"GetScreenTip_Callback", GetScreenTip, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, true, kEmptyText,
                              [](const Control& c) { return c.ScreenTip(); });
     }},
    {"GetSize_Callback", GetSize, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, false, std::int32_t{0},
                              [](const Control& c) { return static_cast<std::int32_t>(c.Size()); });
     }},
    {"GetShowLabel_Callback", GetShowLabel, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, true, true, [](const Control& c) { return c.ShowCaption(); });
     }},
    {"GetShowImage_Callback", GetShowImage, 1, -1,
     [](Module& m, const DispArgs& a) { return ControlGetter(m, a, true, false, ShowsImage); }},
    {"GetDescription_Callback", GetDescription, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, true, kEmptyText,
                              [](const Control& c) { return c.Description(); });
     }},
    {"GetText_Callback", GetText, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, false, kEmptyText, [](const Control& c) { return c.Text(); });
     }},
    {"GetItemCount_Callback", GetItemCount, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ComponentGetter(m, a, false, std::int32_t{0}, [](Component& c) {
             const TadxRibbonControls* items = c.GetChildControls();
             return static_cast<std::int32_t>(items ? items->Count() : 0);
         });
     }},
    {"GetItemID_Callback", GetItemId, 2, -1,
     [](Module& m, const DispArgs& a) {
         return ItemGetter(m, a, kEmptyText, [](const Control& c) { return c.Id(); });
     }},
    {"GetItemImage_Callback", GetItemImage, 2, -1,
     [](Module& m, const DispArgs& a) {
         Component* component = Lookup(m, ControlArg(a, 0), false);
         if (!component)
             return Variant::Nothing();
         const Control& item = ItemOf(*component, Arg(a, 1).ToInt32());
         return PictureValue(RibbonItemPicture(m.Desktop(), item));
     }},
    {"GetItemLabel_Callback", GetItemLabel, 2, -1,
     [](Module& m, const DispArgs& a) {
         return ItemGetter(m, a, kEmptyText, [](const Control& c) { return c.Caption(); });
     }},
    {"GetItemScreenTip_Callback", GetItemScreenTip, 2, -1,
     [](Module& m, const DispArgs& a) {
         return ItemGetter(m, a, kEmptyText, [](const Control& c) { return c.ScreenTip(); });
     }},
    {"GetItemSuperTip_Callback", GetItemSuperTip, 2, -1,
     [](Module& m, const DispArgs& a) {
         return ItemGetter(m, a, kEmptyText, [](const Control& c) { return c.SuperTip(); });
     }},
    {"GetShowItemImage_Callback", GetShowItemImage, 2, -1,
     [](Module& m, const DispArgs& a) { return ItemGetter(m, a, true, ShowsImage); }},
    {"GetSelectedItemIndex_Callback", GetSelectedItemIndex, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, false, std::int32_t{0},
                              [](const Control& c) { return c.SelectedItemIndex(); });
     }},
    {"GetSelectedItemId_Callback", GetSelectedItemId, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, false, kEmptyText,
                              [](const Control& c) { return c.SelectedItemId(); });
     }},
    {"GetItemHeight_Callback", GetItemHeight, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, false, std::int32_t{-1},
                              [](const Control& c) { return c.ItemHeight(); });
     }},
    {"GetItemWidth_Callback", GetItemWidth, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, false, std::int32_t{-1},
                              [](const Control& c) { return c.ItemWidth(); });
     }},
    {"GetContent_Callback", GetContent, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, false, kEmptyText, [](Control& c) { return c.GetContent(); });
     }},
    {"GetTitle_Callback", GetTitle, 1, -1,
     [](Module& m, const DispArgs& a) {
         return ControlGetter(m, a, false, kEmptyText, [](const Control& c) { return c.Title(); });
     }},
    {"OnActionCommon_Callback", OnActionCommon, 1, -1,
     [](Module& m, const DispArgs& a) {
         TadxRibbonActionArguments action = ActionOn(a);
         RunAction(m, true, action);
         return Variant();
     }},
    {"OnActionCommonRepurposed_Callback", OnActionCommonRepurposed, 2, 1,
     [](Module& m, const DispArgs& a) {
         RepurposedAction(m, a, true, 1);
         return Variant();
     }},
    {"OnActionState_Callback", OnActionState, 2, -1,
     [](Module& m, const DispArgs& a) {
         TadxRibbonActionArguments action = ActionOn(a);
         action.pressed = Arg(a, 1).ToBool();
         RunAction(m, true, action);
         return Variant();
     }},
    {"OnActionStateRepurposed_Callback", OnActionStateRepurposed, 3, 2,
     [](Module& m, const DispArgs& a) {
         RepurposedAction(m, a, Arg(a, 1).ToBool(), 2);
         return Variant();
     }},
    {"OnActionSelected_Callback", OnActionSelected, 3, -1,
     [](Module& m, const DispArgs& a) {
         TadxRibbonActionArguments action = ActionOn(a);
         action.selectedId = Arg(a, 1).ToString();
         action.selectedIndex = Arg(a, 2).ToInt32();
         RunAction(m, false, action);
         return Variant();
     }},
    {"OnChange_Callback", OnChange, 2, -1,
     [](Module& m, const DispArgs& a) {
         TadxRibbonActionArguments action = ActionOn(a);
         action.text = Arg(a, 1).ToString();
         RunAction(m, false, action);
         return Variant();
     }},
};

const CallbackRow* FindCallback(host::DispId member) noexcept {
    for (const CallbackRow& row : kCallbacks) {
        if (row.id == member)
            return &row;
    }
    return nullptr;
}

// Fills the exception information of a failed call: a small framework number as the error
// number, the failure's result code otherwise.
void Describe(host::ExcepInfo* excepInfo, const base::CaughtFailure& failure) {
    if (!excepInfo)
        return;
    *excepInfo = host::ExcepInfo{};
    if (failure.number != 0)
        excepInfo->code = failure.number;
    else
        excepInfo->scode = failure.code;
    excepInfo->description =
        base::Utf8ToUtf16(failure.message.empty() ? "The ribbon callback failed" : failure.message);
}

} // namespace

const std::array<RibbonCallbackName, 34> kRibbonCallbackNames = [] {
    static_assert(std::size(kCallbacks) == 34);
    std::array<RibbonCallbackName, 34> names{};
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = {kCallbacks[i].name, kCallbacks[i].id};
    return names;
}();

std::u16string GetCustomUI(TadxCOMAddInModule& module, std::u16string_view ribbonId) {
    return BuildCustomUIXml(module, ribbonId);
}

std::u16string StripWrappedSuffix(std::u16string_view id) {
    std::u16string result(id);
    const std::size_t at = result.find(kWrapped);
    if (at != std::u16string::npos)
        result.erase(at, kWrapped.size());
    return result;
}

TComponent* FindRibbonComponent(TadxCOMAddInModule& module, std::u16string_view id) {
    return module.FindControlById(id);
}

host::DispId FindRibbonCallback(std::u16string_view name) {
    std::string narrow;
    const std::size_t length = std::min(name.size(), kNameLimit);
    narrow.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        narrow.push_back(name[i] < 256 ? static_cast<char>(name[i]) : '\0');
    for (const RibbonCallbackName& entry : kRibbonCallbackNames)
        if (entry.name == narrow)
            return entry.id;
    return host::dispid::Unknown;
}

bool IsRibbonCallback(host::DispId member) noexcept {
    return FindCallback(member) != nullptr;
}

base::HResult GetRibbonCallbackIds(std::span<const std::u16string> names,
                                   std::span<host::DispId> ids) {
    if (names.empty() || ids.size() != names.size())
        return base::hr::InvalidArg;
    std::fill(ids.begin(), ids.end(), host::dispid::Unknown);
    const host::DispId id = FindRibbonCallback(names.front());
    if (id == host::dispid::Unknown)
        return base::hr::DispUnknownName;
    ids.front() = id;
    return base::hr::Ok;
}

base::HResult InvokeRibbonCallback(TadxCOMAddInModule& module, host::DispId member,
                                   const host::DispParams& params, host::Variant* result,
                                   host::ExcepInfo* excepInfo) {
    const CallbackRow* callback = FindCallback(member);
    if (!callback)
        return base::hr::DispMemberNotFound;
    // Reading past the arguments Office passed would read outside its array.
    const DispArgs args(params);
    for (std::uint32_t position = 0; position < callback->arguments; ++position) {
        if (!args.At(position))
            return base::hr::DispBadParamCount;
    }
    if (callback->cancelPosition >= 0 &&
        !IsBooleanReference(Arg(args, static_cast<std::uint32_t>(callback->cancelPosition))))
        return base::hr::DispTypeMismatch;
    try {
        Variant value = callback->run(module, args);
        if (result)
            *result = std::move(value);
        return base::hr::Ok;
    } catch (...) {
        const base::CaughtFailure failure = base::CatchCurrentFailure(base::hr::Fail);
        Describe(excepInfo, failure);
    }
    return base::hr::DispException;
}

} // namespace tarvex::framework

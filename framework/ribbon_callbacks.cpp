#include "framework/ribbon_callbacks.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

#include "framework/custom_ui.h"
#include "framework/module.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_picture.h"
#include "host/case_folding.h"
#include "host/error.h"
#include "host/office/dispids.h"
#include "host/office/office.h"
#include "host/text.h"

namespace tarvex::framework {

using namespace ribbon_callback;

const std::array<RibbonCallbackName, 34> kRibbonCallbackNames{{
    {"RibbonLoaded_Callback", RibbonLoaded},
    {"GetImages_Callback", GetImages},
    {"GetVisible_Callback", GetVisible},
    {"GetKeyTip_Callback", GetKeyTip},
    {"GetLabel_Callback", GetLabel},
    {"GetEnabled_Callback", GetEnabled},
    {"GetPressed_Callback", GetPressed},
    {"GetImage_Callback", GetImage},
    {"GetSuperTip_Callback", GetSuperTip},
    {"GetScreenTip_Callback", GetScreenTip},
    {"GetSize_Callback", GetSize},
    {"GetShowLabel_Callback", GetShowLabel},
    {"GetShowImage_Callback", GetShowImage},
    {"GetDescription_Callback", GetDescription},
    {"GetText_Callback", GetText},
    {"GetItemCount_Callback", GetItemCount},
    {"GetItemID_Callback", GetItemId},
    {"GetItemImage_Callback", GetItemImage},
    {"GetItemLabel_Callback", GetItemLabel},
    {"GetItemScreenTip_Callback", GetItemScreenTip},
    {"GetItemSuperTip_Callback", GetItemSuperTip},
    {"GetShowItemImage_Callback", GetShowItemImage},
    {"GetSelectedItemIndex_Callback", GetSelectedItemIndex},
    {"GetSelectedItemId_Callback", GetSelectedItemId},
    {"GetItemHeight_Callback", GetItemHeight},
    {"GetItemWidth_Callback", GetItemWidth},
    {"GetContent_Callback", GetContent},
    {"GetTitle_Callback", GetTitle},
    {"OnActionCommon_Callback", OnActionCommon},
    {"OnActionCommonRepurposed_Callback", OnActionCommonRepurposed},
    {"OnActionState_Callback", OnActionState},
    {"OnActionStateRepurposed_Callback", OnActionStateRepurposed},
    {"OnActionSelected_Callback", OnActionSelected},
    {"OnChange_Callback", OnChange},
}};

namespace {

using host::Variant;

// Office's names are narrow text of at most this many characters.
constexpr std::size_t kNameLimit = 255;
constexpr std::u16string_view kWrapped = u"wrapped";

// How many arguments each callback reads, in Office's order.
std::uint32_t ArgumentsRead(host::DispId member) noexcept {
    switch (member) {
    case GetItemId:
    case GetItemImage:
    case GetItemLabel:
    case GetItemScreenTip:
    case GetItemSuperTip:
    case GetShowItemImage:
    case OnActionCommonRepurposed:
    case OnActionState:
    case OnChange:
        return 2;
    case OnActionStateRepurposed:
    case OnActionSelected:
        return 3;
    default:
        return 1;
    }
}

// The position of a repurposed action's cancelDefault, or -1 for the other callbacks.
int CancelDefaultPosition(host::DispId member) noexcept {
    if (member == OnActionCommonRepurposed)
        return 1;
    if (member == OnActionStateRepurposed)
        return 2;
    return -1;
}

// The arguments of one call in Office's order; COM holds them last first, and any extra
// arguments Office may add stand before the ones read here.
class CallArguments {
public:
    explicit CallArguments(const host::DispParams& params) noexcept
        : m_params(params) {}

    const Variant& At(std::uint32_t position) const {
        return m_params.args[m_params.argCount - 1 - position];
    }

    host::office::RibbonControl Control(std::uint32_t position) const {
        return host::office::RibbonControl(
            Require(position, host::office::iid::RibbonControl, "IRibbonControl"));
    }

    host::Ref<host::Dispatch> RibbonUI(std::uint32_t position) const {
        return Require(position, host::office::iid::RibbonUI, "IRibbonUI");
    }

private:
    host::Ref<host::Dispatch> Require(std::uint32_t position, const host::Guid& iid,
                                      std::string_view name) const {
        const host::Ref<host::Dispatch> object = At(position).ToObject();
        host::Ref<host::Dispatch> answer = host::QueryAs<host::Dispatch>(object.Get(), iid);
        if (!answer)
            throw host::Error(host::hr::NoInterface,
                              "The ribbon callback's argument is no " + std::string(name));
        return answer;
    }

    const host::DispParams& m_params;
};

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
        throw host::Error(host::hr::DispBadIndex,
                          "List index out of bounds (" + std::to_string(index) + ")");
    return (*items)[static_cast<std::size_t>(index)];
}

bool ShowsImage(const TadxRibbonCustomControl& control) noexcept {
    return !(control.Glyph().Empty() && control.ImageIndex() < 0 && control.ImageMso().empty());
}

Variant PictureValue(host::Ref<host::Dispatch> picture) {
    return picture ? Variant(std::move(picture)) : Variant::Nothing();
}

Variant RibbonLoadedCallback(TadxCOMAddInModule& module, const CallArguments& arguments) {
    host::Ref<host::Dispatch> ribbon = arguments.RibbonUI(0);
    module.SetRibbonUI(ribbon);
    if (module.OnRibbonLoaded) {
        try {
            module.OnRibbonLoaded(module, ribbon);
        } catch (const std::exception& error) {
            module.HandleError(error);
        }
    }
    return {};
}

// A getter of a property every ribbon component has (the tab included).
template <class Read>
Variant ComponentGetter(TadxCOMAddInModule& module, const CallArguments& arguments, bool strip,
                        Variant fallback, Read read) {
    TadxRibbonComponent* component = Lookup(module, arguments.Control(0), strip);
    return component ? Variant(read(*component)) : fallback;
}

// A getter of a property only ribbon controls have.
template <class Read>
Variant ControlGetter(TadxCOMAddInModule& module, const CallArguments& arguments, bool strip,
                      Variant fallback, Read read) {
    TadxRibbonCustomControl* control = LookupControl(module, arguments.Control(0), strip);
    return control ? Variant(read(*control)) : fallback;
}

// A getter of entry `index` of the control's items.
template <class Read>
Variant ItemGetter(TadxCOMAddInModule& module, const CallArguments& arguments, Variant fallback,
                   Read read) {
    TadxRibbonComponent* component = Lookup(module, arguments.Control(0), false);
    if (!component)
        return fallback;
    return Variant(read(ItemOf(*component, arguments.At(1).ToInt32())));
}

void RunAction(TadxCOMAddInModule& module, bool strip, TadxRibbonActionArguments& action) {
    if (TadxRibbonCustomControl* control = LookupControl(module, action.control, strip))
        control->DoAction(action);
}

// Runs the ribbon command that repurposes the clicked built-in control and writes its Cancel
// back; without one, cancelDefault stays as Office passed it.
void RepurposedAction(TadxCOMAddInModule& module, const CallArguments& arguments, bool pressed,
                      std::uint32_t cancelPosition) {
    Variant& cancelDefault = arguments.At(cancelPosition).Target();
    TadxRibbonActionArguments action;
    action.control = arguments.Control(0);
    const std::u16string id = action.control.Id();
    for (TComponent* entry : module.RibbonCommandList()) {
        auto* command = dynamic_cast<TadxRibbonCommandAction*>(entry);
        if (!command || command->OfficeControlId() != id)
            continue;
        action.pressed = pressed;
        action.cancel = false;
        command->DoAction(action);
        cancelDefault = Variant(action.cancel);
        return;
    }
}

Variant RunCallback(TadxCOMAddInModule& module, host::DispId member,
                    const CallArguments& arguments) {
    using Component = TadxRibbonComponent;
    using Control = TadxRibbonCustomControl;
    const Variant empty(std::u16string{});
    switch (member) {
    case RibbonLoaded:
        return RibbonLoadedCallback(module, arguments);
    case GetImages: {
        const std::u16string name = StripWrappedSuffix(arguments.At(0).ToString());
        auto* component = dynamic_cast<Component*>(FindRibbonComponent(module, name));
        return PictureValue(component ? RibbonPicture(module.Desktop(), *component) : nullptr);
    }
    case GetVisible:
        return ComponentGetter(module, arguments, false, true,
                               [](const Component& c) { return c.Visible(); });
    case GetKeyTip:
        return ComponentGetter(module, arguments, false, empty,
                               [](const Component& c) { return c.KeyTip(); });
    case GetLabel:
        return ComponentGetter(module, arguments, true, empty,
                               [](const Component& c) { return c.Caption(); });
    case GetEnabled:
        return ControlGetter(module, arguments, false, true,
                             [](const Control& c) { return c.Enabled(); });
    case GetPressed:
        return ControlGetter(module, arguments, true, false,
                             [](const Control& c) { return c.Pressed(); });
    case GetImage: {
        Component* component = Lookup(module, arguments.Control(0), true);
        return PictureValue(component ? RibbonPicture(module.Desktop(), *component) : nullptr);
    }
    case GetSuperTip:
        return ControlGetter(module, arguments, true, empty,
                             [](const Control& c) { return c.SuperTip(); });
    case GetScreenTip:
        return ControlGetter(module, arguments, true, empty,
                             [](const Control& c) { return c.ScreenTip(); });
    case GetSize:
        return ControlGetter(module, arguments, false, std::int32_t{0},
                             [](const Control& c) { return static_cast<std::int32_t>(c.Size()); });
    case GetShowLabel:
        return ControlGetter(module, arguments, true, true,
                             [](const Control& c) { return c.ShowCaption(); });
    case GetShowImage:
        return ControlGetter(module, arguments, true, false, ShowsImage);
    case GetDescription:
        return ControlGetter(module, arguments, true, empty,
                             [](const Control& c) { return c.Description(); });
    case GetText:
        return ControlGetter(module, arguments, false, empty,
                             [](const Control& c) { return c.Text(); });
    case GetItemCount:
        return ComponentGetter(module, arguments, false, std::int32_t{0}, [](Component& c) {
            const TadxRibbonControls* items = c.GetChildControls();
            return static_cast<std::int32_t>(items ? items->Count() : 0);
        });
    case GetItemId:
        return ItemGetter(module, arguments, empty, [](const Control& c) { return c.Id(); });
    case GetItemImage: {
        Component* component = Lookup(module, arguments.Control(0), false);
        if (!component)
            return Variant::Nothing();
        const Control& item = ItemOf(*component, arguments.At(1).ToInt32());
        return PictureValue(RibbonItemPicture(module.Desktop(), item));
    }
    case GetItemLabel:
        return ItemGetter(module, arguments, empty, [](const Control& c) { return c.Caption(); });
    case GetItemScreenTip:
        return ItemGetter(module, arguments, empty, [](const Control& c) { return c.ScreenTip(); });
    case GetItemSuperTip:
        return ItemGetter(module, arguments, empty, [](const Control& c) { return c.SuperTip(); });
    case GetShowItemImage:
        return ItemGetter(module, arguments, true, ShowsImage);
    case GetSelectedItemIndex:
        return ControlGetter(module, arguments, false, std::int32_t{0},
                             [](const Control& c) { return c.SelectedItemIndex(); });
    case GetSelectedItemId:
        return ControlGetter(module, arguments, false, empty,
                             [](const Control& c) { return c.SelectedItemId(); });
    case GetItemHeight:
        return ControlGetter(module, arguments, false, std::int32_t{-1},
                             [](const Control& c) { return c.ItemHeight(); });
    case GetItemWidth:
        return ControlGetter(module, arguments, false, std::int32_t{-1},
                             [](const Control& c) { return c.ItemWidth(); });
    case GetContent:
        return ControlGetter(module, arguments, false, empty,
                             [](Control& c) { return c.GetContent(); });
    case GetTitle:
        return ControlGetter(module, arguments, false, empty,
                             [](const Control& c) { return c.Title(); });
    case OnActionCommon: {
        TadxRibbonActionArguments action;
        action.control = arguments.Control(0);
        RunAction(module, true, action);
        return {};
    }
    case OnActionState: {
        TadxRibbonActionArguments action;
        action.control = arguments.Control(0);
        action.pressed = arguments.At(1).ToBool();
        RunAction(module, true, action);
        return {};
    }
    case OnActionSelected: {
        TadxRibbonActionArguments action;
        action.control = arguments.Control(0);
        action.selectedId = arguments.At(1).ToString();
        action.selectedIndex = arguments.At(2).ToInt32();
        RunAction(module, false, action);
        return {};
    }
    case OnChange: {
        TadxRibbonActionArguments action;
        action.control = arguments.Control(0);
        action.text = arguments.At(1).ToString();
        RunAction(module, false, action);
        return {};
    }
    case OnActionCommonRepurposed:
        RepurposedAction(module, arguments, true, 1);
        return {};
    case OnActionStateRepurposed:
        RepurposedAction(module, arguments, arguments.At(1).ToBool(), 2);
        return {};
    default:
        throw host::Error(host::hr::DispMemberNotFound, "No ribbon callback has this DISPID");
    }
}

// Fills the exception information of a failed call: the failure's own code when it is a
// result code, a small framework code as the error number, else E_FAIL.
void Describe(host::ExcepInfo* excepInfo, host::HResult code, std::string_view message) {
    if (!excepInfo)
        return;
    *excepInfo = host::ExcepInfo{};
    if (code < 0)
        excepInfo->scode = code;
    else if (code > 0 && code <= 0xFFFF)
        excepInfo->code = static_cast<std::uint16_t>(code);
    else
        excepInfo->scode = host::hr::Fail;
    excepInfo->description = host::Utf8ToUtf16(message);
}

} // namespace

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
    for (const auto& [key, component] : module.ControlIdMap())
        if (host::FoldedEqual(host::Utf8ToUtf16(key), id))
            return component;
    return nullptr;
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
    return std::any_of(kRibbonCallbackNames.begin(), kRibbonCallbackNames.end(),
                       [member](const RibbonCallbackName& entry) { return entry.id == member; });
}

host::HResult GetRibbonCallbackIds(std::span<const std::u16string> names,
                                   std::span<host::DispId> ids) {
    if (names.empty() || ids.size() != names.size())
        return host::hr::InvalidArg;
    std::fill(ids.begin(), ids.end(), host::dispid::Unknown);
    const host::DispId id = FindRibbonCallback(names.front());
    if (id == host::dispid::Unknown)
        return host::hr::DispUnknownName;
    ids.front() = id;
    return host::hr::Ok;
}

host::HResult InvokeRibbonCallback(TadxCOMAddInModule& module, host::DispId member,
                                   const host::DispParams& params, host::Variant* result,
                                   host::ExcepInfo* excepInfo) {
    if (!IsRibbonCallback(member))
        return host::hr::DispMemberNotFound;
    // Reading past the arguments Office passed would read outside its array.
    if (params.argCount < ArgumentsRead(member) || !params.args)
        return host::hr::DispBadParamCount;
    const CallArguments arguments(params);
    const int cancelPosition = CancelDefaultPosition(member);
    if (cancelPosition >= 0 &&
        !IsBooleanReference(arguments.At(static_cast<std::uint32_t>(cancelPosition))))
        return host::hr::DispTypeMismatch;
    try {
        Variant value = RunCallback(module, member, arguments);
        if (result)
            *result = std::move(value);
        return host::hr::Ok;
    } catch (const host::Error& error) {
        Describe(excepInfo, error.Code(), error.Message());
    } catch (const std::bad_alloc&) {
        Describe(excepInfo, host::hr::OutOfMemory, "Out of memory");
    } catch (const std::exception& error) {
        Describe(excepInfo, host::hr::Fail, error.what());
    } catch (...) {
        Describe(excepInfo, host::hr::Fail, "The ribbon callback failed");
    }
    return host::hr::DispException;
}

} // namespace tarvex::framework

// The CommandBarControls collections and the controls (buttons, pop-ups, combo boxes and the
// other built-in kinds).

#include <algorithm>
#include <array>
#include <charconv>

#include "base/case_folding.h"
#include "base/error.h"
#include "host/office/dispids.h"
#include "sim/office/office_objects.h"

namespace tarvex::sim::detail {

namespace {
namespace office = host::office;
namespace controls_ids = host::office::command_bar_controls;
namespace ctl = host::office::control;
namespace btn = host::office::button;
namespace pop = host::office::popup;
using host::Variant;

constexpr host::InvokeFlags kPut = host::invoke::PropertyPut;
// Office's object-valued properties take an object by reference as well as plainly.
constexpr host::InvokeFlags kPutObject = host::invoke::PropertyPut | host::invoke::PropertyPutRef;
constexpr std::string_view kInvalidArgument = "Invalid procedure call or argument";

constexpr std::array<std::string_view, 1> kIndexParams{"Index"};
constexpr std::array<std::string_view, 5> kAddParams{"Type", "Id", "Parameter", "Before",
                                                     "Temporary"};
constexpr std::array<std::string_view, 1> kDeleteParams{"Temporary"};
constexpr std::array<std::string_view, 2> kMoveParams{"Bar", "Before"};

constexpr std::array<MemberInfo, 3> kControlsMembers{{
    {controls_ids::Item, "Item", false, kIndexParams, 1},
    {controls_ids::Add, "Add", true, kAddParams, 0},
    {controls_ids::Count, "Count", false, {}, 0},
}};
constexpr ClassInfo kControlsClass{"CommandBarControls", kControlsMembers};

constexpr std::array<MemberInfo, 20> kCommonMembers{{
    {ctl::BeginGroup, "BeginGroup", false, {}, 0, kPut},
    {ctl::BuiltIn, "BuiltIn", false, {}, 0},
    {ctl::Caption, "Caption", false, {}, 0, kPut},
    {ctl::Delete, "Delete", true, kDeleteParams, 0},
    {ctl::DescriptionText, "DescriptionText", false, {}, 0, kPut},
    {ctl::Enabled, "Enabled", false, {}, 0, kPut},
    {ctl::Height, "Height", false, {}, 0, kPut},
    {ctl::HelpContextId, "HelpContextId", false, {}, 0, kPut},
    {ctl::HelpFile, "HelpFile", false, {}, 0, kPut},
    {ctl::Id, "Id", false, {}, 0},
    {ctl::Index, "Index", false, {}, 0},
    {ctl::Move, "Move", true, kMoveParams, 0},
    {ctl::OnAction, "OnAction", false, {}, 0, kPut},
    {ctl::Parameter, "Parameter", false, {}, 0, kPut},
    {ctl::Priority, "Priority", false, {}, 0, kPut},
    {ctl::Tag, "Tag", false, {}, 0, kPut},
    {ctl::TooltipText, "TooltipText", false, {}, 0, kPut},
    {ctl::Type, "Type", false, {}, 0},
    {ctl::Visible, "Visible", false, {}, 0, kPut},
    {ctl::Width, "Width", false, {}, 0, kPut},
}};

// Office 2000's buttons have no Picture and Mask: they come last so that its table is a
// prefix of the later one.
constexpr std::array<MemberInfo, 8> kButtonMembers{{
    {btn::FaceId, "FaceId", false, {}, 0, kPut},
    {btn::PasteFace, "PasteFace", true, {}, 0},
    {btn::ShortcutText, "ShortcutText", false, {}, 0, kPut},
    {btn::State, "State", false, {}, 0, kPut},
    {btn::Style, "Style", false, {}, 0, kPut},
    {btn::HyperlinkType, "HyperlinkType", false, {}, 0, kPut},
    {btn::Picture, "Picture", false, {}, 0, kPutObject},
    {btn::Mask, "Mask", false, {}, 0, kPutObject},
}};
constexpr std::size_t kButtonMembersWithoutPicture = 6;

constexpr std::array<MemberInfo, 2> kPopupMembers{{
    {pop::CommandBar, "CommandBar", false, {}, 0},
    {pop::Controls, "Controls", false, {}, 0},
}};

template <std::size_t First, std::size_t Second>
constexpr std::array<MemberInfo, First + Second>
Join(const std::array<MemberInfo, First>& first, const std::array<MemberInfo, Second>& second) {
    std::array<MemberInfo, First + Second> joined{};
    std::copy(first.begin(), first.end(), joined.begin());
    std::copy(second.begin(), second.end(), joined.begin() + First);
    return joined;
}

// Every kind of control is logged as "CommandBarControl.<member>".
constexpr auto kButtonTable = Join(kCommonMembers, kButtonMembers);
constexpr auto kPopupTable = Join(kCommonMembers, kPopupMembers);
constexpr ClassInfo kButtonClass{"CommandBarControl", kButtonTable};
constexpr ClassInfo kButton2000Class{
    "CommandBarControl", std::span<const MemberInfo>(kButtonTable)
                             .first(kCommonMembers.size() + kButtonMembersWithoutPicture)};
constexpr ClassInfo kPopupClass{"CommandBarControl", kPopupTable};
constexpr ClassInfo kControlClass{"CommandBarControl", kCommonMembers};

constexpr std::array<std::int32_t, 3> kStates{office::msoButtonUp, office::msoButtonDown,
                                              office::msoButtonMixed};
constexpr std::array<std::int32_t, 8> kStyles{office::msoButtonAutomatic,
                                              office::msoButtonIcon,
                                              office::msoButtonCaption,
                                              office::msoButtonIconAndCaption,
                                              office::msoButtonIconAndWrapCaption,
                                              office::msoButtonIconAndCaptionBelow,
                                              office::msoButtonWrapCaption,
                                              office::msoButtonIconAndWrapCaptionBelow};
constexpr std::int32_t kMaxPriority = 7;

template <std::size_t N>
bool OneOf(const std::array<std::int32_t, N>& values, std::int32_t value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// Office 2000 is version 9; Picture and Mask came with the next version.
bool HasPicture(const OfficeState& state) {
    std::int32_t major = 0;
    const std::u16string& version = state.version;
    for (const char16_t c : version) {
        if (c < u'0' || c > u'9')
            break;
        major = major * 10 + (c - u'0');
        if (major > 1000)
            break;
    }
    return major >= 10;
}

// Controls("Tools") finds the control by its caption, ignoring case, with or without the
// accelerator marks ("&Tools").
bool CaptionIs(const std::u16string& caption, std::u16string_view name) {
    std::u16string plain;
    for (const char16_t c : caption) {
        if (c != u'&')
            plain.push_back(c);
    }
    return base::FoldedEqual(plain, name) || base::FoldedEqual(caption, name);
}

void MarkTemporary(ControlModel& control) {
    control.data.temporary = true;
    if (control.popupBar) {
        control.popupBar->data.temporary = true;
        for (const auto& child : control.popupBar->controls)
            MarkTemporary(*child);
    }
}

[[noreturn]] void Disconnected() {
    throw base::Error(kDisconnected, "Office has restarted");
}

// The bar a Bar argument names: a live CommandBar of this Office.
std::shared_ptr<BarModel> ReadBar(const CallArgs& args, std::uint32_t position) {
    host::Ref<host::Dispatch> object;
    try {
        object = args.At(position)->ToObject();
    } catch (const base::Error&) {
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    }
    // A CommandBar this Office handed out comes back as the same object: over COM the
    // server adapter unwraps to it.
    const auto* barObject = dynamic_cast<CommandBarObject*>(object.Get());
    std::shared_ptr<BarModel> bar = barObject ? barObject->Bar() : nullptr;
    if (!bar || bar->deleted)
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    return bar;
}

// Whether `bar` lies inside the pop-up `control` (its own bar or deeper).
bool IsInside(const BarModel& bar, const ControlModel& control) {
    const BarModel* current = &bar;
    while (current && current->ofPopup) {
        const std::shared_ptr<ControlModel> popup = current->popup.lock();
        if (!popup)
            return false;
        if (popup.get() == &control)
            return true;
        const std::shared_ptr<BarModel> above = popup->bar.lock();
        current = above.get();
    }
    return false;
}
} // namespace

// CommandBarControls

ControlsObject::ControlsObject(std::weak_ptr<OfficeState> state, std::weak_ptr<BarModel> bar)
    : PlainOfficeObject(std::move(state), kControlsClass, office::iid::CommandBarControls)
    , m_bar(std::move(bar)) {}

Variant ControlsObject::Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) {
    const std::shared_ptr<BarModel> bar = m_bar.lock();
    if (!bar)
        Disconnected();
    if (bar->deleted)
        RaiseOffice(base::hr::Fail, "The command bar has been deleted");
    switch (member.id) {
    case controls_ids::Count:
        return Variant(static_cast<std::int32_t>(bar->controls.size()));
    case controls_ids::Item: {
        const Variant& index = args.At(0)->Deref();
        if (index.Is(Variant::Kind::String)) {
            for (const auto& control : bar->controls) {
                if (CaptionIs(control->data.caption, index.ToString()))
                    return Variant(ControlObjectOf(state, control));
            }
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        }
        const std::int32_t number = OptionalInt(args, 0).value_or(0);
        if (number < 1 || static_cast<std::size_t>(number) > bar->controls.size())
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        return Variant(ControlObjectOf(state, bar->controls[static_cast<std::size_t>(number - 1)]));
    }
    case controls_ids::Add:
        return Add(state, bar, args);
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

Variant ControlsObject::Add(OfficeState& state, const std::shared_ptr<BarModel>& bar,
                            const CallArgs& args) {
    OfficeModel& office = OfficeOf(state);
    const std::optional<std::int32_t> type = OptionalInt(args, 0);
    const std::optional<std::int32_t> id = OptionalInt(args, 1);
    const std::optional<std::u16string> parameter = OptionalText(args, 2);
    const std::optional<std::int32_t> before = OptionalInt(args, 3);
    const bool temporary = OptionalBool(args, 4).value_or(false);
    if (before && (*before < 1 || static_cast<std::size_t>(*before) > bar->controls.size() + 1))
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);

    std::shared_ptr<ControlModel> control;
    if (id && *id != 1) {
        // A copy of a built-in control takes that control's type, whatever Type says.
        control = office.CopyOfBuiltIn(*id);
        if (!control)
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    } else {
        // Only these kinds can be made as custom controls.
        const std::int32_t kind = type.value_or(office::msoControlButton);
        if (kind != office::msoControlButton && kind != office::msoControlEdit &&
            kind != office::msoControlDropdown && kind != office::msoControlComboBox &&
            kind != office::msoControlPopup)
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        CommandBarControlData data;
        data.type = kind;
        if (KindOf(kind) == ControlKind::ComboBox)
            data.width = 100;
        control = office.NewControl(std::move(data));
    }
    if (parameter)
        control->data.parameter = *parameter;
    // What is added to a temporary bar or pop-up goes with it.
    if (temporary || bar->data.temporary)
        MarkTemporary(*control);
    const std::size_t index = before ? static_cast<std::size_t>(*before - 1) : bar->controls.size();
    office.Insert(bar, index, control);
    return Variant(ControlObjectOf(state, control));
}

// CommandBarControl

ControlObject::ControlObject(std::weak_ptr<OfficeState> state, std::weak_ptr<ControlModel> control,
                             ControlKind kind)
    : OfficeObject(std::move(state))
    , m_control(std::move(control))
    , m_kind(kind) {}

base::HResult ControlObject::QueryInterface(const base::Guid& iid, void** object) {
    auto* self = static_cast<host::Dispatch*>(this);
    const auto unknown = host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, self);
    const auto dispatch = host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this);
    const auto control =
        host::InterfaceOffer::Of<host::Dispatch>(office::iid::CommandBarControl, this);
    const auto container = host::InterfaceOffer::Of<host::ConnectionPointContainer>(
        host::iid::ConnectionPointContainer, this);
    switch (m_kind) {
    case ControlKind::Button:
        return host::AnswerQuery(
            iid, object,
            {unknown, dispatch, control,
             host::InterfaceOffer::Of<host::Dispatch>(office::iid::CommandBarButton, this),
             container});
    case ControlKind::ComboBox:
        return host::AnswerQuery(
            iid, object,
            {unknown, dispatch, control,
             host::InterfaceOffer::Of<host::Dispatch>(office::iid::CommandBarComboBox, this),
             container});
    case ControlKind::Popup:
        return host::AnswerQuery(
            iid, object,
            {unknown, dispatch, control,
             host::InterfaceOffer::Of<host::Dispatch>(office::iid::CommandBarPopup, this)});
    case ControlKind::Other:
        break;
    }
    return host::AnswerQuery(iid, object, {unknown, dispatch, control});
}

base::HResult ControlObject::FindConnectionPoint(const base::Guid& iid,
                                                 host::Ref<host::ConnectionPoint>& point) {
    point = nullptr;
    const base::Guid events = m_kind == ControlKind::Button ? office::iid::CommandBarButtonEvents
                                                            : office::iid::CommandBarComboBoxEvents;
    if ((m_kind != ControlKind::Button && m_kind != ControlKind::ComboBox) || iid != events)
        return base::hr::ConnectNoConnection;
    try {
        if (!m_events)
            m_events = host::MakeRef<ControlEventPoint>(m_state, m_control, events);
    } catch (...) {
        return base::CatchCurrentFailure(base::hr::OutOfMemory).code;
    }
    point = m_events;
    return base::hr::Ok;
}

const ClassInfo& ControlObject::Class() const noexcept {
    switch (m_kind) {
    case ControlKind::Button: {
        const std::shared_ptr<OfficeState> state = m_state.lock();
        return state && !HasPicture(*state) ? kButton2000Class : kButtonClass;
    }
    case ControlKind::Popup:
        return kPopupClass;
    case ControlKind::ComboBox:
    case ControlKind::Other:
        break;
    }
    return kControlClass;
}

Variant ControlObject::Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) {
    const std::shared_ptr<ControlModel> control = m_control.lock();
    if (!control)
        Disconnected();
    if (control->deleted)
        RaiseOffice(base::hr::Fail, "The control has been deleted");
    if (args.PutValue())
        return Put(state, *control, member, args);
    const CommandBarControlData& data = control->data;
    switch (member.id) {
    case ctl::BeginGroup:
        return Variant(data.beginGroup);
    case ctl::BuiltIn:
        return Variant(data.builtIn);
    case ctl::Caption:
        return Variant(data.caption);
    case ctl::Delete: {
        OfficeModel& office = OfficeOf(state);
        const bool temporary = OptionalBool(args, 0).value_or(false);
        const std::shared_ptr<BarModel> bar = BarOf(*control);
        // Deleted for this session only, a persistent control comes back at the next start.
        if (temporary && !data.temporary && !bar->data.temporary)
            office.sessionDeletions.push_back({bar->serial, PositionOf(*control), control});
        office.Delete(control);
        return {};
    }
    case ctl::DescriptionText:
        return Variant(data.descriptionText);
    case ctl::Enabled:
        return Variant(data.enabled);
    case ctl::Height:
        return Variant(data.height);
    case ctl::HelpContextId:
        return Variant(data.helpContextId);
    case ctl::HelpFile:
        return Variant(data.helpFile);
    case ctl::Id:
        return Variant(data.id);
    case ctl::Index:
        return Variant(static_cast<std::int32_t>(PositionOf(*control) + 1));
    case ctl::Move:
        return Move(state, control, args);
    case ctl::OnAction:
        return Variant(data.onAction);
    case ctl::Parameter:
        return Variant(data.parameter);
    case ctl::Priority:
        return Variant(data.priority);
    case ctl::Tag:
        return Variant(data.tag);
    case ctl::TooltipText:
        return Variant(data.tooltipText);
    case ctl::Type:
        return Variant(data.type);
    case ctl::Visible:
        return Variant(data.visible);
    case ctl::Width:
        return Variant(data.width);
    case btn::FaceId:
        return Variant(data.faceId);
    case btn::PasteFace: {
        OfficeModel& office = OfficeOf(state);
        std::optional<SimBitmap> picture = office.clipboard;
        if (office.clipboardReader) {
            try {
                picture = office.clipboardReader();
            } catch (const base::Error& error) {
                RaiseOffice(base::hr::Fail, error.Message());
            }
        }
        if (!picture)
            RaiseOffice(base::hr::Fail, "The clipboard holds no picture");
        control->data.face = ButtonFace{ButtonFace::Source::Clipboard, {}, {}, std::move(picture)};
        return {};
    }
    case btn::ShortcutText:
        return Variant(data.shortcutText);
    case btn::State:
        return Variant(data.state);
    case btn::Style:
        return Variant(data.style);
    case btn::HyperlinkType:
        return Variant(data.hyperlinkType);
    case btn::Picture:
        return data.face.picture ? Variant(data.face.picture) : Variant::Nothing();
    case btn::Mask:
        return data.face.mask ? Variant(data.face.mask) : Variant::Nothing();
    case pop::CommandBar:
        return Variant(BarObjectOf(state, control->popupBar));
    case pop::Controls:
        return Variant(ControlsOf(state, control->popupBar));
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

Variant ControlObject::Put(OfficeState&, ControlModel& control, const MemberInfo& member,
                           const CallArgs& args) {
    CommandBarControlData& data = control.data;
    auto requireSize = [](std::int32_t value) {
        if (value < 0)
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        return value;
    };
    switch (member.id) {
    case ctl::BeginGroup:
        data.beginGroup = PutBool(args);
        break;
    case ctl::Caption:
        data.caption = PutText(args);
        break;
    case ctl::DescriptionText:
        data.descriptionText = PutText(args);
        break;
    case ctl::Enabled:
        data.enabled = PutBool(args);
        break;
    case ctl::Height:
        data.height = requireSize(PutInt(args));
        break;
    case ctl::HelpContextId:
        data.helpContextId = PutInt(args);
        break;
    case ctl::HelpFile:
        data.helpFile = PutText(args);
        break;
    case ctl::OnAction:
        data.onAction = PutText(args);
        break;
    case ctl::Parameter:
        data.parameter = PutText(args);
        break;
    case ctl::Priority: {
        const std::int32_t priority = PutInt(args);
        if (priority < 0 || priority > kMaxPriority)
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        data.priority = priority;
        break;
    }
    case ctl::Tag:
        data.tag = PutText(args);
        break;
    case ctl::TooltipText:
        data.tooltipText = PutText(args);
        break;
    case ctl::Visible:
        data.visible = PutBool(args);
        break;
    case ctl::Width:
        data.width = requireSize(PutInt(args));
        break;
    case btn::FaceId:
        // A face id replaces whatever picture the button had.
        data.faceId = requireSize(PutInt(args));
        data.face = ButtonFace{ButtonFace::Source::FaceId, {}, {}, {}};
        break;
    case btn::ShortcutText:
        data.shortcutText = PutText(args);
        break;
    case btn::State: {
        const std::int32_t state = PutInt(args);
        if (!OneOf(kStates, state))
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        data.state = state;
        break;
    }
    case btn::Style: {
        const std::int32_t style = PutInt(args);
        if (!OneOf(kStyles, style))
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        data.style = style;
        break;
    }
    case btn::HyperlinkType: {
        const std::int32_t type = PutInt(args);
        if (type < office::msoCommandBarButtonHyperlinkNone ||
            type > office::msoCommandBarButtonHyperlinkInsertPicture)
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        data.hyperlinkType = type;
        break;
    }
    case btn::Picture: {
        host::Ref<host::Dispatch> picture = PutObjectValue(args);
        if (!picture)
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        data.face.source = ButtonFace::Source::Picture;
        data.face.picture = std::move(picture);
        data.face.pasted.reset();
        break;
    }
    case btn::Mask: {
        host::Ref<host::Dispatch> mask = PutObjectValue(args);
        if (!mask)
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        data.face.mask = std::move(mask);
        break;
    }
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
    return {};
}

Variant ControlObject::Move(OfficeState& state, const std::shared_ptr<ControlModel>& control,
                            const CallArgs& args) {
    const std::shared_ptr<BarModel> from = BarOf(*control);
    const std::shared_ptr<BarModel> to = args.IsGiven(0) ? ReadBar(args, 0) : from;
    const std::optional<std::int32_t> before = OptionalInt(args, 1);
    if (before && (*before < 1 || static_cast<std::size_t>(*before) > to->controls.size() + 1))
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    if (IsInside(*to, *control))
        RaiseOffice(base::hr::Fail, "A pop-up cannot be moved into itself");
    // Before counts the controls as they stand before the move: the control lands in front
    // of the one that is at that index now.
    const std::shared_ptr<ControlModel> anchor =
        before && static_cast<std::size_t>(*before) <= to->controls.size()
            ? to->controls[static_cast<std::size_t>(*before - 1)]
            : nullptr;
    if (anchor == control)
        return Variant(ControlObjectOf(state, control));
    auto& source = from->controls;
    source.erase(std::remove(source.begin(), source.end(), control), source.end());
    auto& target = to->controls;
    const auto at = anchor ? std::find(target.begin(), target.end(), anchor) : target.end();
    target.insert(at, control);
    control->bar = to;
    return Variant(ControlObjectOf(state, control));
}

} // namespace tarvex::sim::detail

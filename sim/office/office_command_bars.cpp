// The CommandBars collection and CommandBar objects.

#include <algorithm>
#include <array>

#include "base/case_folding.h"
#include "base/error.h"
#include "host/office/dispids.h"
#include "sim/office/office_objects.h"

namespace tarvex::sim::detail {

namespace {
namespace office = host::office;
namespace bars = host::office::command_bars;
namespace bar_ids = host::office::command_bar;
using host::Variant;

constexpr host::InvokeFlags kPut = host::invoke::PropertyPut;
constexpr std::string_view kInvalidArgument = "Invalid procedure call or argument";

constexpr std::array<std::string_view, 1> kIndexParams{"Index"};
constexpr std::array<std::string_view, 4> kAddParams{"Name", "Position", "MenuBar", "Temporary"};
constexpr std::array<std::string_view, 4> kFindParams{"Type", "Id", "Tag", "Visible"};
constexpr std::array<std::string_view, 5> kBarFindParams{"Type", "Id", "Tag", "Visible",
                                                         "Recursive"};

constexpr std::array<MemberInfo, 4> kBarsMembers{{
    {bars::Item, "Item", false, kIndexParams, 1},
    {bars::Add, "Add", true, kAddParams, 0},
    {bars::Count, "Count", false, {}, 0},
    {bars::FindControl, "FindControl", true, kFindParams, 0},
}};
constexpr ClassInfo kBarsClass{"CommandBars", kBarsMembers};

constexpr std::array<MemberInfo, 15> kBarMembers{{
    {bar_ids::BuiltIn, "BuiltIn", false, {}, 0},
    {bar_ids::Controls, "Controls", false, {}, 0},
    {bar_ids::Delete, "Delete", true, {}, 0},
    {bar_ids::Enabled, "Enabled", false, {}, 0, kPut},
    {bar_ids::FindControl, "FindControl", true, kBarFindParams, 0},
    {bar_ids::Index, "Index", false, {}, 0},
    {bar_ids::Left, "Left", false, {}, 0, kPut},
    {bar_ids::Name, "Name", false, {}, 0, kPut},
    {bar_ids::NameLocal, "NameLocal", false, {}, 0, kPut},
    {bar_ids::Position, "Position", false, {}, 0, kPut},
    {bar_ids::RowIndex, "RowIndex", false, {}, 0, kPut},
    {bar_ids::Protection, "Protection", false, {}, 0, kPut},
    {bar_ids::Top, "Top", false, {}, 0, kPut},
    {bar_ids::Type, "Type", false, {}, 0},
    {bar_ids::Visible, "Visible", false, {}, 0, kPut},
}};
constexpr ClassInfo kBarClass{"CommandBar", kBarMembers};

constexpr std::int32_t kAllProtections = 127;

// What FindControl looks for; an empty optional matches anything.
struct ControlQuery {
    std::optional<std::int32_t> type;
    std::optional<std::int32_t> id;
    std::optional<std::u16string> tag;
    bool visibleOnly = false;

    static ControlQuery Read(const CallArgs& args) {
        return {OptionalInt(args, 0), OptionalInt(args, 1), OptionalText(args, 2),
                OptionalBool(args, 3).value_or(false)};
    }

    bool Matches(const ControlModel& control) const {
        return (!type || control.data.type == *type) && (!id || control.data.id == *id) &&
               (!tag || control.data.tag == *tag);
    }
};

// Whether the user sees the control: it and the pop-ups above it up to `within` are
// visible; searched from the collection (`within` null), its bar must be visible as well.
bool Shown(const ControlModel& control, const BarModel* within) {
    if (!control.data.visible)
        return false;
    std::shared_ptr<BarModel> bar = control.bar.lock();
    while (bar && bar.get() != within) {
        if (!bar->ofPopup)
            return bar->data.visible;
        const std::shared_ptr<ControlModel> popup = bar->popup.lock();
        if (!popup || !popup->data.visible)
            return false;
        bar = popup->bar.lock();
    }
    return bar != nullptr;
}

bool NameTaken(const OfficeModel& office, std::u16string_view name, const BarModel* except) {
    return std::any_of(office.bars.begin(), office.bars.end(), [&](const auto& bar) {
        return bar.get() != except && (base::FoldedEqual(bar->data.name, name) ||
                                       base::FoldedEqual(bar->data.nameLocal, name));
    });
}

bool IsDocked(std::int32_t position) noexcept {
    return position >= office::msoBarLeft && position <= office::msoBarBottom;
}

std::shared_ptr<BarModel> ItemOf(const OfficeModel& office, const Variant& index) {
    const Variant& value = index.Deref();
    if (value.Is(Variant::Kind::String)) {
        if (auto bar = office.FindBar(value.ToString()))
            return bar;
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    }
    std::int32_t number = 0;
    try {
        number = value.ToInt32();
    } catch (const base::Error&) {
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    }
    if (number < 1 || static_cast<std::size_t>(number) > office.bars.size())
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    return office.bars[static_cast<std::size_t>(number - 1)];
}

Variant AddBar(OfficeState& state, OfficeModel& office, const CallArgs& args) {
    std::optional<std::u16string> name = OptionalText(args, 0);
    const std::int32_t position = OptionalInt(args, 1).value_or(office::msoBarFloating);
    const bool menuBar = OptionalBool(args, 2).value_or(false);
    const bool temporary = OptionalBool(args, 3).value_or(false);
    // The menu-bar position exists on the Macintosh only.
    if (position < office::msoBarLeft || position > office::msoBarPopup)
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    if (!name || name->empty()) {
        // Unnamed bars are "Custom 1", "Custom 2"..., skipping names in use.
        do {
            name = u"Custom ";
            for (const char c : std::to_string(office.nextCustomBar++))
                name->push_back(static_cast<char16_t>(c));
        } while (NameTaken(office, *name, nullptr));
    } else if (NameTaken(office, *name, nullptr)) {
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    }
    CommandBarData data;
    data.name = *name;
    data.nameLocal = *name;
    data.position = position;
    data.temporary = temporary;
    if (position == office::msoBarPopup)
        data.type = office::msoBarTypePopup;
    else if (menuBar)
        data.type = office::msoBarTypeMenuBar;
    if (IsDocked(position)) {
        // A new docked bar takes a row of its own after those at the same side.
        std::int32_t lastRow = 0;
        for (const auto& bar : office.bars) {
            if (bar->data.position == position)
                lastRow = std::max(lastRow, bar->data.rowIndex);
        }
        data.rowIndex = lastRow + 1;
    }
    auto bar = office.NewBar(std::move(data));
    office.bars.push_back(bar);
    return Variant(BarObjectOf(state, bar));
}
} // namespace

// CommandBars

CommandBarsObject::CommandBarsObject(std::weak_ptr<OfficeState> state,
                                     std::weak_ptr<OfficeModel> office)
    : PlainOfficeObject(std::move(state), kBarsClass, office::iid::CommandBars)
    , m_office(std::move(office)) {}

Variant CommandBarsObject::Call(OfficeState& state, const MemberInfo& member,
                                const CallArgs& args) {
    const std::shared_ptr<OfficeModel> office = m_office.lock();
    if (!office || office != state.model)
        throw base::Error(kDisconnected, "Office has restarted");
    switch (member.id) {
    case bars::Item:
        return Variant(BarObjectOf(state, ItemOf(*office, *args.At(0))));
    case bars::Add:
        return AddBar(state, *office, args);
    case bars::Count:
        return Variant(static_cast<std::int32_t>(office->bars.size()));
    case bars::FindControl: {
        const ControlQuery query = ControlQuery::Read(args);
        std::shared_ptr<ControlModel> found;
        office->WalkAll([&](const std::shared_ptr<ControlModel>& control) {
            if (!query.Matches(*control) || (query.visibleOnly && !Shown(*control, nullptr)))
                return false;
            found = control;
            return true;
        });
        return found ? Variant(ControlObjectOf(state, found)) : Variant::Nothing();
    }
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

// CommandBar

CommandBarObject::CommandBarObject(std::weak_ptr<OfficeState> state, std::weak_ptr<BarModel> bar)
    : PlainOfficeObject(std::move(state), kBarClass, office::iid::CommandBar)
    , m_bar(std::move(bar)) {}

Variant CommandBarObject::Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) {
    const std::shared_ptr<BarModel> bar = m_bar.lock();
    if (!bar)
        throw base::Error(kDisconnected, "Office has restarted");
    if (bar->deleted)
        RaiseOffice(base::hr::Fail, "The command bar has been deleted");
    if (args.PutValue())
        return Put(state, *bar, member, args);
    const CommandBarData& data = bar->data;
    const std::shared_ptr<ControlModel> popup = bar->ofPopup ? bar->popup.lock() : nullptr;
    switch (member.id) {
    case bar_ids::BuiltIn:
        return Variant(data.builtIn);
    case bar_ids::Controls:
        return Variant(ControlsOf(state, bar));
    case bar_ids::Delete:
        if (data.builtIn)
            RaiseOffice(base::hr::Fail, "A built-in command bar cannot be deleted");
        if (bar->ofPopup)
            RaiseOffice(base::hr::Fail, "A pop-up's own bar cannot be deleted");
        OfficeOf(state).Delete(bar);
        return {};
    case bar_ids::Enabled:
        return Variant(data.enabled);
    case bar_ids::FindControl: {
        const ControlQuery query = ControlQuery::Read(args);
        const bool recursive = OptionalBool(args, 4).value_or(false);
        std::shared_ptr<ControlModel> found;
        OfficeModel::Walk(*bar, recursive, [&](const std::shared_ptr<ControlModel>& control) {
            if (!query.Matches(*control) || (query.visibleOnly && !Shown(*control, bar.get())))
                return false;
            found = control;
            return true;
        });
        return found ? Variant(ControlObjectOf(state, found)) : Variant::Nothing();
    }
    case bar_ids::Index:
        if (bar->ofPopup)
            RaiseOffice(base::hr::Fail, "A pop-up's own bar is not in the collection");
        return Variant(IndexInCollection(OfficeOf(state), *bar));
    case bar_ids::Left:
        return Variant(data.left);
    case bar_ids::Name:
        // A pop-up's bar is named after the pop-up.
        return Variant(popup ? popup->data.caption : data.name);
    case bar_ids::NameLocal:
        return Variant(popup ? popup->data.caption : data.nameLocal);
    case bar_ids::Position:
        return Variant(data.position);
    case bar_ids::RowIndex:
        return Variant(data.rowIndex);
    case bar_ids::Protection:
        return Variant(data.protection);
    case bar_ids::Top:
        return Variant(data.top);
    case bar_ids::Type:
        return Variant(data.type);
    case bar_ids::Visible:
        return Variant(data.visible);
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

Variant CommandBarObject::Put(OfficeState& state, BarModel& bar, const MemberInfo& member,
                              const CallArgs& args) {
    CommandBarData& data = bar.data;
    const bool isShortcutMenu = data.type == office::msoBarTypePopup;
    switch (member.id) {
    case bar_ids::Enabled:
        data.enabled = PutBool(args);
        // A disabled bar leaves the screen.
        if (!data.enabled)
            data.visible = false;
        break;
    case bar_ids::Visible: {
        const bool visible = PutBool(args);
        // Shortcut menus are shown by the user, and a disabled bar cannot be shown.
        if (visible && (isShortcutMenu || !data.enabled))
            RaiseOffice(base::hr::Fail, "The command bar cannot be shown");
        data.visible = visible;
        break;
    }
    case bar_ids::Left:
        data.left = PutInt(args);
        break;
    case bar_ids::Top:
        data.top = PutInt(args);
        break;
    case bar_ids::RowIndex:
        data.rowIndex = PutInt(args);
        break;
    case bar_ids::Name:
    case bar_ids::NameLocal: {
        std::u16string name = PutText(args);
        if (data.builtIn || bar.ofPopup)
            RaiseOffice(base::hr::Fail, "The name of this command bar cannot be changed");
        if (name.empty() || NameTaken(OfficeOf(state), name, &bar))
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        (member.id == bar_ids::Name ? data.name : data.nameLocal) = std::move(name);
        break;
    }
    case bar_ids::Position: {
        const std::int32_t position = PutInt(args);
        if (position < office::msoBarLeft || position > office::msoBarFloating)
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        if (isShortcutMenu)
            RaiseOffice(base::hr::Fail, "A shortcut menu has no position");
        data.position = position;
        break;
    }
    case bar_ids::Protection: {
        const std::int32_t protection = PutInt(args);
        if (protection < 0 || (protection & ~kAllProtections) != 0)
            RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
        data.protection = protection;
        break;
    }
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
    return {};
}

} // namespace tarvex::sim::detail

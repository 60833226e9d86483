// What the simulated Office's objects share: Office's exception, reaching the current model,
// making the seam objects, and reading arguments.

#include "sim/office/office_objects.h"

#include "base/error.h"
#include "base/text.h"

namespace tarvex::sim::detail {

void RaiseOffice(base::HResult scode, std::string_view description) {
    throw RaisedException{u"Microsoft Office", base::Utf8ToUtf16(description), scode};
}

RaisedException OfficeFailure(const ClassInfo& type, const MemberInfo* member) {
    RaisedException raised{u"Microsoft Office", {}, base::hr::Fail};
    if (member) {
        raised.description =
            base::Utf8ToUtf16("Method '" + std::string(member->name) + "' of object '" +
                              std::string(type.name) + "' failed");
    }
    return raised;
}

OfficeModel& OfficeOf(OfficeState& state) {
    if (!state.model)
        throw base::Error(base::hr::Unexpected, "The simulated Office is not running");
    return *state.model;
}

host::Ref<host::Dispatch> CommandBarsOf(OfficeState& state) {
    OfficeModel& office = OfficeOf(state);
    if (!office.commandBars)
        office.commandBars =
            host::MakeRef<CommandBarsObject>(state.weak_from_this(), office.weak_from_this());
    return office.commandBars;
}

host::Ref<host::Dispatch> BarObjectOf(OfficeState& state, const std::shared_ptr<BarModel>& bar) {
    if (!bar->object)
        bar->object = host::MakeRef<CommandBarObject>(state.weak_from_this(), bar);
    return bar->object;
}

host::Ref<host::Dispatch> ControlsOf(OfficeState& state, const std::shared_ptr<BarModel>& bar) {
    if (!bar->controlsObject)
        bar->controlsObject = host::MakeRef<ControlsObject>(state.weak_from_this(), bar);
    return bar->controlsObject;
}

host::Ref<host::Dispatch> ControlObjectOf(OfficeState& state,
                                          const std::shared_ptr<ControlModel>& control) {
    if (!control->object)
        control->object = host::MakeRef<ControlObject>(state.weak_from_this(), control,
                                                       KindOf(control->data.type));
    return control->object;
}

namespace {
constexpr std::string_view kInvalidArgument = "Invalid procedure call or argument";

const host::Variant& RequirePutValue(const CallArgs& args) {
    const host::Variant* value = args.PutValue();
    if (!value)
        throw base::Error(base::hr::DispParamNotFound, "A put without a value");
    return *value;
}
} // namespace

std::optional<std::int32_t> OptionalInt(const CallArgs& args, std::uint32_t position) {
    if (!args.IsGiven(position))
        return std::nullopt;
    try {
        return args.At(position)->ToInt32();
    } catch (const base::Error&) {
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    }
}

std::optional<bool> OptionalBool(const CallArgs& args, std::uint32_t position) {
    if (!args.IsGiven(position))
        return std::nullopt;
    try {
        return args.At(position)->ToBool();
    } catch (const base::Error&) {
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    }
}

std::optional<std::u16string> OptionalText(const CallArgs& args, std::uint32_t position) {
    if (!args.IsGiven(position))
        return std::nullopt;
    const host::Variant& value = args.At(position)->Deref();
    if (!value.Is(host::Variant::Kind::String))
        RaiseOffice(base::hr::InvalidArg, kInvalidArgument);
    return value.ToString();
}

std::int32_t PutInt(const CallArgs& args) {
    try {
        return RequirePutValue(args).ToInt32();
    } catch (const base::Error& error) {
        throw ArgumentFailure{error.Code(), args.PutComIndex()};
    }
}

bool PutBool(const CallArgs& args) {
    try {
        return RequirePutValue(args).ToBool();
    } catch (const base::Error& error) {
        throw ArgumentFailure{error.Code(), args.PutComIndex()};
    }
}

std::u16string PutText(const CallArgs& args) {
    try {
        return RequirePutValue(args).ToString();
    } catch (const base::Error& error) {
        throw ArgumentFailure{error.Code(), args.PutComIndex()};
    }
}

host::Ref<host::Dispatch> PutObjectValue(const CallArgs& args) {
    try {
        return RequirePutValue(args).ToObject();
    } catch (const base::Error& error) {
        throw ArgumentFailure{error.Code(), args.PutComIndex()};
    }
}

} // namespace tarvex::sim::detail

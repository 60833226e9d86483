// The invoke pipeline that every simulated object runs its calls through, and the lookup of
// names for GetIDsOfNames.

#include <algorithm>
#include <new>

#include "base/error.h"
#include "base/text.h"
#include "host/automation.h"
#include "sim/automation/automation_objects.h"

namespace tarvex::sim::detail {

namespace {
using base::HResult;
using host::Variant;
namespace hr = base::hr;

constexpr host::InvokeFlags kPutKinds = host::invoke::PropertyPut | host::invoke::PropertyPutRef;
constexpr host::InvokeFlags kGetKinds = host::invoke::Method | host::invoke::PropertyGet;

bool IsPut(host::InvokeFlags flags) noexcept {
    return (flags & kPutKinds) != 0;
}

// Getters answer a method call as well as a property get (late-bound callers often pass
// both flags); methods need the method flag. A put must be of a kind the property takes and
// cannot be combined with a get or call.
bool AcceptsKind(const MemberInfo& member, host::InvokeFlags flags) noexcept {
    if (IsPut(flags))
        return (flags & kGetKinds) == 0 && (flags & member.puts) != 0;
    if ((flags & kGetKinds) == 0)
        return false;
    return !member.method || (flags & host::invoke::Method) != 0;
}

const MemberInfo* FindMember(const ClassInfo& type, host::DispId id) noexcept {
    for (const MemberInfo& member : type.members) {
        if (member.id == id)
            return &member;
    }
    return nullptr;
}

std::string MemberName(const ClassInfo& type, const MemberInfo* member, host::DispId id) {
    std::string name(type.name);
    name += '.';
    if (member)
        name += member->name;
    else
        name += '#' + std::to_string(id);
    return name;
}

// The arguments in declaration order: positional ones first (COM lists them last-first),
// named ones at their positions, gaps described as Missing, a put value last.
std::vector<std::string> DescribeArgs(const host::DispParams& params) {
    std::vector<std::string> described;
    if (!params.args)
        return described;
    const std::uint32_t named = std::min(params.namedCount, params.argCount);
    const std::uint32_t positional = params.argCount - named;
    for (std::uint32_t i = 0; i < positional; ++i)
        described.push_back(params.args[params.argCount - 1 - i].Describe());
    std::string putValue;
    for (std::uint32_t i = 0; i < named && params.namedIds; ++i) {
        const host::DispId id = params.namedIds[i];
        if (id == host::dispid::PropertyPut) {
            putValue = params.args[i].Describe();
        } else if (id >= 0 && id < 256) {
            const auto position = static_cast<std::size_t>(id);
            if (described.size() <= position)
                described.resize(position + 1, Variant::Missing().Describe());
            described[position] = params.args[i].Describe();
        }
    }
    if (!putValue.empty())
        described.push_back(std::move(putValue));
    return described;
}

// Checks the argument count and names against the member's declaration, as automation's
// dispatch does before a member runs. A put carries its value under the named id
// PropertyPut; without it the put has no value.
HResult CheckArguments(const MemberInfo& member, host::InvokeFlags flags,
                       const host::DispParams& params, std::uint32_t* argErr) {
    const std::uint32_t declared = static_cast<std::uint32_t>(member.params.size());
    const std::uint32_t named = std::min(params.namedCount, params.argCount);
    if (params.argCount > 0 && !params.args)
        return hr::InvalidArg;
    if (named > 0 && !params.namedIds)
        return hr::InvalidArg;
    if (IsPut(flags) && !CallArgs(params).PutValue())
        return hr::DispParamNotFound;
    if (params.argCount - named > declared)
        return hr::DispBadParamCount;
    bool putValue = false;
    for (std::uint32_t i = 0; i < named; ++i) {
        const host::DispId id = params.namedIds[i];
        if (id == host::dispid::PropertyPut && IsPut(flags) && !putValue) {
            putValue = true;
            continue;
        }
        if (id < 0 || static_cast<std::uint32_t>(id) >= declared) {
            if (argErr)
                *argErr = i;
            return hr::DispParamNotFound;
        }
    }
    const CallArgs args(params);
    for (std::uint32_t position = 0; position < member.required; ++position) {
        if (!args.IsGiven(position)) {
            if (argErr && args.At(position))
                *argErr = args.ComIndex(position);
            return hr::DispParamNotOptional;
        }
    }
    return hr::Ok;
}

HResult AnswerException(RaisedException raised, host::ExcepInfo* excepInfo) {
    if (excepInfo) {
        *excepInfo = {};
        excepInfo->source = std::move(raised.source);
        excepInfo->description = std::move(raised.description);
        excepInfo->scode = raised.scode;
    }
    return hr::DispException;
}

} // namespace

HResult RunInvoke(CallLog& log, const MemberCaller& caller, MemberCall call, host::DispId id,
                  const base::Guid& iid, std::uint32_t locale, host::InvokeFlags flags,
                  const host::DispParams& params, Variant* result, host::ExcepInfo* excepInfo,
                  std::uint32_t* argErr) {
    try {
        const ClassInfo& type = caller.Class();
        const MemberInfo* member = FindMember(type, id);
        const std::optional<HResult> injected =
            log.RecordCall(MemberName(type, member, id), flags, locale, DescribeArgs(params));
        if (injected) {
            if (*injected == hr::DispException)
                return AnswerException(caller.Failure(member), excepInfo);
            return *injected;
        }
        if (iid != host::iid::Null)
            return hr::DispUnknownInterface;
        if (!member || !AcceptsKind(*member, flags))
            return hr::DispMemberNotFound;
        if (const HResult checked = CheckArguments(*member, flags, params, argErr);
            base::Failed(checked))
            return checked;
        try {
            Variant value = call(*member, CallArgs(params));
            // A put answers no value.
            if (result && !IsPut(flags))
                *result = std::move(value);
            return hr::Ok;
        } catch (const ArgumentFailure& failure) {
            if (argErr)
                *argErr = failure.comIndex;
            return failure.code;
        } catch (const MemberFailure&) {
            return AnswerException(caller.Failure(member), excepInfo);
        } catch (RaisedException& raised) {
            return AnswerException(std::move(raised), excepInfo);
        }
    } catch (...) {
        // Failures of the simulation itself answer as a server's do.
        return base::CatchCurrentFailure(hr::Unexpected).code;
    }
}

HResult LookUpNames(CallLog& log, const ClassInfo& type, const base::Guid& iid,
                    std::uint32_t locale, std::span<const std::u16string> names,
                    std::span<host::DispId> ids) {
    try {
        std::vector<std::string> described;
        for (const std::u16string& name : names)
            described.push_back(Variant(name).Describe());
        const std::optional<HResult> injected = log.RecordCall(
            std::string(type.name) + ".GetIDsOfNames", 0, locale, std::move(described));
        if (injected) {
            std::fill(ids.begin(), ids.end(), host::dispid::Unknown);
            return *injected;
        }
        return ResolveNames(type, iid, names, ids);
    } catch (...) {
        return base::CatchCurrentFailure(base::hr::OutOfMemory).code;
    }
}

HResult ResolveNames(const ClassInfo& type, const base::Guid& iid,
                     std::span<const std::u16string> names, std::span<host::DispId> ids) {
    if (iid != host::iid::Null)
        return hr::DispUnknownInterface;
    if (ids.size() < names.size())
        return hr::InvalidArg;
    std::fill(ids.begin(), ids.end(), host::dispid::Unknown);
    if (names.empty())
        return hr::Ok;
    const MemberInfo* member = nullptr;
    for (const MemberInfo& candidate : type.members) {
        if (base::EqualsAsciiIgnoringCase(names[0], candidate.name))
            member = &candidate;
    }
    if (!member)
        return hr::DispUnknownName;
    ids[0] = member->id;
    HResult result = hr::Ok;
    for (std::size_t i = 1; i < names.size(); ++i) {
        for (std::size_t p = 0; p < member->params.size(); ++p) {
            if (base::EqualsAsciiIgnoringCase(names[i], member->params[p]))
                ids[i] = static_cast<host::DispId>(p);
        }
        if (ids[i] == host::dispid::Unknown)
            result = hr::DispUnknownName;
    }
    return result;
}

} // namespace tarvex::sim::detail

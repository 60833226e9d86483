#include "automation.h"

#include <algorithm>
#include <bitset>
#include <vector>

#include "base/error.h"
#include "base/text.h"

namespace tarvex::host {

namespace {
[[noreturn]] void ThrowCallFailure(base::HResult code, std::string_view memberName,
                                   const ExcepInfo& excep) {
    std::string message(memberName);
    message += " failed (";
    message += base::FormatHResult(code);
    message += ')';
    if (code == base::hr::DispException && !excep.description.empty()) {
        message += ": ";
        message += base::Utf16ToUtf8(excep.description);
    }
    // An exception raised by the callee carries its own code in scode.
    const base::HResult reported =
        code == base::hr::DispException && base::Failed(excep.scode) ? excep.scode : code;
    throw base::Error(reported, std::move(message));
}
} // namespace

Variant Call(Dispatch& object, DispId member, InvokeFlags kind, std::uint32_t locale,
             std::span<const Variant> args, std::string_view memberName) {
    std::vector<Variant> comOrder(args.rbegin(), args.rend());
    const DispParams params{comOrder.data(), nullptr, static_cast<std::uint32_t>(comOrder.size()),
                            0};
    Variant result;
    ExcepInfo excep;
    const base::HResult code =
        object.Invoke(member, iid::Null, locale, kind, params, &result, &excep, nullptr);
    if (base::Failed(code))
        ThrowCallFailure(code, memberName, excep);
    return result;
}

void Put(Dispatch& object, DispId member, std::uint32_t locale, const Variant& value,
         std::string_view memberName) {
    Variant arg = value;
    const DispId named = dispid::PropertyPut;
    const DispParams params{&arg, &named, 1, 1};
    ExcepInfo excep;
    const base::HResult code = object.Invoke(member, iid::Null, locale, invoke::PropertyPut, params,
                                             nullptr, &excep, nullptr);
    if (base::Failed(code))
        ThrowCallFailure(code, memberName, excep);
}

bool DispArgs::WellFormed() const noexcept {
    const std::uint32_t count = m_params.argCount;
    const std::uint32_t named = m_params.namedCount;
    if ((count > 0 && !m_params.args) || named > count || (named > 0 && !m_params.namedIds))
        return false;
    // The named ids must be the last `named` positions, each once. Calls name a handful at
    // most, so a fixed set of bits serves them without allocating; longer lists take a vector.
    const std::uint32_t positional = count - named;
    std::bitset<64> small;
    std::vector<bool> large(named > small.size() ? named : 0, false);
    for (std::uint32_t i = 0; i < named; ++i) {
        const DispId id = m_params.namedIds[i];
        if (id < 0 || static_cast<std::uint32_t>(id) < positional ||
            static_cast<std::uint32_t>(id) >= count)
            return false;
        const std::uint32_t slot = static_cast<std::uint32_t>(id) - positional;
        if (large.empty()) {
            if (small.test(slot))
                return false;
            small.set(slot);
        } else {
            if (large[slot])
                return false;
            large[slot] = true;
        }
    }
    return true;
}

const Variant* DispArgs::At(std::uint32_t position) const noexcept {
    if (!m_params.args)
        return nullptr;
    const std::uint32_t named = std::min(m_params.namedCount, m_params.argCount);
    for (std::uint32_t i = 0; i < named; ++i) {
        if (m_params.namedIds && m_params.namedIds[i] >= 0 &&
            static_cast<std::uint32_t>(m_params.namedIds[i]) == position)
            return &m_params.args[i];
    }
    const std::uint32_t positional = m_params.argCount - named;
    if (position >= positional)
        return nullptr;
    return &m_params.args[m_params.argCount - 1 - position];
}

bool DispArgs::IsGiven(std::uint32_t position) const noexcept {
    const Variant* arg = At(position);
    return arg && !arg->IsMissing();
}

const Variant* DispArgs::PutValue() const noexcept {
    if (!m_params.args)
        return nullptr;
    const std::uint32_t named = std::min(m_params.namedCount, m_params.argCount);
    for (std::uint32_t i = 0; i < named; ++i) {
        if (m_params.namedIds && m_params.namedIds[i] == dispid::PropertyPut)
            return &m_params.args[i];
    }
    return nullptr;
}

std::uint32_t DispArgs::ComIndex(std::uint32_t position) const noexcept {
    const Variant* arg = At(position);
    return arg ? static_cast<std::uint32_t>(arg - m_params.args) : 0;
}

std::uint32_t DispArgs::PutComIndex() const noexcept {
    const Variant* value = PutValue();
    return value ? static_cast<std::uint32_t>(value - m_params.args) : 0;
}

const Variant& DispArgs::Required(std::uint32_t position, std::string_view what) const {
    const Variant* arg = At(position);
    if (!arg || arg->IsMissing())
        throw base::Error(base::hr::DispParamNotFound,
                          "Argument not optional: " + std::string(what));
    return *arg;
}

void WriteBack(const Variant& argument, Variant value) {
    if (argument.Is(Variant::Kind::ByRef))
        argument.Target() = std::move(value);
}

} // namespace tarvex::host

#pragma once

// Late-bound calls in both directions: calling a member with its arguments in declaration
// order (the caller side of every typed wrapper), and reading the arguments an Invoke
// received by their declaration position (the callee side of simulated objects and sinks).

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "object.h"
#include "variant.h"

namespace tarvex::host {

/// Calls `member` of `object` with `args` in declaration order (reversed here into COM's
/// order). An omitted argument in the middle is Variant::Missing(); omitted trailing ones
/// are simply not passed. Throws Error on failure: the callee's code and a message naming
/// `memberName`, with the callee's description when it raised an exception.
Variant Call(Dispatch& object, DispId member, InvokeFlags kind, std::uint32_t locale,
             std::span<const Variant> args, std::string_view memberName);

inline Variant Call(Dispatch& object, DispId member, InvokeFlags kind, std::uint32_t locale,
                    std::initializer_list<Variant> args, std::string_view memberName) {
    return Call(object, member, kind, locale, std::span<const Variant>(args.begin(), args.size()),
                memberName);
}

/// Sets property `member` of `object` to `value` (a put with the named id PropertyPut).
void Put(Dispatch& object, DispId member, std::uint32_t locale, const Variant& value,
         std::string_view memberName);

/// The arguments of one Invoke, by declaration position: the one reader of COM's argument
/// array for every callee (event sinks, ribbon callbacks, simulated objects). Positional
/// arguments fill the first positions (COM lists them last-first); a named argument sits at
/// the position its id gives. Reading never goes outside what the caller passed.
class DispArgs {
public:
    explicit DispArgs(const DispParams& params) noexcept
        : m_params(params) {}

    /// Whether the arguments of a method call are laid out as COM lays them out: an array
    /// when there are any, no more names than arguments, and every named id a distinct
    /// position below the argument count. Then positions 0 to Count() - 1 all hold one.
    bool WellFormed() const noexcept;

    /// Number of arguments passed, named ones included.
    std::uint32_t Count() const noexcept { return m_params.args ? m_params.argCount : 0; }

    /// Number of positional arguments passed.
    std::uint32_t PositionalCount() const noexcept {
        return Count() - std::min(m_params.namedCount, Count());
    }

    /// The argument at declaration position `position`, or null when the caller passed none
    /// there (a Missing marker is returned as passed).
    const Variant* At(std::uint32_t position) const noexcept;

    /// True when an argument other than the Missing marker was passed at `position`.
    bool IsGiven(std::uint32_t position) const noexcept;

    /// The value of a property put (the argument named PropertyPut), or null.
    const Variant* PutValue() const noexcept;

    /// The index in COM's array of the argument at `position`, or of the put value: the
    /// index a bad argument is reported with (0 when there is none).
    std::uint32_t ComIndex(std::uint32_t position) const noexcept;
    std::uint32_t PutComIndex() const noexcept;

    /// The argument at `position`; throws Error(DISP_E_PARAMNOTFOUND) naming `what` when it
    /// is absent or Missing.
    const Variant& Required(std::uint32_t position, std::string_view what) const;

private:
    const DispParams& m_params;
};

/// Hands `value` back through a by-reference argument (Excel's Cancel, Office's
/// cancelDefault): the caller's variable behind `argument` takes it. An argument passed by
/// value carries nothing back, and nothing is written then.
void WriteBack(const Variant& argument, Variant value);

} // namespace tarvex::host

#pragma once

// Variant: an automation value as it crosses the seam (the portable VARIANT).

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "base/result.h"
#include "object.h"

namespace tarvex::host {

/// An automation value: empty, the "missing parameter" marker of an omitted optional
/// argument, Null, a boolean, a 32-bit integer, a double, a UTF-16 string, an object
/// (a null object is Excel's "nothing"), an error code, or a reference to another
/// Variant (a by-reference argument, whose target the callee may change).
///
/// The readers (ToBool, ToInt32...) read through a reference and convert between the
/// numeric kinds as OLE Automation does (True is -1); any other mismatch throws
/// Error(DISP_E_TYPEMISMATCH), an out-of-range number Error(DISP_E_OVERFLOW).
class Variant {
public:
    enum class Kind : std::uint8_t {
        Empty,
        Missing,
        Null,
        Bool,
        Int32,
        Double,
        String,
        Object,
        Error,
        ByRef,
    };

    Variant() noexcept = default;
    Variant(bool value) noexcept
        : m_value(std::in_place_type<bool>, value) {}
    Variant(std::int32_t value) noexcept
        : m_value(std::in_place_type<std::int32_t>, value) {}
    Variant(double value) noexcept
        : m_value(std::in_place_type<double>, value) {}
    Variant(std::u16string value) noexcept
        : m_value(std::in_place_type<std::u16string>, std::move(value)) {}
    Variant(std::u16string_view value)
        : m_value(std::in_place_type<std::u16string>, value) {}
    Variant(const char16_t* value)
        : m_value(std::in_place_type<std::u16string>, value) {}
    Variant(Ref<Dispatch> object) noexcept
        : m_value(std::in_place_type<ObjectValue>, ObjectValue{std::move(object)}) {}

    // Narrow text would silently become a boolean; say which encoding is meant instead.
    Variant(const char*) = delete;
    Variant(std::nullptr_t) = delete;

    /// The marker of an omitted optional argument (VT_ERROR, DISP_E_PARAMNOTFOUND).
    static Variant Missing() noexcept;
    static Variant Null() noexcept;
    /// A null object reference: Excel's "nothing".
    static Variant Nothing() noexcept;
    static Variant FromError(base::HResult code) noexcept;
    /// A by-reference argument that refers to `target`, which must outlive it.
    static Variant RefTo(Variant& target) noexcept;

    Kind GetKind() const noexcept { return static_cast<Kind>(m_value.index()); }
    bool Is(Kind kind) const noexcept { return GetKind() == kind; }

    /// The value this one refers to (itself unless it is a by-reference argument).
    const Variant& Deref() const noexcept;
    Variant& Deref() noexcept;

    bool IsEmpty() const noexcept { return Deref().Is(Kind::Empty); }
    bool IsMissing() const noexcept { return Deref().Is(Kind::Missing); }
    bool IsNull() const noexcept { return Deref().Is(Kind::Null); }
    /// True for a null object and for Empty, which Excel accepts in its place.
    bool IsNothing() const noexcept;

    bool ToBool() const;
    std::int32_t ToInt32() const;
    double ToDouble() const;
    const std::u16string& ToString() const;
    /// The object, or null for "nothing" (a null object or Empty).
    Ref<Dispatch> ToObject() const;
    base::HResult ToErrorCode() const;

    /// The target of a by-reference Variant; throws DISP_E_TYPEMISMATCH for other kinds.
    Variant& Target() const;

    /// Same kind and value; objects compare by identity, references by target address.
    friend bool operator==(const Variant& a, const Variant& b) noexcept;

    /// A short description for logs and test output: `Bool(true)`, `String("abc")`.
    std::string Describe() const;

private:
    struct MissingValue {
        friend bool operator==(MissingValue, MissingValue) = default;
    };
    struct NullValue {
        friend bool operator==(NullValue, NullValue) = default;
    };
    struct ObjectValue {
        Ref<Dispatch> object;
        friend bool operator==(const ObjectValue& a, const ObjectValue& b) {
            return a.object.Get() == b.object.Get();
        }
    };
    struct ErrorValue {
        base::HResult code;
        friend bool operator==(ErrorValue, ErrorValue) = default;
    };
    struct ByRefValue {
        Variant* target;
        friend bool operator==(ByRefValue, ByRefValue) = default;
    };

    // The order of the alternatives is the order of Kind.
    using Value = std::variant<std::monostate, MissingValue, NullValue, bool, std::int32_t, double,
                               std::u16string, ObjectValue, ErrorValue, ByRefValue>;

    [[noreturn]] void ThrowMismatch(std::string_view wanted) const;

    Value m_value;
};

/// The name of a kind, for messages: "Empty", "Int32"...
std::string_view KindName(Variant::Kind kind) noexcept;

} // namespace tarvex::host

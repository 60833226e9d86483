#include "variant.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "base/error.h"
#include "base/text.h"

namespace tarvex::host {

Variant Variant::Missing() noexcept {
    Variant v;
    v.m_value.emplace<MissingValue>();
    return v;
}

Variant Variant::Null() noexcept {
    Variant v;
    v.m_value.emplace<NullValue>();
    return v;
}

Variant Variant::Nothing() noexcept {
    return Variant(Ref<Dispatch>());
}

Variant Variant::FromError(base::HResult code) noexcept {
    Variant v;
    v.m_value.emplace<ErrorValue>(ErrorValue{code});
    return v;
}

Variant Variant::RefTo(Variant& target) noexcept {
    Variant v;
    v.m_value.emplace<ByRefValue>(ByRefValue{&target});
    return v;
}

const Variant& Variant::Deref() const noexcept {
    if (const auto* ref = std::get_if<ByRefValue>(&m_value))
        return *ref->target;
    return *this;
}

Variant& Variant::Deref() noexcept {
    if (auto* ref = std::get_if<ByRefValue>(&m_value))
        return *ref->target;
    return *this;
}

bool Variant::IsNothing() const noexcept {
    const Variant& v = Deref();
    if (v.Is(Kind::Empty))
        return true;
    const auto* object = std::get_if<ObjectValue>(&v.m_value);
    return object && !object->object;
}

void Variant::ThrowMismatch(std::string_view wanted) const {
    std::string message = "Type mismatch: ";
    message += KindName(Deref().GetKind());
    message += " where ";
    message += wanted;
    message += " was expected";
    throw base::Error(base::hr::DispTypeMismatch, std::move(message));
}

bool Variant::ToBool() const {
    const Value& value = Deref().m_value;
    if (const auto* b = std::get_if<bool>(&value))
        return *b;
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return *i != 0;
    if (const auto* d = std::get_if<double>(&value))
        return *d != 0.0;
    ThrowMismatch("Bool");
}

std::int32_t Variant::ToInt32() const {
    const Value& value = Deref().m_value;
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return *i;
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? -1 : 0;
    if (const auto* d = std::get_if<double>(&value)) {
        // OLE Automation rounds half to even when it narrows a double.
        const double rounded = std::nearbyint(*d);
        if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
              rounded <= std::numeric_limits<std::int32_t>::max()))
            throw base::Error(base::hr::DispOverflow, "Overflow converting a Double to Int32");
        return static_cast<std::int32_t>(rounded);
    }
    ThrowMismatch("Int32");
}

double Variant::ToDouble() const {
    const Value& value = Deref().m_value;
    if (const auto* d = std::get_if<double>(&value))
        return *d;
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return *i;
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? -1.0 : 0.0;
    ThrowMismatch("Double");
}

const std::u16string& Variant::ToString() const {
    if (const auto* s = std::get_if<std::u16string>(&Deref().m_value))
        return *s;
    ThrowMismatch("String");
}

Ref<Dispatch> Variant::ToObject() const {
    const Variant& v = Deref();
    if (const auto* object = std::get_if<ObjectValue>(&v.m_value))
        return object->object;
    if (v.Is(Kind::Empty))
        return nullptr;
    ThrowMismatch("Object");
}

base::HResult Variant::ToErrorCode() const {
    const Variant& v = Deref();
    if (const auto* error = std::get_if<ErrorValue>(&v.m_value))
        return error->code;
    if (v.Is(Kind::Missing))
        return base::hr::DispParamNotFound;
    ThrowMismatch("Error");
}

Variant& Variant::Target() const {
    if (const auto* ref = std::get_if<ByRefValue>(&m_value))
        return *ref->target;
    ThrowMismatch("ByRef");
}

bool operator==(const Variant& a, const Variant& b) noexcept {
    return a.m_value == b.m_value;
}

std::string Variant::Describe() const {
    std::string text(KindName(GetKind()));
    switch (GetKind()) {
    case Kind::Bool:
        text += std::get<bool>(m_value) ? "(true)" : "(false)";
        break;
    case Kind::Int32:
        text += '(' + std::to_string(std::get<std::int32_t>(m_value)) + ')';
        break;
    case Kind::Double: {
        char number[32];
        std::snprintf(number, sizeof number, "(%.17g)", std::get<double>(m_value));
        text += number;
        break;
    }
    case Kind::String:
        text += "(\"" + base::Utf16ToUtf8(std::get<std::u16string>(m_value)) + "\")";
        break;
    case Kind::Object:
        if (!std::get<ObjectValue>(m_value).object)
            text += "(nothing)";
        break;
    case Kind::Error:
        text += '(' + base::FormatHResult(std::get<ErrorValue>(m_value).code) + ')';
        break;
    case Kind::ByRef:
        text += "->" + std::get<ByRefValue>(m_value).target->Describe();
        break;
    default:
        break;
    }
    return text;
}

std::string_view KindName(Variant::Kind kind) noexcept {
    switch (kind) {
    case Variant::Kind::Empty:
        return "Empty";
    case Variant::Kind::Missing:
        return "Missing";
    case Variant::Kind::Null:
        return "Null";
    case Variant::Kind::Bool:
        return "Bool";
    case Variant::Kind::Int32:
        return "Int32";
    case Variant::Kind::Double:
        return "Double";
    case Variant::Kind::String:
        return "String";
    case Variant::Kind::Object:
        return "Object";
    case Variant::Kind::Error:
        return "Error";
    case Variant::Kind::ByRef:
        return "ByRef";
    }
    return "?";
}

} // namespace tarvex::host

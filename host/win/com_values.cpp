// Conversion of values between VARIANT and host::Variant.

#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "base/error.h"
#include "host/win/com_adapters.h"
#include "host/win/wide_text.h"

namespace tarvex::win {

static_assert(sizeof(GUID) == sizeof(base::Guid));
static_assert(sizeof(DISPID) == sizeof(host::DispId));
static_assert(sizeof(OLECHAR) == sizeof(char16_t));

GUID ToGuid(const base::Guid& guid) noexcept {
    GUID result;
    result.Data1 = guid.data1;
    result.Data2 = guid.data2;
    result.Data3 = guid.data3;
    std::memcpy(result.Data4, guid.data4.data(), 8);
    return result;
}

base::Guid FromGuid(const GUID& guid) noexcept {
    base::Guid result;
    result.data1 = guid.Data1;
    result.data2 = guid.Data2;
    result.data3 = guid.Data3;
    std::memcpy(result.data4.data(), guid.Data4, 8);
    return result;
}

namespace {

[[noreturn]] void ThrowMismatch(VARTYPE type) {
    throw base::Error(base::hr::DispTypeMismatch, "Type mismatch: variant type " +
                                                      std::to_string(type) +
                                                      " has no automation value in the add-in");
}

template <class Integer>
host::Variant FromInteger(Integer value) {
    if (std::in_range<std::int32_t>(value))
        return host::Variant(static_cast<std::int32_t>(value));
    return host::Variant(static_cast<double>(value));
}

host::Variant FromString(BSTR text) {
    return host::Variant(std::u16string(ViewOf(text)));
}

host::Variant ThroughChangeType(const VARIANT& value) {
    UniqueVariant number;
    if (FAILED(::VariantChangeType(number.Put(), const_cast<VARIANT*>(&value), 0, VT_R8)))
        ThrowMismatch(value.vt);
    return host::Variant(number.Get().dblVal);
}

// Reads a value of type `type` (no VT_BYREF) stored at `data`, which is either a VARIANT's
// union or the target of a by-reference VARIANT.
host::Variant ReadValue(VARTYPE type, const void* data, const VARIANT& whole) {
    switch (type) {
    case VT_EMPTY:
        return {};
    case VT_NULL:
        return host::Variant::Null();
    case VT_BOOL:
        return host::Variant(*static_cast<const VARIANT_BOOL*>(data) != VARIANT_FALSE);
    case VT_I1:
        return host::Variant(static_cast<std::int32_t>(*static_cast<const CHAR*>(data)));
    case VT_UI1:
        return host::Variant(static_cast<std::int32_t>(*static_cast<const BYTE*>(data)));
    case VT_I2:
        return host::Variant(static_cast<std::int32_t>(*static_cast<const SHORT*>(data)));
    case VT_UI2:
        return host::Variant(static_cast<std::int32_t>(*static_cast<const USHORT*>(data)));
    case VT_I4:
        return host::Variant(static_cast<std::int32_t>(*static_cast<const LONG*>(data)));
    case VT_INT:
        return host::Variant(static_cast<std::int32_t>(*static_cast<const INT*>(data)));
    case VT_UI4:
        return FromInteger(*static_cast<const ULONG*>(data));
    case VT_UINT:
        return FromInteger(*static_cast<const UINT*>(data));
    case VT_I8:
        return FromInteger(*static_cast<const LONGLONG*>(data));
    case VT_UI8:
        return FromInteger(*static_cast<const ULONGLONG*>(data));
    case VT_R4:
        return host::Variant(static_cast<double>(*static_cast<const FLOAT*>(data)));
    case VT_R8:
        return host::Variant(*static_cast<const DOUBLE*>(data));
    case VT_DATE:
        return host::Variant(static_cast<double>(*static_cast<const DATE*>(data)));
    case VT_CY: {
        VARIANT copy;
        copy.vt = VT_CY;
        copy.cyVal = *static_cast<const CY*>(data);
        return ThroughChangeType(copy);
    }
    case VT_DECIMAL: {
        VARIANT copy;
        copy.decVal = *static_cast<const DECIMAL*>(data);
        copy.vt = VT_DECIMAL;
        return ThroughChangeType(copy);
    }
    case VT_BSTR:
        return FromString(*static_cast<const BSTR*>(data));
    case VT_DISPATCH:
        return host::Variant(FromCom(*static_cast<IDispatch* const*>(data)));
    case VT_UNKNOWN: {
        IUnknown* object = *static_cast<IUnknown* const*>(data);
        if (!object)
            return host::Variant::Nothing();
        host::Ref<host::Dispatch> dispatch = FromComUnknown(object);
        if (!dispatch)
            ThrowMismatch(whole.vt);
        return host::Variant(std::move(dispatch));
    }
    case VT_ERROR: {
        const SCODE code = *static_cast<const SCODE*>(data);
        if (code == DISP_E_PARAMNOTFOUND)
            return host::Variant::Missing();
        return host::Variant::FromError(code);
    }
    default:
        ThrowMismatch(whole.vt);
    }
}

} // namespace

host::Variant FromComVariant(const VARIANT& value) {
    if (value.vt == (VT_BYREF | VT_VARIANT)) {
        if (!value.pvarVal)
            ThrowMismatch(value.vt);
        return FromComVariant(*value.pvarVal);
    }
    if (value.vt & VT_BYREF) {
        if (!value.byref)
            ThrowMismatch(value.vt);
        return ReadValue(static_cast<VARTYPE>(value.vt & ~VT_BYREF), value.byref, value);
    }
    if (value.vt == VT_DECIMAL)
        return ReadValue(VT_DECIMAL, &value.decVal, value);
    return ReadValue(value.vt, &value.llVal, value);
}

void ToComVariant(const host::Variant& value, VARIANT& target) {
    using Kind = host::Variant::Kind;
    switch (value.GetKind()) {
    case Kind::Empty:
        target.vt = VT_EMPTY;
        return;
    case Kind::Missing:
        target.vt = VT_ERROR;
        target.scode = DISP_E_PARAMNOTFOUND;
        return;
    case Kind::Null:
        target.vt = VT_NULL;
        return;
    case Kind::Bool:
        target.vt = VT_BOOL;
        target.boolVal = value.ToBool() ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    case Kind::Int32:
        target.vt = VT_I4;
        target.lVal = value.ToInt32();
        return;
    case Kind::Double:
        target.vt = VT_R8;
        target.dblVal = value.ToDouble();
        return;
    case Kind::String: {
        const std::u16string& text = value.ToString();
        BSTR copy = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                        static_cast<UINT>(text.size()));
        if (!copy)
            throw std::bad_alloc();
        target.vt = VT_BSTR;
        target.bstrVal = copy;
        return;
    }
    case Kind::Object:
        target.vt = VT_DISPATCH;
        target.pdispVal = ToCom(value.ToObject().Get()).Detach();
        return;
    case Kind::Error:
        target.vt = VT_ERROR;
        target.scode = value.ToErrorCode();
        return;
    case Kind::ByRef:
        break;
    }
    throw base::Error(base::hr::DispTypeMismatch,
                      "Type mismatch: a by-reference value cannot be stored in a VARIANT");
}

namespace {
template <class Integer>
Integer Narrow(const host::Variant& value) {
    const long long number = value.ToInt32();
    if (number < static_cast<long long>(std::numeric_limits<Integer>::min()) ||
        number > static_cast<long long>(std::numeric_limits<Integer>::max()))
        throw base::Error(base::hr::DispOverflow, "Overflow writing a by-reference argument");
    return static_cast<Integer>(number);
}
} // namespace

void WriteThroughReference(const host::Variant& value, const VARIANT& reference) {
    if (!(reference.vt & VT_BYREF) || !reference.byref)
        ThrowMismatch(reference.vt);
    switch (reference.vt & ~VT_BYREF) {
    case VT_VARIANT: {
        UniqueVariant converted;
        ToComVariant(value, *converted.Put());
        ::VariantClear(reference.pvarVal);
        *reference.pvarVal = converted.Detach();
        return;
    }
    case VT_BOOL:
        *reference.pboolVal = value.ToBool() ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    case VT_I1:
        *reference.pcVal = Narrow<CHAR>(value);
        return;
    case VT_UI1:
        *reference.pbVal = Narrow<BYTE>(value);
        return;
    case VT_I2:
        *reference.piVal = Narrow<SHORT>(value);
        return;
    case VT_UI2:
        *reference.puiVal = Narrow<USHORT>(value);
        return;
    case VT_I4:
        *reference.plVal = value.ToInt32();
        return;
    case VT_INT:
        *reference.pintVal = value.ToInt32();
        return;
    case VT_R4:
        *reference.pfltVal = static_cast<FLOAT>(value.ToDouble());
        return;
    case VT_R8:
        *reference.pdblVal = value.ToDouble();
        return;
    case VT_DATE:
        *reference.pdate = value.ToDouble();
        return;
    case VT_BSTR: {
        const std::u16string& text = value.Deref().ToString();
        BSTR copy = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                        static_cast<UINT>(text.size()));
        if (!copy)
            throw std::bad_alloc();
        ::SysFreeString(*reference.pbstrVal);
        *reference.pbstrVal = copy;
        return;
    }
    case VT_DISPATCH: {
        IDispatch* object = ToCom(value.ToObject().Get()).Detach();
        if (IDispatch* old = *reference.ppdispVal)
            old->Release();
        *reference.ppdispVal = object;
        return;
    }
    case VT_ERROR:
        *reference.pscode = value.ToErrorCode();
        return;
    default:
        ThrowMismatch(reference.vt);
    }
}

} // namespace tarvex::win

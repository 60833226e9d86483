#pragma once

// COM adapters in both directions, and the conversion of values between VARIANT and
// host::Variant.
//
// Client: a real IDispatch seen as a seam object (ClientDispatch), with its connection
// points. Server: a seam object seen as a real COM object (its IDispatch, and its
// IConnectionPointContainer when the object answers one). A server adapter forwards every
// AddRef and Release that COM callers make to the seam object, so the object's own count
// moves with its COM references; while it lives it holds a host::ModuleLock.
//
// Round trips never add layers: converting one of our own server adapters back gives the
// seam object it serves, and converting a client adapter back gives the COM pointer it
// wraps. All of this runs on the apartment's one thread.

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <ole2.h>

#include "host/object.h"
#include "host/variant.h"
#include "host/win/handles.h"

namespace tarvex::win {

GUID ToGuid(const base::Guid& guid) noexcept;
base::Guid FromGuid(const GUID& guid) noexcept;

/// The seam object for a real COM object: our own server adapter unwraps to the object it
/// serves; anything else gets a client adapter. Null gives null.
host::Ref<host::Dispatch> FromCom(IDispatch* object);

/// As FromCom for an IUnknown: the object is asked for IDispatch first. Null when it has
/// none (the seam represents automation objects only).
host::Ref<host::Dispatch> FromComUnknown(IUnknown* object);

/// A new client adapter over `object`, even when it is one of our own server adapters.
/// Tests use it to force calls through the real IDispatch vtable.
host::Ref<host::Dispatch> WrapClient(IDispatch* object);

/// The real COM object for a seam object: a client adapter hands back the pointer it wraps;
/// any other object is served by a server adapter, one per object while it is alive.
ComPtr<IDispatch> ToCom(host::Dispatch* object);

/// Converts a VARIANT (by-reference kinds are read through) to a seam value. Types without
/// an exact seam kind convert to the nearest one (VT_I2 to Int32, VT_R4 and VT_DATE to
/// Double...); arrays, records and the like throw Error(DISP_E_TYPEMISMATCH).
host::Variant FromComVariant(const VARIANT& value);

/// Writes a seam value into `target`, which must be empty (VariantInit). By-reference seam
/// values cannot be stored this way and throw Error(DISP_E_TYPEMISMATCH).
void ToComVariant(const host::Variant& value, VARIANT& target);

/// Stores `value` through a by-reference VARIANT (VT_BYREF | type), in the caller's own type:
/// a VT_BYREF|VT_BOOL receives VARIANT_TRUE or VARIANT_FALSE, a VT_BYREF|VT_VARIANT any
/// value. Throws Error(DISP_E_TYPEMISMATCH) or Error(DISP_E_OVERFLOW) when it does not fit.
void WriteThroughReference(const host::Variant& value, const VARIANT& reference);

} // namespace tarvex::win

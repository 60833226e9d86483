#pragma once

// What the two halves of the COM adapters share: com_served.cpp serves seam objects as COM
// objects, com_client.cpp wraps COM objects as seam objects, and each hands the other the
// objects that cross back.

#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>

#include "host/automation.h"
#include "host/object.h"
#include "host/win/handles.h"

namespace tarvex::win::detail {

// What an adapter answers for the exception it caught (call inside a catch block).
inline HRESULT CaughtResult() noexcept {
    return base::CatchCurrentFailure(E_UNEXPECTED).code;
}

/// The seam object that `object` serves when it is a server adapter of this module, else null.
host::Dispatch* ServedBy(IDispatch* object) noexcept;
/// The COM object that `object` wraps when it is a client adapter, else null.
IDispatch* WrappedBy(host::Dispatch* object) noexcept;

/// The adapters of a seam connection point container and connection point, served.
ComPtr<IConnectionPointContainer> MakeServerContainer(IDispatch* owner,
                                                      host::ConnectionPointContainer* container);
ComPtr<IConnectionPoint> MakeServerPoint(IConnectionPointContainer* container,
                                         host::ConnectionPoint* point);
/// The adapters of a COM connection point container and connection point, as seam objects.
host::Ref<host::ConnectionPointContainer> MakeClientContainer(IConnectionPointContainer* object);
host::Ref<host::ConnectionPoint> MakeClientPoint(IConnectionPoint* object);

} // namespace tarvex::win::detail

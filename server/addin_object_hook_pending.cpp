// Until the add-in object exists, the factory creates nothing and says so. The add-in
// object's own source defines CreateAddinObject and this file goes.

#include "server/addin_object_hook.h"

namespace tarvex::server {

HRESULT CreateAddinObject(const framework::TadxFactory& /*factory*/, REFIID /*iid*/,
                          void** object) noexcept {
    if (object)
        *object = nullptr;
    return E_NOTIMPL;
}

} // namespace tarvex::server

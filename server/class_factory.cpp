#include "server/class_factory.h"

#include "server/addin_object_hook.h"
#include "server/server_counts.h"

namespace tarvex::server {

ClassFactory::ClassFactory(const framework::TadxFactory& factory) noexcept
    : m_factory(factory) {
    FactoryCreated();
}

ClassFactory::~ClassFactory() {
    FactoryDestroyed();
}

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
    return ++m_references;
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    const ULONG remaining = --m_references;
    if (remaining == 0)
        delete this;
    return remaining;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return CreateAddinObject(m_factory, iid, object);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        AddServerLock();
    else
        RemoveServerLock();
    return S_OK;
}

} // namespace tarvex::server

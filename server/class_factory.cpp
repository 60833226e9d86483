#include "server/class_factory.h"

#include <memory>
#include <mutex>
#include <vector>

#include "base/error.h"
#include "server/addin_object_hook.h"

namespace tarvex::server {

namespace {
// The locks taken through LockServer(TRUE) and not yet given back. COM may call from any
// thread of the process.
std::mutex g_serverLocksGuard;
std::vector<std::unique_ptr<host::ModuleLock>> g_serverLocks;
} // namespace

ClassFactory::ClassFactory(const framework::TadxFactory& factory) noexcept
    : m_factory(factory) {}

ClassFactory::~ClassFactory() = default;

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
    try {
        const std::lock_guard<std::mutex> guard(g_serverLocksGuard);
        // An unlock without a lock gives nothing back: it must not hide a later lock.
        if (lock)
            g_serverLocks.push_back(std::make_unique<host::ModuleLock>());
        else if (!g_serverLocks.empty())
            g_serverLocks.pop_back();
        return S_OK;
    } catch (...) {
        return base::CatchCurrentFailure(E_UNEXPECTED).code;
    }
}

} // namespace tarvex::server

#pragma once

// The COM class factory of qorvel.dll: one object per DllGetClassObject call, creating add-in
// objects for the server's one TadxFactory. While any caller holds a factory, or a lock
// taken through LockServer, the DLL stays loaded (each holds a host::ModuleLock).

#include <windows.h>

#include <unknwn.h>

#include <atomic>

#include "host/module_lock.h"

namespace tarvex::framework {
class TadxFactory;
}

namespace tarvex::server {

class ClassFactory final : public IClassFactory {
public:
    /// A factory with no reference yet: host::MakeRef hands out the first.
    explicit ClassFactory(const framework::TadxFactory& factory) noexcept;
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    /// Aggregation is refused (CLASS_E_NOAGGREGATION).
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ~ClassFactory();

    std::atomic<ULONG> m_references{0};
    const framework::TadxFactory& m_factory;
    host::ModuleLock m_moduleLock;
};

} // namespace tarvex::server

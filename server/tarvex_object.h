#pragma once

// TTarvex: the COM class Tarvex that Office creates. It is the portable add-in object
// (framework::TadxAddin) behind the interfaces Office calls, in the order of the object's
// interface table: ICustomTaskPaneConsumer, IRibbonExtensibility, the frame's forwarding
// interface, IDTExtensibility2, and the type library's dual ITarvex. All of them share one
// IDispatch: the type library's members first, then the ribbon callbacks.

#include <windows.h>

#include <oaidl.h>

#include <atomic>

#include "framework/addin_object.h"
#include "host/module_lock.h"
#include "host/win/handles.h"
#include "server/connection_methods.h"
#include "server/object_dispatch.h"

namespace tarvex::server {

/// IRibbonExtensibility {000C0396-0000-0000-C000-000000000046}: Office asks for the customUI
/// document of each ribbon it shows.
struct IRibbonExtensibility : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) = 0;
};

/// The frame's forwarding interface {7175D144-097E-4CB1-B3BD-9CA72BC05BD6}: one operation
/// whose seven arguments go to the module's handler. Nothing in Office calls it; the
/// arguments are passed by pointer, as an automation client passes variants it lets the
/// callee change.
struct ITadxForwarding : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Forward(VARIANT* a1, VARIANT* a2, VARIANT* a3, VARIANT* a4,
                                              VARIANT* a5, VARIANT* a6, VARIANT* a7) = 0;
};

/// The type library's dual interface ITarvex: no members of its own.
struct ITarvex : IDispatch {};

inline constexpr GUID kIidRibbonExtensibility = {
    0x000C0396, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kIidTadxForwarding = {
    0x7175D144, 0x097E, 0x4CB1, {0xB3, 0xBD, 0x9C, 0xA7, 0x2B, 0xC0, 0x5B, 0xD6}};

class TTarvex final : public TadxConnectionMethods<TTarvex>,
                      public IRibbonExtensibility,
                      public ITadxForwarding,
                      public ITarvex {
public:
    /// A new object, held by the reference returned. Throws on failure.
    static win::ComPtr<ITarvex> Create(const framework::TadxFactory& factory);

    TTarvex(const TTarvex&) = delete;
    TTarvex& operator=(const TTarvex&) = delete;

    framework::TadxAddin& AddinObject() noexcept { return m_addin; }

    // IUnknown.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, shared by every interface.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argErr) override;

    // IRibbonExtensibility.
    STDMETHODIMP GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) override;

    // The forwarding interface.
    STDMETHODIMP Forward(VARIANT* a1, VARIANT* a2, VARIANT* a3, VARIANT* a4, VARIANT* a5,
                         VARIANT* a6, VARIANT* a7) override;

private:
    explicit TTarvex(const framework::TadxFactory& factory);
    ~TTarvex();

    std::atomic<ULONG> m_references{1};
    host::ModuleLock m_moduleLock;
    framework::TadxAddin m_addin;
    ObjectDispatch m_dispatch;
};

} // namespace tarvex::server

#pragma once

// The connection side of the add-in's COM class: IDTExtensibility2 and
// ICustomTaskPaneConsumer as Office calls them, converted and forwarded to the portable
// add-in object. Each method answers the add-in object's result code, with error
// information (source: the ProgID; description: the message) for a failure. The COM class
// derives from TadxConnectionMethods<Itself> and supplies AddinObject() and its one
// IDispatch implementation.

#include <windows.h>

#include <oaidl.h>

#include <cstdint>
#include <ole2.h>
#include <string_view>

#include "framework/addin_object.h"
#include "framework/factory.h"
#include "host/win/com_adapters.h"
#include "host/win/handles.h"

namespace tarvex::server {

/// IDTExtensibility2 {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}: how Office connects a COM
/// add-in. The custom arrays are never looked at.
struct IDTExtensibility2 : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, int connectMode,
                                                   IDispatch* addInInst, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(int removeMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

/// ICustomTaskPaneConsumer {000C033E-0000-0000-C000-000000000046}.
struct ICustomTaskPaneConsumer : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE CTPFactoryAvailable(IDispatch* factory) = 0;
};

inline constexpr GUID kIidDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};
inline constexpr GUID kIidCustomTaskPaneConsumer = {
    0x000C033E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

/// Hands an outcome to the COM caller: for a failure, error information with its source
/// and description is set for the calling thread. Returns the outcome's code.
inline HRESULT ReportOutcome(const framework::TadxCallOutcome& outcome, REFIID iid) noexcept {
    if (!outcome.Failed())
        return static_cast<HRESULT>(outcome.code);
    win::ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(::CreateErrorInfo(create.Put()))) {
        // Null BSTRs (empty texts, or no memory left) still make valid error information.
        const win::UniqueBstr source(
            ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(outcome.source.data()),
                                static_cast<UINT>(outcome.source.size())));
        const win::UniqueBstr description(
            ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(outcome.description.data()),
                                static_cast<UINT>(outcome.description.size())));
        create->SetGUID(iid);
        create->SetSource(source.Get());
        create->SetDescription(description.Get());
        win::ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, info.PutVoid())))
            ::SetErrorInfo(0, info.Get());
    }
    return static_cast<HRESULT>(outcome.code);
}

/// The seam object for an interface pointer Office passes (null for null); a failure to
/// convert becomes a failed outcome.
inline framework::TadxCallOutcome ConvertArgument(IDispatch* object, std::string_view progId,
                                                  host::Ref<host::Dispatch>& converted) noexcept {
    return framework::GuardAddinCall(progId, [&] { converted = win::FromCom(object); });
}

/// IDTExtensibility2 and ICustomTaskPaneConsumer over `Derived::AddinObject()` (a
/// framework::TadxAddin&).
template <class Derived>
class TadxConnectionMethods : public IDTExtensibility2, public ICustomTaskPaneConsumer {
public:
    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, int connectMode,
                                           IDispatch* addInInst, SAFEARRAY** /*custom*/) override {
        framework::TadxAddin& addin = Self().AddinObject();
        host::Ref<host::Dispatch> app;
        host::Ref<host::Dispatch> instance;
        framework::TadxCallOutcome outcome =
            ConvertArgument(application, addin.Factory().ProgId(), app);
        if (!outcome.Failed())
            outcome = ConvertArgument(addInInst, addin.Factory().ProgId(), instance);
        if (!outcome.Failed())
            outcome = addin.OnConnection(app, static_cast<std::int32_t>(connectMode), instance);
        return ReportOutcome(outcome, kIidDTExtensibility2);
    }
    HRESULT STDMETHODCALLTYPE OnDisconnection(int removeMode, SAFEARRAY** /*custom*/) override {
        return ReportOutcome(
            Self().AddinObject().OnDisconnection(static_cast<std::int32_t>(removeMode)),
            kIidDTExtensibility2);
    }
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** /*custom*/) override {
        return ReportOutcome(Self().AddinObject().OnAddInsUpdate(), kIidDTExtensibility2);
    }
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** /*custom*/) override {
        return ReportOutcome(Self().AddinObject().OnStartupComplete(), kIidDTExtensibility2);
    }
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** /*custom*/) override {
        return ReportOutcome(Self().AddinObject().OnBeginShutdown(), kIidDTExtensibility2);
    }
    HRESULT STDMETHODCALLTYPE CTPFactoryAvailable(IDispatch* factory) override {
        framework::TadxAddin& addin = Self().AddinObject();
        host::Ref<host::Dispatch> converted;
        framework::TadxCallOutcome outcome =
            ConvertArgument(factory, addin.Factory().ProgId(), converted);
        if (!outcome.Failed())
            outcome = addin.CTPFactoryAvailable(converted);
        return ReportOutcome(outcome, kIidCustomTaskPaneConsumer);
    }

private:
    Derived& Self() noexcept { return static_cast<Derived&>(*this); }
};

} // namespace tarvex::server

#pragma once

// Hand-written COM objects for the adapter tests: they speak raw COM through the real
// vtables, as Excel and Office do, without any of the project's adapters.

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <functional>
#include <ole2.h>
#include <string>
#include <vector>

namespace tarvex::testing {

/// Describes a VARIANT as the callee receives it: "VT_BYREF|VT_BOOL(0)", "VT_BSTR(B7)".
inline std::string DescribeComVariant(const VARIANT& value) {
    std::string text = (value.vt & VT_BYREF) ? "VT_BYREF|" : "";
    const VARTYPE type = value.vt & ~VT_BYREF;
    const bool ref = (value.vt & VT_BYREF) != 0;
    char number[64];
    switch (type) {
    case VT_EMPTY:
        return text + "VT_EMPTY";
    case VT_NULL:
        return text + "VT_NULL";
    case VT_BOOL:
        std::snprintf(number, sizeof number, "VT_BOOL(%d)", ref ? *value.pboolVal : value.boolVal);
        return text + number;
    case VT_I4:
        std::snprintf(number, sizeof number, "VT_I4(%ld)", ref ? *value.plVal : value.lVal);
        return text + number;
    case VT_R8:
        std::snprintf(number, sizeof number, "VT_R8(%g)", ref ? *value.pdblVal : value.dblVal);
        return text + number;
    case VT_ERROR:
        std::snprintf(number, sizeof number, "VT_ERROR(0x%08lX)",
                      static_cast<unsigned long>(ref ? *value.pscode : value.scode));
        return text + number;
    case VT_BSTR: {
        BSTR s = ref ? *value.pbstrVal : value.bstrVal;
        std::string narrow;
        for (UINT i = 0; s && i < SysStringLen(s); ++i)
            narrow.push_back(static_cast<char>(s[i]));
        return text + "VT_BSTR(" + narrow + ")";
    }
    case VT_DISPATCH: {
        IDispatch* object = ref ? *value.ppdispVal : value.pdispVal;
        return text + (object ? "VT_DISPATCH(object)" : "VT_DISPATCH(null)");
    }
    case VT_VARIANT:
        return text + "VT_VARIANT(" + (ref ? DescribeComVariant(*value.pvarVal) : "?") + ")";
    default:
        std::snprintf(number, sizeof number, "vt(%u)", static_cast<unsigned>(value.vt));
        return text + number;
    }
}

/// Counts its own references; the test reads them through AddRef/Release.
class RawUnknownBase {
public:
    ULONG Count() const { return m_count; }

protected:
    ULONG m_count = 1;
};

/// A raw IDispatch that records each Invoke (arguments in the order COM delivers them) and
/// answers through `onInvoke`. Owned by the test (starts with one reference).
class RawDispatch : public IDispatch, public RawUnknownBase {
public:
    struct Call {
        DISPID member;
        WORD flags;
        std::vector<std::string> args;
        std::vector<DISPID> named;
    };
    std::vector<Call> calls;
    std::function<HRESULT(DISPPARAMS*, VARIANT*, EXCEPINFO*)> onInvoke;
    IID answers = IID_IDispatch;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, answers)) {
            AddRef();
            *object = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_count; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_count; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        for (UINT i = 0; i < count; ++i)
            ids[i] = wcscmp(names[i], L"Click") == 0 ? 1 : DISPID_UNKNOWN;
        return ids[0] == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT*) override {
        Call call{member, flags, {}, {}};
        for (UINT i = 0; i < params->cArgs; ++i)
            call.args.push_back(DescribeComVariant(params->rgvarg[i]));
        call.named.assign(params->rgdispidNamedArgs,
                          params->rgdispidNamedArgs + params->cNamedArgs);
        calls.push_back(std::move(call));
        return onInvoke ? onInvoke(params, result, excep) : S_OK;
    }
};

/// A raw event source, shaped like Excel's Application: IDispatch plus one connection point
/// for the outgoing interface `events`. Sinks are asked for `events` when they are
/// advised, as Excel does. Owned by the test.
class RawEventSource : public IDispatch, public IConnectionPointContainer, public RawUnknownBase {
public:
    explicit RawEventSource(const IID& events)
        : m_point(this, events) {}

    /// Calls every advised sink with the given arguments (last argument first).
    void Fire(DISPID member, std::vector<VARIANT>& argsLastFirst) {
        DISPPARAMS params{argsLastFirst.data(), nullptr, static_cast<UINT>(argsLastFirst.size()),
                          0};
        for (IDispatch* sink : m_point.sinks) {
            if (sink)
                lastResult = sink->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                          &params, nullptr, nullptr, nullptr);
        }
    }
    std::size_t AdvisedCount() const {
        std::size_t n = 0;
        for (IDispatch* sink : m_point.sinks)
            n += sink != nullptr;
        return n;
    }
    HRESULT lastResult = E_FAIL;

    /// A further interface id the source answers with its IDispatch (Excel's _Application).
    IID alsoAnswers = IID_IDispatch;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, alsoAnswers)) {
            *object = static_cast<IDispatch*>(this);
        } else if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
            *object = static_cast<IConnectionPointContainer*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_count; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_count; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
        if (!IsEqualIID(riid, m_point.events)) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        m_point.AddRef();
        *point = &m_point;
        return S_OK;
    }

    class Point : public IConnectionPoint {
    public:
        Point(RawEventSource* owner, const IID& iid)
            : m_owner(owner)
            , events(iid) {}
        RawEventSource* m_owner;
        IID events;
        std::vector<IDispatch*> sinks;

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
                AddRef();
                *object = this;
                return S_OK;
            }
            *object = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return m_owner->AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return m_owner->Release(); }
        HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
            *iid = events;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE
        GetConnectionPointContainer(IConnectionPointContainer** container) override {
            return m_owner->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(container));
        }
        HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
            IDispatch* dispatch = nullptr;
            if (FAILED(sink->QueryInterface(events, reinterpret_cast<void**>(&dispatch))))
                return CONNECT_E_CANNOTCONNECT;
            sinks.push_back(dispatch);
            *cookie = static_cast<DWORD>(sinks.size());
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
            if (cookie == 0 || cookie > sinks.size() || !sinks[cookie - 1])
                return CONNECT_E_NOCONNECTION;
            sinks[cookie - 1]->Release();
            sinks[cookie - 1] = nullptr;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
    };

private:
    Point m_point;
};

} // namespace tarvex::testing

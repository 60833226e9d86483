// The server side of the COM adapters: seam objects seen as COM objects.

#include <atomic>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "base/error.h"
#include "host/module_lock.h"
#include "host/win/com_adapters.h"
#include "host/win/com_adapters_internal.h"
#include "host/win/wide_text.h"

namespace tarvex::win {

using detail::CaughtResult;
using detail::MakeServerContainer;
using detail::MakeServerPoint;

namespace {

UniqueBstr MakeBstr(const std::u16string& text) {
    if (text.empty())
        return UniqueBstr();
    UniqueBstr copy(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                        static_cast<UINT>(text.size())));
    if (!copy)
        throw std::bad_alloc();
    return copy;
}

void ToComExcepInfo(const host::ExcepInfo& from, EXCEPINFO& to) {
    to = EXCEPINFO{};
    to.wCode = from.code;
    to.bstrSource = MakeBstr(from.source).Detach();
    to.bstrDescription = MakeBstr(from.description).Detach();
    to.bstrHelpFile = MakeBstr(from.helpFile).Detach();
    to.dwHelpContext = from.helpContext;
    to.scode = from.scode;
}

// A COM object of this module that counts its own references and frees itself at zero.
template <class Interface>
class CountedComObject : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_count; }

    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_count;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    CountedComObject() = default;
    virtual ~CountedComObject() = default;

private:
    ULONG m_count = 0;
    host::ModuleLock m_moduleLock;
};

// The id under which a server adapter of this module answers with itself. Its last eight
// bytes are the address of a variable of this module, so a server adapter of another
// module (another DLL built from these sources) never answers it: that one is a foreign COM
// object for us and gets a client adapter.
const GUID& OwnAdapterIid() {
    static const char anchor = 0;
    static const GUID iid = [] {
        GUID id{0x5E1A7C02, 0x3B6D, 0x4F18, {}};
        const auto address = reinterpret_cast<std::uint64_t>(&anchor);
        std::memcpy(id.Data4, &address, sizeof id.Data4);
        return id;
    }();
    return iid;
}

class ServerDispatch;
std::unordered_map<host::Dispatch*, ServerDispatch*>& ServedObjects() {
    static std::unordered_map<host::Dispatch*, ServerDispatch*> served;
    return served;
}

class ServerDispatch final : public IDispatch {
public:
    explicit ServerDispatch(host::Dispatch* served)
        : m_served(served) {
        ServedObjects().emplace(served, this);
    }
    ServerDispatch(const ServerDispatch&) = delete;
    ServerDispatch& operator=(const ServerDispatch&) = delete;
    ~ServerDispatch() { ServedObjects().erase(m_served.Get()); }

    host::Dispatch* Served() const noexcept { return m_served.Get(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        try {
            if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, OwnAdapterIid())) {
                AddRef();
                *object = static_cast<IDispatch*>(this);
                return S_OK;
            }
            const base::Guid iid = FromGuid(riid);
            void* answer = nullptr;
            const base::HResult result = m_served->QueryInterface(iid, &answer);
            if (base::Failed(result) || !answer)
                return base::Failed(result) ? result : E_NOINTERFACE;
            if (iid == host::iid::ConnectionPointContainer) {
                auto container = host::Ref<host::ConnectionPointContainer>::Adopt(
                    static_cast<host::ConnectionPointContainer*>(answer));
                *object = MakeServerContainer(this, container.Get()).Detach();
            } else if (iid == host::iid::ConnectionPoint) {
                auto point = host::Ref<host::ConnectionPoint>::Adopt(
                    static_cast<host::ConnectionPoint*>(answer));
                *object = MakeServerPoint(nullptr, point.Get()).Detach();
            } else {
                auto dispatch =
                    host::Ref<host::Dispatch>::Adopt(static_cast<host::Dispatch*>(answer));
                *object = ToCom(dispatch.Get()).Detach();
            }
            return S_OK;
        } catch (...) {
            return CaughtResult();
        }
    }

    // COM references are the served object's references too: each AddRef and Release
    // reaches it, on top of the one reference the adapter holds for itself.
    ULONG STDMETHODCALLTYPE AddRef() override {
        m_served->AddRef();
        return ++m_count;
    }

    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_count;
        m_served->Release();
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        try {
            std::uint32_t value = 0;
            const base::HResult result = m_served->GetTypeInfoCount(value);
            *count = value;
            return result;
        } catch (...) {
            return CaughtResult();
        }
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        try {
            // The seam has no type information objects; success without one would be a lie.
            const base::HResult result = m_served->GetTypeInfo(index, locale);
            return base::Failed(result) ? result : E_NOTIMPL;
        } catch (...) {
            return CaughtResult();
        }
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        try {
            if (count && (!names || !ids))
                return E_POINTER;
            std::vector<std::u16string> seamNames;
            seamNames.reserve(count);
            for (UINT i = 0; i < count; ++i)
                seamNames.push_back(FromWide(names[i]));
            return m_served->GetIDsOfNames(FromGuid(riid), seamNames, locale,
                                           {reinterpret_cast<host::DispId*>(ids), count});
        } catch (...) {
            return CaughtResult();
        }
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argErr) override {
        try {
            const UINT count = params ? params->cArgs : 0;
            const UINT namedCount = params ? params->cNamedArgs : 0;
            if ((count && !params->rgvarg) || (namedCount && !params->rgdispidNamedArgs) ||
                namedCount > count)
                return E_POINTER;

            // By-reference arguments are read into scratch values the callee may change;
            // the changes are written back into the caller's variants afterwards.
            std::vector<host::Variant> scratch(count);
            std::vector<host::Variant> args(count);
            for (UINT i = 0; i < count; ++i) {
                try {
                    const VARIANT& arg = params->rgvarg[i];
                    if (arg.vt & VT_BYREF) {
                        scratch[i] = FromComVariant(arg);
                        args[i] = host::Variant::RefTo(scratch[i]);
                    } else {
                        args[i] = FromComVariant(arg);
                    }
                } catch (const base::Error&) {
                    if (argErr)
                        *argErr = i;
                    return DISP_E_TYPEMISMATCH;
                }
            }

            const host::DispParams seamParams{args.data(),
                                              reinterpret_cast<const host::DispId*>(
                                                  namedCount ? params->rgdispidNamedArgs : nullptr),
                                              count, namedCount};
            host::Variant seamResult;
            host::ExcepInfo seamExcep;
            std::uint32_t seamArgErr = 0;
            const base::HResult outcome = m_served->Invoke(
                member, FromGuid(riid), locale, flags, seamParams, result ? &seamResult : nullptr,
                excepInfo ? &seamExcep : nullptr, argErr ? &seamArgErr : nullptr);

            for (UINT i = 0; i < count; ++i) {
                if (!(params->rgvarg[i].vt & VT_BYREF))
                    continue;
                try {
                    WriteThroughReference(scratch[i], params->rgvarg[i]);
                } catch (const base::Error& error) {
                    if (argErr)
                        *argErr = i;
                    return error.Code();
                }
            }
            if (argErr && base::Failed(outcome))
                *argErr = seamArgErr;
            if (excepInfo && outcome == DISP_E_EXCEPTION)
                ToComExcepInfo(seamExcep, *excepInfo);
            if (result && base::Succeeded(outcome)) {
                UniqueVariant converted;
                ToComVariant(seamResult, *converted.Put());
                ::VariantClear(result);
                *result = converted.Detach();
            }
            return outcome;
        } catch (...) {
            return CaughtResult();
        }
    }

private:
    host::Ref<host::Dispatch> m_served;
    ULONG m_count = 0;
    host::ModuleLock m_moduleLock;
};

class ServerConnectionPointContainer final : public CountedComObject<IConnectionPointContainer> {
public:
    ServerConnectionPointContainer(IDispatch* owner, host::ConnectionPointContainer* served)
        : m_owner(owner)
        , m_served(served) {}

    // The container is a face of its owner: every other interface is the owner's.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
            AddRef();
            *object = static_cast<IConnectionPointContainer*>(this);
            return S_OK;
        }
        return m_owner->QueryInterface(riid, object);
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points)
            *points = nullptr;
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
        if (!point)
            return E_POINTER;
        *point = nullptr;
        try {
            host::Ref<host::ConnectionPoint> found;
            const base::HResult result = m_served->FindConnectionPoint(FromGuid(riid), found);
            if (base::Failed(result))
                return result;
            if (!found)
                return CONNECT_E_NOCONNECTION;
            *point = MakeServerPoint(this, found.Get()).Detach();
            return S_OK;
        } catch (...) {
            return CaughtResult();
        }
    }

private:
    ComPtr<IDispatch> m_owner;
    host::Ref<host::ConnectionPointContainer> m_served;
};

class ServerConnectionPoint final : public CountedComObject<IConnectionPoint> {
public:
    ServerConnectionPoint(IConnectionPointContainer* container, host::ConnectionPoint* served)
        : m_container(container)
        , m_served(served) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
            AddRef();
            *object = static_cast<IConnectionPoint*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid)
            return E_POINTER;
        try {
            base::Guid value;
            const base::HResult result = m_served->GetConnectionInterface(value);
            *iid = ToGuid(value);
            return result;
        } catch (...) {
            return CaughtResult();
        }
    }

    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (!container)
            return E_POINTER;
        *container = m_container.Get();
        if (!*container)
            return E_NOTIMPL;
        (*container)->AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie)
            return E_POINTER;
        *cookie = 0;
        try {
            const host::Ref<host::Dispatch> seamSink = FromComUnknown(sink);
            if (!seamSink)
                return CONNECT_E_CANNOTCONNECT;
            std::uint32_t value = 0;
            const base::HResult result = m_served->Advise(seamSink.Get(), value);
            *cookie = value;
            return result;
        } catch (...) {
            return CaughtResult();
        }
    }

    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        try {
            return m_served->Unadvise(cookie);
        } catch (...) {
            return CaughtResult();
        }
    }

    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
        if (connections)
            *connections = nullptr;
        return E_NOTIMPL;
    }

private:
    ComPtr<IConnectionPointContainer> m_container;
    host::Ref<host::ConnectionPoint> m_served;
};

} // namespace

ComPtr<IConnectionPointContainer>
detail::MakeServerContainer(IDispatch* owner, host::ConnectionPointContainer* container) {
    return ComPtr<IConnectionPointContainer>(new ServerConnectionPointContainer(owner, container));
}

ComPtr<IConnectionPoint> detail::MakeServerPoint(IConnectionPointContainer* container,
                                                 host::ConnectionPoint* point) {
    return ComPtr<IConnectionPoint>(new ServerConnectionPoint(container, point));
}

host::Dispatch* detail::ServedBy(IDispatch* object) noexcept {
    ComPtr<IDispatch> own;
    if (object && SUCCEEDED(object->QueryInterface(OwnAdapterIid(), own.PutVoid())) && own)
        return static_cast<ServerDispatch*>(own.Get())->Served();
    return nullptr;
}

ComPtr<IDispatch> ToCom(host::Dispatch* object) {
    if (!object)
        return nullptr;
    if (IDispatch* wrapped = detail::WrappedBy(object))
        return ComPtr<IDispatch>(wrapped);
    const auto served = ServedObjects().find(object);
    if (served != ServedObjects().end())
        return ComPtr<IDispatch>(served->second);
    return ComPtr<IDispatch>(new ServerDispatch(object));
}

} // namespace tarvex::win

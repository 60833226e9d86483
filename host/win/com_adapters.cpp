// The client and server COM adapters.

#include "host/win/com_adapters.h"

#include <atomic>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "host/automation.h"
#include "host/error.h"
#include "host/module_lock.h"
#include "host/win/wide_text.h"

namespace tarvex::win {

namespace {

// What an adapter answers for the exception it caught (call inside a catch block).
HRESULT CaughtResult() noexcept {
    return host::CatchCurrentFailure(E_UNEXPECTED).code;
}

UniqueBstr MakeBstr(const std::u16string& text) {
    if (text.empty())
        return UniqueBstr();
    UniqueBstr copy(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                        static_cast<UINT>(text.size())));
    if (!copy)
        throw std::bad_alloc();
    return copy;
}

std::u16string FromBstr(BSTR text) {
    return std::u16string(ViewOf(text));
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

// Takes the texts out of an EXCEPINFO that a callee filled in, freeing them.
void FromComExcepInfo(EXCEPINFO& from, host::ExcepInfo& to) {
    if (from.pfnDeferredFillIn)
        from.pfnDeferredFillIn(&from);
    UniqueBstr source(from.bstrSource), description(from.bstrDescription),
        helpFile(from.bstrHelpFile);
    to.code = from.wCode;
    to.source = FromBstr(source.Get());
    to.description = FromBstr(description.Get());
    to.helpFile = FromBstr(helpFile.Get());
    to.helpContext = from.dwHelpContext;
    to.scode = from.scode;
}

// An array of VARIANTs that clears every element when it goes.
class VariantArray {
public:
    explicit VariantArray(std::size_t count)
        : m_values(count) {
        for (VARIANT& value : m_values)
            ::VariantInit(&value);
    }
    VariantArray(const VariantArray&) = delete;
    VariantArray& operator=(const VariantArray&) = delete;
    ~VariantArray() {
        for (VARIANT& value : m_values)
            ::VariantClear(&value);
    }
    VARIANT* Data() noexcept { return m_values.data(); }
    VARIANT& operator[](std::size_t index) noexcept { return m_values[index]; }

private:
    std::vector<VARIANT> m_values;
};

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

ComPtr<IConnectionPointContainer> MakeServerContainer(IDispatch* owner,
                                                      host::ConnectionPointContainer* container);
ComPtr<IConnectionPoint> MakeServerPoint(IConnectionPointContainer* container,
                                         host::ConnectionPoint* point);
host::Ref<host::ConnectionPointContainer> MakeClientContainer(IConnectionPointContainer* object);
host::Ref<host::ConnectionPoint> MakeClientPoint(IConnectionPoint* object);

// ---------------------------------------------------------------------------------------
// Server side: seam objects seen as COM objects.

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
            const host::Guid iid = FromGuid(riid);
            void* answer = nullptr;
            const host::HResult result = m_served->QueryInterface(iid, &answer);
            if (host::Failed(result) || !answer)
                return host::Failed(result) ? result : E_NOINTERFACE;
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
            const host::HResult result = m_served->GetTypeInfoCount(value);
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
            const host::HResult result = m_served->GetTypeInfo(index, locale);
            return host::Failed(result) ? result : E_NOTIMPL;
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
                } catch (const host::Error&) {
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
            const host::HResult outcome = m_served->Invoke(
                member, FromGuid(riid), locale, flags, seamParams, result ? &seamResult : nullptr,
                excepInfo ? &seamExcep : nullptr, argErr ? &seamArgErr : nullptr);

            for (UINT i = 0; i < count; ++i) {
                if (!(params->rgvarg[i].vt & VT_BYREF))
                    continue;
                try {
                    WriteThroughReference(scratch[i], params->rgvarg[i]);
                } catch (const host::Error& error) {
                    if (argErr)
                        *argErr = i;
                    return error.Code();
                }
            }
            if (argErr && host::Failed(outcome))
                *argErr = seamArgErr;
            if (excepInfo && outcome == DISP_E_EXCEPTION)
                ToComExcepInfo(seamExcep, *excepInfo);
            if (result && host::Succeeded(outcome)) {
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
            const host::HResult result = m_served->FindConnectionPoint(FromGuid(riid), found);
            if (host::Failed(result))
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
            host::Guid value;
            const host::HResult result = m_served->GetConnectionInterface(value);
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
            const host::HResult result = m_served->Advise(seamSink.Get(), value);
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

ComPtr<IConnectionPointContainer> MakeServerContainer(IDispatch* owner,
                                                      host::ConnectionPointContainer* container) {
    return ComPtr<IConnectionPointContainer>(new ServerConnectionPointContainer(owner, container));
}

ComPtr<IConnectionPoint> MakeServerPoint(IConnectionPointContainer* container,
                                         host::ConnectionPoint* point) {
    return ComPtr<IConnectionPoint>(new ServerConnectionPoint(container, point));
}

// ---------------------------------------------------------------------------------------
// Client side: COM objects seen as seam objects.

host::HResult QueryComObject(IUnknown* object, host::Unknown* self, const host::Guid& iid,
                             void** answer);

class ClientIdentity;
std::unordered_map<IUnknown*, ClientIdentity*>& ClientIdentities() {
    static std::unordered_map<IUnknown*, ClientIdentity*> identities;
    return identities;
}

// What the client adapters of one real COM object answer for IUnknown: one seam object per
// COM identity while it lives, so that two adapters of the same object (the sheet of an
// event and the active sheet, say) answer the same pointer, as COM's own objects do.
class ClientIdentity final : public host::RefCounted<host::Unknown> {
public:
    explicit ClientIdentity(IUnknown* identity)
        : m_identity(identity) {
        ClientIdentities().emplace(identity, this);
    }
    ~ClientIdentity() override { ClientIdentities().erase(m_identity.Get()); }
    ClientIdentity(const ClientIdentity&) = delete;
    ClientIdentity& operator=(const ClientIdentity&) = delete;

    host::HResult QueryInterface(const host::Guid& iid, void** answer) override {
        try {
            return QueryComObject(m_identity.Get(), this, iid, answer);
        } catch (...) {
            return CaughtResult();
        }
    }

private:
    ComPtr<IUnknown> m_identity;
};

// The seam identity of a real COM object: its IUnknown, asked afresh as COM requires.
host::HResult QueryIdentity(IUnknown* object, void** answer) {
    ComPtr<IUnknown> identity;
    const HRESULT result = object->QueryInterface(IID_IUnknown, identity.PutVoid());
    if (FAILED(result))
        return result;
    if (!identity)
        return host::hr::NoInterface;
    ClientIdentity* known = nullptr;
    if (const auto it = ClientIdentities().find(identity.Get()); it != ClientIdentities().end())
        known = it->second;
    host::Ref<ClientIdentity> answered =
        known ? host::Ref<ClientIdentity>(known) : host::MakeRef<ClientIdentity>(identity.Get());
    *answer = static_cast<host::Unknown*>(answered.Detach());
    return host::hr::Ok;
}

// Answers the seam's QueryInterface for a real COM object by the seam's rule: IUnknown is
// the object's identity (see ClientIdentity), connection points get their adapters, and every
// other interface is an automation interface, wrapped (or unwrapped) as a Dispatch. `self`
// is the identity object itself when it asks.
host::HResult QueryComObject(IUnknown* object, host::Unknown* self, const host::Guid& iid,
                             void** answer) {
    if (!answer)
        return host::hr::Pointer;
    *answer = nullptr;
    if (iid == host::iid::Unknown) {
        if (dynamic_cast<ClientIdentity*>(self)) {
            self->AddRef();
            *answer = self;
            return host::hr::Ok;
        }
        return QueryIdentity(object, answer);
    }
    ComPtr<IUnknown> found;
    const HRESULT result = object->QueryInterface(ToGuid(iid), found.PutVoid());
    if (FAILED(result))
        return result;
    if (!found)
        return host::hr::NoInterface;
    if (iid == host::iid::ConnectionPointContainer) {
        *answer = static_cast<host::ConnectionPointContainer*>(
            MakeClientContainer(reinterpret_cast<IConnectionPointContainer*>(found.Get()))
                .Detach());
    } else if (iid == host::iid::ConnectionPoint) {
        *answer = static_cast<host::ConnectionPoint*>(
            MakeClientPoint(reinterpret_cast<IConnectionPoint*>(found.Get())).Detach());
    } else {
        // Automation interfaces derive from IDispatch, so the pointer that answered this id
        // is an IDispatch of its own (a dual interface answers its own Invoke).
        *answer = static_cast<host::Dispatch*>(
            FromCom(reinterpret_cast<IDispatch*>(found.Get())).Detach());
    }
    return host::hr::Ok;
}

class ClientDispatch final : public host::RefCounted<host::Dispatch> {
public:
    explicit ClientDispatch(IDispatch* object)
        : m_object(object) {}

    IDispatch* Com() const noexcept { return m_object.Get(); }

    host::HResult QueryInterface(const host::Guid& iid, void** answer) override {
        if (iid == host::iid::Dispatch && answer) {
            AddRef();
            *answer = static_cast<host::Dispatch*>(this);
            return host::hr::Ok;
        }
        try {
            return QueryComObject(m_object.Get(), static_cast<host::Dispatch*>(this), iid, answer);
        } catch (...) {
            return CaughtResult();
        }
    }

    host::HResult GetTypeInfoCount(std::uint32_t& count) override {
        UINT value = 0;
        const HRESULT result = m_object->GetTypeInfoCount(&value);
        count = value;
        return result;
    }

    host::HResult GetTypeInfo(std::uint32_t index, std::uint32_t locale) override {
        ComPtr<ITypeInfo> info;
        return m_object->GetTypeInfo(index, locale, info.Put());
    }

    host::HResult GetIDsOfNames(const host::Guid& iid, std::span<const std::u16string> names,
                                std::uint32_t locale, std::span<host::DispId> ids) override {
        try {
            if (ids.size() < names.size())
                return host::hr::InvalidArg;
            std::vector<LPOLESTR> pointers;
            pointers.reserve(names.size());
            for (const std::u16string& name : names)
                pointers.push_back(
                    const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(name.c_str())));
            return m_object->GetIDsOfNames(ToGuid(iid), pointers.data(),
                                           static_cast<UINT>(names.size()), locale,
                                           reinterpret_cast<DISPID*>(ids.data()));
        } catch (...) {
            return CaughtResult();
        }
    }

    host::HResult Invoke(host::DispId member, const host::Guid& iid, std::uint32_t locale,
                         host::InvokeFlags flags, const host::DispParams& params,
                         host::Variant* result, host::ExcepInfo* excepInfo,
                         std::uint32_t* argErr) override {
        try {
            const std::uint32_t count = params.argCount;
            VariantArray args(count);
            // Storage for by-reference arguments: the callee writes through pointers into
            // these, in the type of the value they held, as Excel's own callers do
            // (VT_BYREF|VT_BOOL for a Boolean). Empty and Null go as VT_BYREF|VT_VARIANT.
            VariantArray referenced(count);
            for (std::uint32_t i = 0; i < count; ++i) {
                const host::Variant& arg = params.args[i];
                if (!arg.Is(host::Variant::Kind::ByRef)) {
                    ToComVariant(arg, args[i]);
                    continue;
                }
                VARIANT& storage = referenced[i];
                ToComVariant(arg.Target(), storage);
                if (storage.vt == VT_EMPTY || storage.vt == VT_NULL) {
                    args[i].vt = VT_BYREF | VT_VARIANT;
                    args[i].pvarVal = &storage;
                } else {
                    args[i].vt = static_cast<VARTYPE>(VT_BYREF | storage.vt);
                    args[i].byref = &storage.llVal;
                }
            }
            std::vector<DISPID> named(params.namedIds, params.namedIds + params.namedCount);
            DISPPARAMS comParams{args.Data(), named.empty() ? nullptr : named.data(), count,
                                 params.namedCount};
            UniqueVariant comResult;
            EXCEPINFO comExcep{};
            UINT comArgErr = 0;
            const HRESULT outcome = m_object->Invoke(member, ToGuid(iid), locale, flags, &comParams,
                                                     result ? comResult.Put() : nullptr,
                                                     excepInfo ? &comExcep : nullptr, &comArgErr);

            for (std::uint32_t i = 0; i < count; ++i)
                host::WriteBack(params.args[i], FromComVariant(referenced[i]));
            if (excepInfo && outcome == DISP_E_EXCEPTION)
                FromComExcepInfo(comExcep, *excepInfo);
            if (argErr)
                *argErr = comArgErr;
            if (result && SUCCEEDED(outcome))
                *result = FromComVariant(comResult.Get());
            return outcome;
        } catch (...) {
            return CaughtResult();
        }
    }

private:
    ComPtr<IDispatch> m_object;
};

class ClientConnectionPointContainer final
    : public host::RefCounted<host::ConnectionPointContainer> {
public:
    explicit ClientConnectionPointContainer(IConnectionPointContainer* object)
        : m_object(object) {}

    host::HResult QueryInterface(const host::Guid& iid, void** answer) override {
        if (iid == host::iid::ConnectionPointContainer && answer) {
            AddRef();
            *answer = static_cast<host::ConnectionPointContainer*>(this);
            return host::hr::Ok;
        }
        try {
            return QueryComObject(m_object.Get(), this, iid, answer);
        } catch (...) {
            return CaughtResult();
        }
    }

    host::HResult FindConnectionPoint(const host::Guid& iid,
                                      host::Ref<host::ConnectionPoint>& point) override {
        point = nullptr;
        try {
            ComPtr<IConnectionPoint> found;
            const HRESULT result = m_object->FindConnectionPoint(ToGuid(iid), found.Put());
            if (SUCCEEDED(result) && found)
                point = MakeClientPoint(found.Get());
            return result;
        } catch (...) {
            return CaughtResult();
        }
    }

private:
    ComPtr<IConnectionPointContainer> m_object;
};

class ClientConnectionPoint final : public host::RefCounted<host::ConnectionPoint> {
public:
    explicit ClientConnectionPoint(IConnectionPoint* object)
        : m_object(object) {}

    host::HResult QueryInterface(const host::Guid& iid, void** answer) override {
        return host::AnswerQuery(
            iid, answer,
            {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown,
                                                     static_cast<host::ConnectionPoint*>(this)),
             host::InterfaceOffer::Of<host::ConnectionPoint>(host::iid::ConnectionPoint, this)});
    }

    host::HResult GetConnectionInterface(host::Guid& iid) override {
        IID value{};
        const HRESULT result = m_object->GetConnectionInterface(&value);
        iid = FromGuid(value);
        return result;
    }

    host::HResult Advise(host::Unknown* sink, std::uint32_t& cookie) override {
        cookie = 0;
        try {
            if (!sink)
                return host::hr::Pointer;
            const auto dispatch = host::QueryAs<host::Dispatch>(sink, host::iid::Dispatch);
            if (!dispatch)
                return host::hr::ConnectCannotConnect;
            const ComPtr<IDispatch> comSink = ToCom(dispatch.Get());
            DWORD value = 0;
            const HRESULT result = m_object->Advise(comSink.Get(), &value);
            cookie = value;
            return result;
        } catch (...) {
            return CaughtResult();
        }
    }

    host::HResult Unadvise(std::uint32_t cookie) override { return m_object->Unadvise(cookie); }

private:
    ComPtr<IConnectionPoint> m_object;
};

host::Ref<host::ConnectionPointContainer> MakeClientContainer(IConnectionPointContainer* object) {
    return host::MakeRef<ClientConnectionPointContainer>(object);
}

host::Ref<host::ConnectionPoint> MakeClientPoint(IConnectionPoint* object) {
    return host::MakeRef<ClientConnectionPoint>(object);
}

} // namespace

host::Ref<host::Dispatch> FromCom(IDispatch* object) {
    if (!object)
        return nullptr;
    ComPtr<IDispatch> own;
    if (SUCCEEDED(object->QueryInterface(OwnAdapterIid(), own.PutVoid())) && own)
        return host::Ref<host::Dispatch>(static_cast<ServerDispatch*>(own.Get())->Served());
    return host::MakeRef<ClientDispatch>(object);
}

host::Ref<host::Dispatch> FromComUnknown(IUnknown* object) {
    if (!object)
        return nullptr;
    ComPtr<IDispatch> dispatch;
    if (FAILED(object->QueryInterface(IID_IDispatch, dispatch.PutVoid())) || !dispatch)
        return nullptr;
    return FromCom(dispatch.Get());
}

host::Ref<host::Dispatch> WrapClient(IDispatch* object) {
    if (!object)
        return nullptr;
    return host::MakeRef<ClientDispatch>(object);
}

ComPtr<IDispatch> ToCom(host::Dispatch* object) {
    if (!object)
        return nullptr;
    if (auto* client = dynamic_cast<ClientDispatch*>(object))
        return ComPtr<IDispatch>(client->Com());
    const auto served = ServedObjects().find(object);
    if (served != ServedObjects().end())
        return ComPtr<IDispatch>(served->second);
    return ComPtr<IDispatch>(new ServerDispatch(object));
}

} // namespace tarvex::win

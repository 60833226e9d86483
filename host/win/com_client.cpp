// The client side of the COM adapters: COM objects seen as seam objects.

#include <unordered_map>
#include <vector>

#include "base/error.h"
#include "host/win/com_adapters.h"
#include "host/win/com_adapters_internal.h"
#include "host/win/wide_text.h"

namespace tarvex::win {

using detail::CaughtResult;
using detail::MakeClientContainer;
using detail::MakeClientPoint;

namespace {

std::u16string FromBstr(BSTR text) {
    return std::u16string(ViewOf(text));
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

base::HResult QueryComObject(IUnknown* object, host::Unknown* self, const base::Guid& iid,
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

    base::HResult QueryInterface(const base::Guid& iid, void** answer) override {
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
base::HResult QueryIdentity(IUnknown* object, void** answer) {
    ComPtr<IUnknown> identity;
    const HRESULT result = object->QueryInterface(IID_IUnknown, identity.PutVoid());
    if (FAILED(result))
        return result;
    if (!identity)
        return base::hr::NoInterface;
    ClientIdentity* known = nullptr;
    if (const auto it = ClientIdentities().find(identity.Get()); it != ClientIdentities().end())
        known = it->second;
    host::Ref<ClientIdentity> answered =
        known ? host::Ref<ClientIdentity>(known) : host::MakeRef<ClientIdentity>(identity.Get());
    *answer = static_cast<host::Unknown*>(answered.Detach());
    return base::hr::Ok;
}

// Answers the seam's QueryInterface for a real COM object by the seam's rule: IUnknown is
// the object's identity (see ClientIdentity), connection points get their adapters, and every
// other interface is an automation interface, wrapped (or unwrapped) as a Dispatch. `self`
// is the identity object itself when it asks.
base::HResult QueryComObject(IUnknown* object, host::Unknown* self, const base::Guid& iid,
                             void** answer) {
    if (!answer)
        return base::hr::Pointer;
    *answer = nullptr;
    if (iid == host::iid::Unknown) {
        if (dynamic_cast<ClientIdentity*>(self)) {
            self->AddRef();
            *answer = self;
            return base::hr::Ok;
        }
        return QueryIdentity(object, answer);
    }
    ComPtr<IUnknown> found;
    const HRESULT result = object->QueryInterface(ToGuid(iid), found.PutVoid());
    if (FAILED(result))
        return result;
    if (!found)
        return base::hr::NoInterface;
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
    return base::hr::Ok;
}

class ClientDispatch final : public host::RefCounted<host::Dispatch> {
public:
    explicit ClientDispatch(IDispatch* object)
        : m_object(object) {}

    IDispatch* Com() const noexcept { return m_object.Get(); }

    base::HResult QueryInterface(const base::Guid& iid, void** answer) override {
        if (iid == host::iid::Dispatch && answer) {
            AddRef();
            *answer = static_cast<host::Dispatch*>(this);
            return base::hr::Ok;
        }
        try {
            return QueryComObject(m_object.Get(), static_cast<host::Dispatch*>(this), iid, answer);
        } catch (...) {
            return CaughtResult();
        }
    }

    base::HResult GetTypeInfoCount(std::uint32_t& count) override {
        UINT value = 0;
        const HRESULT result = m_object->GetTypeInfoCount(&value);
        count = value;
        return result;
    }

    base::HResult GetTypeInfo(std::uint32_t index, std::uint32_t locale) override {
        ComPtr<ITypeInfo> info;
        return m_object->GetTypeInfo(index, locale, info.Put());
    }

    base::HResult GetIDsOfNames(const base::Guid& iid, std::span<const std::u16string> names,
                                std::uint32_t locale, std::span<host::DispId> ids) override {
        try {
            if (ids.size() < names.size())
                return base::hr::InvalidArg;
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

    base::HResult Invoke(host::DispId member, const base::Guid& iid, std::uint32_t locale,
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

    base::HResult QueryInterface(const base::Guid& iid, void** answer) override {
        if (iid == host::iid::ConnectionPointContainer && answer) {
            AddRef();
            *answer = static_cast<host::ConnectionPointContainer*>(this);
            return base::hr::Ok;
        }
        try {
            return QueryComObject(m_object.Get(), this, iid, answer);
        } catch (...) {
            return CaughtResult();
        }
    }

    base::HResult FindConnectionPoint(const base::Guid& iid,
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

    base::HResult QueryInterface(const base::Guid& iid, void** answer) override {
        return host::AnswerQuery(
            iid, answer,
            {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown,
                                                     static_cast<host::ConnectionPoint*>(this)),
             host::InterfaceOffer::Of<host::ConnectionPoint>(host::iid::ConnectionPoint, this)});
    }

    base::HResult GetConnectionInterface(base::Guid& iid) override {
        IID value{};
        const HRESULT result = m_object->GetConnectionInterface(&value);
        iid = FromGuid(value);
        return result;
    }

    base::HResult Advise(host::Unknown* sink, std::uint32_t& cookie) override {
        cookie = 0;
        try {
            if (!sink)
                return base::hr::Pointer;
            const auto dispatch = host::QueryAs<host::Dispatch>(sink, host::iid::Dispatch);
            if (!dispatch)
                return base::hr::ConnectCannotConnect;
            const ComPtr<IDispatch> comSink = ToCom(dispatch.Get());
            DWORD value = 0;
            const HRESULT result = m_object->Advise(comSink.Get(), &value);
            cookie = value;
            return result;
        } catch (...) {
            return CaughtResult();
        }
    }

    base::HResult Unadvise(std::uint32_t cookie) override { return m_object->Unadvise(cookie); }

private:
    ComPtr<IConnectionPoint> m_object;
};

} // namespace

host::Ref<host::ConnectionPointContainer>
detail::MakeClientContainer(IConnectionPointContainer* object) {
    return host::MakeRef<ClientConnectionPointContainer>(object);
}

host::Ref<host::ConnectionPoint> detail::MakeClientPoint(IConnectionPoint* object) {
    return host::MakeRef<ClientConnectionPoint>(object);
}

IDispatch* detail::WrappedBy(host::Dispatch* object) noexcept {
    auto* client = dynamic_cast<ClientDispatch*>(object);
    return client ? client->Com() : nullptr;
}

host::Ref<host::Dispatch> FromCom(IDispatch* object) {
    if (!object)
        return nullptr;
    if (host::Dispatch* served = detail::ServedBy(object))
        return host::Ref<host::Dispatch>(served);
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

} // namespace tarvex::win

#pragma once

// The object model of the seam: counted objects shaped like COM's IUnknown, IDispatch,
// IConnectionPointContainer and IConnectionPoint. Portable code talks to Excel and Office
// only through these; the Windows adapters map them one to one onto the real interfaces,
// and the simulated Excel implements them in memory. Calls keep COM's shapes exactly
// (arguments last-first, named-argument ids, by-reference arguments, result codes), so code
// that receives events and callbacks runs natively the way it runs under COM.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "base/guid.h"
#include "base/result.h"
#include "ref.h"

namespace tarvex::host {

class Variant;

/// A member id of an automation interface (DISPID).
using DispId = std::int32_t;

namespace dispid {
inline constexpr DispId Unknown = -1;
inline constexpr DispId Value = 0;
inline constexpr DispId PropertyPut = -3;
inline constexpr DispId NewEnum = -4;
} // namespace dispid

/// The kind of an Invoke (wFlags): a bit set of the values below.
using InvokeFlags = std::uint16_t;

namespace invoke {
inline constexpr InvokeFlags Method = 1;
inline constexpr InvokeFlags PropertyGet = 2;
inline constexpr InvokeFlags PropertyPut = 4;
inline constexpr InvokeFlags PropertyPutRef = 8;
} // namespace invoke

/// Locale ids that calls carry.
namespace lcid {
inline constexpr std::uint32_t Neutral = 0;
inline constexpr std::uint32_t UserDefault = 0x400;
inline constexpr std::uint32_t SystemDefault = 0x800;
} // namespace lcid

namespace iid {
inline constexpr base::Guid Null{};
inline constexpr base::Guid Unknown = base::Guid::Parse("{00000000-0000-0000-C000-000000000046}");
inline constexpr base::Guid Dispatch = base::Guid::Parse("{00020400-0000-0000-C000-000000000046}");
inline constexpr base::Guid ConnectionPointContainer =
    base::Guid::Parse("{B196B284-BAB4-101A-B69C-00AA00341D07}");
inline constexpr base::Guid ConnectionPoint =
    base::Guid::Parse("{B196B286-BAB4-101A-B69C-00AA00341D07}");
} // namespace iid

/// IUnknown. QueryInterface stores a counted pointer of the seam type that the interface id
/// maps to: Unknown* for iid::Unknown, ConnectionPointContainer* and ConnectionPoint* for
/// theirs, and Dispatch* for IDispatch and every automation interface (Excel's and
/// Office's interfaces are all dispatch-based). On failure it stores null.
class Unknown {
public:
    virtual base::HResult QueryInterface(const base::Guid& iid, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~Unknown() = default;
};

/// Exception information that a failing Invoke may fill in (EXCEPINFO).
struct ExcepInfo {
    std::uint16_t code = 0;
    std::u16string source;
    std::u16string description;
    std::u16string helpFile;
    std::uint32_t helpContext = 0;
    base::HResult scode = base::hr::Ok;
};

/// The arguments of an Invoke exactly as COM passes them (DISPPARAMS): `args` holds the
/// last argument first; its first `namedCount` entries are the named arguments whose ids
/// `namedIds` lists. By-reference arguments are Variants of kind ByRef.
struct DispParams {
    Variant* args = nullptr;
    const DispId* namedIds = nullptr;
    std::uint32_t argCount = 0;
    std::uint32_t namedCount = 0;
};

/// IDispatch.
class Dispatch : public Unknown {
public:
    virtual base::HResult GetTypeInfoCount(std::uint32_t& count) = 0;

    /// The seam carries no type information objects: the result is the code a COM caller
    /// receives together with a null pointer, so implementations answer a failure.
    virtual base::HResult GetTypeInfo(std::uint32_t index, std::uint32_t locale) = 0;

    /// Resolves member names; `ids` has one entry per name.
    virtual base::HResult GetIDsOfNames(const base::Guid& iid,
                                        std::span<const std::u16string> names, std::uint32_t locale,
                                        std::span<DispId> ids) = 0;

    /// Calls member `member`. `result` may be null when the caller wants no result;
    /// `excepInfo` and `argErr` may be null.
    virtual base::HResult Invoke(DispId member, const base::Guid& iid, std::uint32_t locale,
                                 InvokeFlags flags, const DispParams& params, Variant* result,
                                 ExcepInfo* excepInfo, std::uint32_t* argErr) = 0;

protected:
    ~Dispatch() = default;
};

class ConnectionPoint;

/// IConnectionPointContainer (the enumeration of points is not part of the seam).
class ConnectionPointContainer : public Unknown {
public:
    virtual base::HResult FindConnectionPoint(const base::Guid& iid,
                                              Ref<ConnectionPoint>& point) = 0;

protected:
    ~ConnectionPointContainer() = default;
};

/// IConnectionPoint (the enumeration of connections is not part of the seam).
class ConnectionPoint : public Unknown {
public:
    virtual base::HResult GetConnectionInterface(base::Guid& iid) = 0;
    virtual base::HResult Advise(Unknown* sink, std::uint32_t& cookie) = 0;
    virtual base::HResult Unadvise(std::uint32_t cookie) = 0;

protected:
    ~ConnectionPoint() = default;
};

/// Implements AddRef and Release for a seam object that implements `Interfaces`. The
/// object starts with no reference; MakeRef hands out the first one. It deletes itself when
/// the last reference goes.
template <class... Interfaces>
class RefCounted : public Interfaces... {
public:
    std::uint32_t AddRef() override { return ++m_refCount; }

    /// How many references are held now.
    std::uint32_t References() const noexcept { return m_refCount; }

    std::uint32_t Release() override {
        const std::uint32_t left = --m_refCount;
        if (left == 0)
            delete this;
        return left;
    }

    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    std::uint32_t m_refCount = 0;
};

/// Creates a counted object and returns the first reference to it.
template <class T, class... Args>
Ref<T> MakeRef(Args&&... args) {
    return Ref<T>(new T(std::forward<Args>(args)...));
}

/// One interface that an object answers in QueryInterface: its id and the object seen
/// through that interface.
struct InterfaceOffer {
    base::Guid iid;
    void* pointer;
    Unknown* unknown;

    template <class I>
    static InterfaceOffer Of(const base::Guid& iid, I* object) {
        return {iid, static_cast<void*>(object), static_cast<Unknown*>(object)};
    }
};

/// QueryInterface over a list of offers: the first offer whose id matches is stored in
/// `*object` with a reference added; otherwise `*object` is null and the result
/// E_NOINTERFACE. A null `object` gives E_POINTER.
base::HResult AnswerQuery(const base::Guid& iid, void** object,
                          std::initializer_list<InterfaceOffer> offers);

/// Asks `object` for `iid` and returns it as `I`, the seam type that `iid` maps to (see
/// Unknown). Empty when the object does not answer it.
template <class I>
Ref<I> QueryAs(Unknown* object, const base::Guid& iid) {
    Ref<I> result;
    if (object)
        object->QueryInterface(iid, result.PutVoid());
    return result;
}

/// Whether `a` and `b` are the same object, as COM defines it: both answer the same pointer
/// when asked for IUnknown. Two null pointers are the same; null and an object are not, nor
/// is an object that does not answer IUnknown.
bool IsSameObject(Unknown* a, Unknown* b);

} // namespace tarvex::host

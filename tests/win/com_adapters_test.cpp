// The COM adapters under real COM: seam objects called through the real IDispatch vtable,
// real COM objects called from the seam, and connection points in both directions.

#include <gtest/gtest.h>

#include "host/module_lock.h"
#include "host/win/com_adapters.h"
#include "tests/support/recording_dispatch.h"
#include "tests/win/raw_com.h"

namespace tarvex::win {
namespace {

using host::Variant;
using testing::LiveCount;
using testing::RawDispatch;
using testing::RawEventSource;
using testing::RecordingDispatch;

const GUID kAppEvents = ToGuid(base::Guid::Parse("{00024413-0000-0000-C000-000000000046}"));

class ComAdapters : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override {
        EXPECT_EQ(host::ModuleLock::Held(), 0) << "a server adapter outlived the test";
        ::CoUninitialize();
    }
    LiveCount live;
};

VARIANT BstrArg(const wchar_t* text) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(text);
    return v;
}

TEST_F(ComAdapters, ServedObjectSeesArgumentsLastFirstAndWritesBackByReference) {
    auto seam = host::MakeRef<RecordingDispatch>(&live);
    seam->answer = [](const host::DispParams& params, Variant*, host::ExcepInfo*) {
        params.args[0].Target() = true; // the handler cancels
        return base::hr::Ok;
    };
    ComPtr<IDispatch> com = ToCom(seam.Get());

    // WorkbookBeforeClose(Wb, Cancel) as Excel sends it: Cancel first, by reference.
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[3];
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    args[1] = BstrArg(L"B7");
    args[2].vt = VT_DISPATCH;
    args[2].pdispVal = nullptr;
    DISPPARAMS params{args, nullptr, 3, 0};
    EXPECT_EQ(com->Invoke(0x622, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                          nullptr, nullptr),
              S_OK);
    ::VariantClear(&args[1]);

    ASSERT_EQ(seam->calls.size(), 1u);
    EXPECT_EQ(seam->calls[0].member, 0x622);
    EXPECT_EQ(seam->calls[0].locale, LOCALE_USER_DEFAULT);
    EXPECT_EQ(seam->calls[0].args, (std::vector<std::string>{"ByRef->Bool(false)", "String(\"B7\")",
                                                             "Object(nothing)"}));
    EXPECT_EQ(cancel, VARIANT_TRUE) << "True crosses COM as -1 in the caller's own VT_BOOL";
}

TEST_F(ComAdapters, ByReferenceValuesKeepTheCallersType) {
    auto seam = host::MakeRef<RecordingDispatch>(&live);
    seam->answer = [](const host::DispParams& params, Variant*, host::ExcepInfo*) {
        params.args[0].Target() = std::int32_t{7};
        params.args[1].Target() = Variant(u"changed");
        params.args[2].Target() = 2.5;
        return base::hr::Ok;
    };
    ComPtr<IDispatch> com = ToCom(seam.Get());

    VARIANT inner;
    inner.vt = VT_I2;
    inner.iVal = 3;
    BSTR text = ::SysAllocString(L"old");
    LONG number = 0;
    VARIANT args[3];
    args[0].vt = VT_BYREF | VT_I4;
    args[0].plVal = &number;
    args[1].vt = VT_BYREF | VT_BSTR;
    args[1].pbstrVal = &text;
    args[2].vt = VT_BYREF | VT_VARIANT;
    args[2].pvarVal = &inner;
    DISPPARAMS params{args, nullptr, 3, 0};
    ASSERT_EQ(com->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(
        seam->calls[0].args,
        (std::vector<std::string>{"ByRef->Int32(0)", "ByRef->String(\"old\")", "ByRef->Int32(3)"}));
    EXPECT_EQ(number, 7);
    EXPECT_STREQ(text, L"changed");
    EXPECT_EQ(inner.vt, VT_R8) << "a by-reference VARIANT takes whatever the callee stored";
    EXPECT_EQ(inner.dblVal, 2.5);
    ::SysFreeString(text);
}

TEST_F(ComAdapters, NamedArgumentsResultsAndFailuresPassThrough) {
    auto seam = host::MakeRef<RecordingDispatch>(&live);
    seam->answer = [](const host::DispParams& params, Variant* result, host::ExcepInfo* excep) {
        if (params.argCount == 0) {
            *result = Variant(u"$B$3");
            return base::hr::Ok;
        }
        excep->description = u"Range is protected";
        excep->scode = base::hr::AccessDenied;
        return base::hr::DispException;
    };
    ComPtr<IDispatch> com = ToCom(seam.Get());

    UniqueVariant result;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(
        com->Invoke(0xEC, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.Put(), nullptr, nullptr),
        S_OK);
    ASSERT_EQ(result.Get().vt, VT_BSTR);
    EXPECT_STREQ(result.Get().bstrVal, L"$B$3");

    VARIANT value;
    value.vt = VT_BOOL;
    value.boolVal = VARIANT_TRUE;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    EXCEPINFO excep{};
    EXPECT_EQ(
        com->Invoke(0x22E, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, &excep, nullptr),
        DISP_E_EXCEPTION);
    EXPECT_EQ(seam->calls[1].flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(seam->calls[1].named, std::vector<host::DispId>{host::dispid::PropertyPut});
    EXPECT_STREQ(excep.bstrDescription, L"Range is protected");
    EXPECT_EQ(excep.scode, E_ACCESSDENIED);
    ::SysFreeString(excep.bstrDescription);
}

TEST_F(ComAdapters, UnconvertibleArgumentIsATypeMismatchNamingIt) {
    auto seam = host::MakeRef<RecordingDispatch>(&live);
    ComPtr<IDispatch> com = ToCom(seam.Get());
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_I4, 0, 2);
    VARIANT args[2];
    args[0].vt = VT_I4;
    args[0].lVal = 1;
    args[1].vt = VT_ARRAY | VT_I4;
    args[1].parray = array;
    DISPPARAMS params{args, nullptr, 2, 0};
    UINT argErr = 99;
    EXPECT_EQ(com->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, &argErr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
    EXPECT_TRUE(seam->calls.empty()) << "the callee is not reached";
    ::SafeArrayDestroy(array);
}

TEST_F(ComAdapters, ClientBuildsExcelsWireShapes) {
    RawDispatch raw;
    raw.onInvoke = [](DISPPARAMS* params, VARIANT* result, EXCEPINFO*) {
        *params->rgvarg[0].pboolVal = VARIANT_TRUE;
        result->vt = VT_I4;
        result->lVal = 42;
        return S_OK;
    };
    {
        host::Ref<host::Dispatch> seam = WrapClient(&raw);
        Variant cancel(false);
        // Arguments are given last-first, as COM passes them.
        Variant args[] = {Variant::RefTo(cancel), Variant(u"abc"), Variant::Missing(),
                          Variant::Nothing(),     Variant(true),   Variant(-4163),
                          Variant(0.5),           Variant::Null()};
        host::DispParams params{args, nullptr, 8, 0};
        Variant result;
        ASSERT_EQ(seam->Invoke(0x18E, host::iid::Null, host::lcid::UserDefault,
                               host::invoke::Method, params, &result, nullptr, nullptr),
                  base::hr::Ok);
        ASSERT_EQ(raw.calls.size(), 1u);
        EXPECT_EQ(raw.calls[0].args, (std::vector<std::string>{
                                         "VT_BYREF|VT_BOOL(0)", "VT_BSTR(abc)",
                                         "VT_ERROR(0x80020004)", "VT_DISPATCH(null)", "VT_BOOL(-1)",
                                         "VT_I4(-4163)", "VT_R8(0.5)", "VT_NULL"}));
        EXPECT_TRUE(cancel.ToBool()) << "the callee's by-reference write reaches the caller";
        EXPECT_EQ(result, Variant(42));
    }
    EXPECT_EQ(raw.Count(), 1u) << "the client adapter released what it held";
}

TEST_F(ComAdapters, EmptyByReferenceGoesAsVariantReference) {
    RawDispatch raw;
    raw.onInvoke = [](DISPPARAMS* params, VARIANT*, EXCEPINFO*) {
        VARIANT* target = params->rgvarg[0].pvarVal;
        target->vt = VT_BSTR;
        target->bstrVal = ::SysAllocString(L"filled");
        return S_OK;
    };
    host::Ref<host::Dispatch> seam = WrapClient(&raw);
    Variant out;
    Variant args[] = {Variant::RefTo(out)};
    host::DispParams params{args, nullptr, 1, 0};
    ASSERT_EQ(seam->Invoke(1, host::iid::Null, 0, host::invoke::Method, params, nullptr, nullptr,
                           nullptr),
              base::hr::Ok);
    EXPECT_EQ(raw.calls[0].args, std::vector<std::string>{"VT_BYREF|VT_VARIANT(VT_EMPTY)"});
    EXPECT_EQ(out, Variant(u"filled"));
}

TEST_F(ComAdapters, RoundTripThroughTheVtableBalancesReferences) {
    {
        auto seam = host::MakeRef<RecordingDispatch>(&live);
        seam->answer = [](const host::DispParams& params, Variant* result, host::ExcepInfo*) {
            params.args[0].Target() = true;
            *result = params.args[1];
            return base::hr::Ok;
        };
        ComPtr<IDispatch> com = ToCom(seam.Get());
        // A new client over our own server adapter: the call really goes through COM.
        host::Ref<host::Dispatch> client = WrapClient(com.Get());
        Variant cancel(false);
        Variant args[] = {Variant::RefTo(cancel), Variant(u"Sheet1")};
        host::DispParams params{args, nullptr, 2, 0};
        Variant result;
        ASSERT_EQ(client->Invoke(0x61C, host::iid::Null, 0, host::invoke::Method, params, &result,
                                 nullptr, nullptr),
                  base::hr::Ok);
        EXPECT_EQ(seam->calls[0].args,
                  (std::vector<std::string>{"ByRef->Bool(false)", "String(\"Sheet1\")"}));
        EXPECT_TRUE(cancel.ToBool());
        EXPECT_EQ(result, Variant(u"Sheet1"));
        EXPECT_EQ(host::ModuleLock::Held(), 1);
    }
    EXPECT_EQ(live.value, 0) << "every reference was released";
}

TEST_F(ComAdapters, ComReferencesMoveTheServedObjectsCount) {
    auto seam = host::MakeRef<RecordingDispatch>(&live);
    auto countOf = [&] {
        const std::uint32_t n = seam->AddRef() - 1;
        seam->Release();
        return n;
    };
    EXPECT_EQ(countOf(), 1u);
    ComPtr<IDispatch> com = ToCom(seam.Get());
    const std::uint32_t withAdapter = countOf();
    com->AddRef();
    EXPECT_EQ(countOf(), withAdapter + 1);
    com->Release();
    EXPECT_EQ(countOf(), withAdapter);
    com.Reset();
    EXPECT_EQ(countOf(), 1u);
}

TEST_F(ComAdapters, RoundTripsNeverAddLayers) {
    auto seam = host::MakeRef<RecordingDispatch>(&live);
    ComPtr<IDispatch> com = ToCom(seam.Get());
    EXPECT_EQ(FromCom(com.Get()).Get(), seam.Get()) << "our server adapter unwraps";
    EXPECT_EQ(ToCom(seam.Get()).Get(), com.Get()) << "one server adapter per object";

    ComPtr<IUnknown> unknownA, unknownB;
    com->QueryInterface(IID_IUnknown, unknownA.PutVoid());
    ToCom(seam.Get())->QueryInterface(IID_IUnknown, unknownB.PutVoid());
    EXPECT_EQ(unknownA, unknownB) << "COM identity holds";

    RawDispatch raw;
    {
        host::Ref<host::Dispatch> client = FromCom(&raw);
        EXPECT_EQ(ToCom(client.Get()).Get(), &raw) << "a client adapter hands its pointer back";
    }
    EXPECT_EQ(raw.Count(), 1u);
}

TEST_F(ComAdapters, QueryInterfaceFollowsTheServedObject) {
    const base::Guid range = base::Guid::Parse("{00020846-0000-0000-C000-000000000046}");
    auto seam = host::MakeRef<RecordingDispatch>(&live, std::vector<base::Guid>{range});
    ComPtr<IDispatch> com = ToCom(seam.Get());
    ComPtr<IDispatch> asRange;
    EXPECT_EQ(com->QueryInterface(ToGuid(range), asRange.PutVoid()), S_OK);
    EXPECT_EQ(asRange.Get(), com.Get());
    ComPtr<IUnknown> none;
    EXPECT_EQ(com->QueryInterface(IID_IConnectionPointContainer, none.PutVoid()), E_NOINTERFACE);
    EXPECT_FALSE(none);

    // And from the seam side, through a client over the real vtable.
    host::Ref<host::Dispatch> client = WrapClient(com.Get());
    EXPECT_TRUE(host::QueryAs<host::Dispatch>(client.Get(), range));
    EXPECT_FALSE(host::QueryAs<host::ConnectionPointContainer>(
        client.Get(), host::iid::ConnectionPointContainer));
}

TEST_F(ComAdapters, SeamSinkAdvisedAtARealConnectionPoint) {
    RawEventSource excel(kAppEvents);
    {
        auto sink =
            host::MakeRef<RecordingDispatch>(&live, std::vector<base::Guid>{FromGuid(kAppEvents)});
        sink->answer = [](const host::DispParams& params, Variant*, host::ExcepInfo*) {
            params.args[0].Target() = true;
            return base::hr::Ok;
        };
        host::Ref<host::Dispatch> app = FromCom(&excel);
        auto container = host::QueryAs<host::ConnectionPointContainer>(
            app.Get(), host::iid::ConnectionPointContainer);
        ASSERT_TRUE(container);
        host::Ref<host::ConnectionPoint> point;
        EXPECT_EQ(container->FindConnectionPoint(host::iid::Dispatch, point),
                  base::hr::ConnectNoConnection);
        ASSERT_EQ(container->FindConnectionPoint(FromGuid(kAppEvents), point), base::hr::Ok);
        base::Guid iid;
        EXPECT_EQ(point->GetConnectionInterface(iid), base::hr::Ok);
        EXPECT_EQ(iid, FromGuid(kAppEvents));

        std::uint32_t cookie = 0;
        ASSERT_EQ(point->Advise(sink.Get(), cookie), base::hr::Ok);
        EXPECT_NE(cookie, 0u);
        EXPECT_EQ(excel.AdvisedCount(), 1u);

        VARIANT_BOOL cancel = VARIANT_FALSE;
        std::vector<VARIANT> args(2);
        args[0].vt = VT_BYREF | VT_BOOL;
        args[0].pboolVal = &cancel;
        args[1].vt = VT_DISPATCH;
        args[1].pdispVal = nullptr;
        excel.Fire(0x622, args);
        EXPECT_EQ(excel.lastResult, S_OK);
        ASSERT_EQ(sink->calls.size(), 1u);
        EXPECT_EQ(sink->calls[0].member, 0x622);
        EXPECT_EQ(sink->calls[0].args,
                  (std::vector<std::string>{"ByRef->Bool(false)", "Object(nothing)"}));
        EXPECT_EQ(cancel, VARIANT_TRUE);

        EXPECT_EQ(point->Unadvise(cookie), base::hr::Ok);
        EXPECT_EQ(excel.AdvisedCount(), 0u);
        EXPECT_EQ(point->Unadvise(cookie), base::hr::ConnectNoConnection);
    }
    EXPECT_EQ(live.value, 0);
    EXPECT_EQ(excel.Count(), 1u) << "the adapters released the event source";
}

// A seam event source with one connection point, exposed to COM through the server adapter.
class SeamEventSource : public host::RefCounted<host::Dispatch, host::ConnectionPointContainer> {
public:
    class Point : public host::RefCounted<host::ConnectionPoint> {
    public:
        explicit Point(SeamEventSource* owner)
            : m_owner(owner) {}
        base::HResult QueryInterface(const base::Guid& iid, void** object) override {
            return host::AnswerQuery(
                iid, object,
                {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
                 host::InterfaceOffer::Of<host::ConnectionPoint>(host::iid::ConnectionPoint,
                                                                 this)});
        }
        base::HResult GetConnectionInterface(base::Guid& iid) override {
            iid = FromGuid(kAppEvents);
            return base::hr::Ok;
        }
        base::HResult Advise(host::Unknown* sink, std::uint32_t& cookie) override {
            m_owner->sink = host::QueryAs<host::Dispatch>(sink, FromGuid(kAppEvents));
            if (!m_owner->sink)
                return base::hr::ConnectCannotConnect;
            cookie = 7;
            return base::hr::Ok;
        }
        base::HResult Unadvise(std::uint32_t cookie) override {
            if (cookie != 7 || !m_owner->sink)
                return base::hr::ConnectNoConnection;
            m_owner->sink = nullptr;
            return base::hr::Ok;
        }

    private:
        SeamEventSource* m_owner;
    };

    host::Ref<host::Dispatch> sink;

    base::HResult QueryInterface(const base::Guid& iid, void** object) override {
        return host::AnswerQuery(
            iid, object,
            {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown,
                                                     static_cast<host::Dispatch*>(this)),
             host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this),
             host::InterfaceOffer::Of<host::ConnectionPointContainer>(
                 host::iid::ConnectionPointContainer, this)});
    }
    base::HResult GetTypeInfoCount(std::uint32_t& count) override {
        count = 0;
        return base::hr::Ok;
    }
    base::HResult GetTypeInfo(std::uint32_t, std::uint32_t) override { return base::hr::NotImpl; }
    base::HResult GetIDsOfNames(const base::Guid&, std::span<const std::u16string>, std::uint32_t,
                                std::span<host::DispId>) override {
        return base::hr::DispUnknownName;
    }
    base::HResult Invoke(host::DispId, const base::Guid&, std::uint32_t, host::InvokeFlags,
                         const host::DispParams&, Variant*, host::ExcepInfo*,
                         std::uint32_t*) override {
        return base::hr::DispMemberNotFound;
    }
    base::HResult FindConnectionPoint(const base::Guid& iid,
                                      host::Ref<host::ConnectionPoint>& point) override {
        if (iid != FromGuid(kAppEvents))
            return base::hr::ConnectNoConnection;
        point = host::MakeRef<Point>(this);
        return base::hr::Ok;
    }
};

TEST_F(ComAdapters, RawSinkAdvisedAtASeamConnectionPoint) {
    RawDispatch rawSink;
    rawSink.answers = kAppEvents;
    {
        auto source = host::MakeRef<SeamEventSource>();
        ComPtr<IDispatch> com = ToCom(source.Get());
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(com->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()), S_OK);
        ComPtr<IConnectionPoint> point;
        EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.Put()),
                  CONNECT_E_NOCONNECTION);
        ASSERT_EQ(container->FindConnectionPoint(kAppEvents, point.Put()), S_OK);
        ComPtr<IConnectionPointContainer> back;
        ASSERT_EQ(point->GetConnectionPointContainer(back.Put()), S_OK);
        EXPECT_EQ(back, container);
        ComPtr<IUnknown> identity, sourceIdentity;
        container->QueryInterface(IID_IUnknown, identity.PutVoid());
        com->QueryInterface(IID_IUnknown, sourceIdentity.PutVoid());
        EXPECT_EQ(identity, sourceIdentity) << "the container is a face of the same object";

        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&rawSink, &cookie), S_OK);
        EXPECT_EQ(cookie, 7u);

        // The source raises SheetChange(Sh, Target) through the seam: last argument first.
        Variant args[] = {Variant(u"B7"), Variant::Nothing()};
        host::DispParams params{args, nullptr, 2, 0};
        ASSERT_EQ(source->sink->Invoke(0x61C, host::iid::Null, 0, host::invoke::Method, params,
                                       nullptr, nullptr, nullptr),
                  base::hr::Ok);
        ASSERT_EQ(rawSink.calls.size(), 1u);
        EXPECT_EQ(rawSink.calls[0].args,
                  (std::vector<std::string>{"VT_BSTR(B7)", "VT_DISPATCH(null)"}));

        EXPECT_EQ(point->Unadvise(cookie), S_OK);
        EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    }
    EXPECT_EQ(rawSink.Count(), 1u) << "the connection released the sink";
}

} // namespace
} // namespace tarvex::win

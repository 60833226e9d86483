// VARIANT to seam values and back.

#include <gtest/gtest.h>

#include "base/error.h"
#include "host/win/com_adapters.h"
#include "tests/win/raw_com.h"

namespace tarvex::win {
namespace {

using host::Variant;

base::HResult ConversionError(const VARIANT& value) {
    try {
        FromComVariant(value);
    } catch (const base::Error& error) {
        return error.Code();
    }
    return base::hr::Ok;
}

TEST(ComValues, EveryScalarTypeReachesItsNearestKind) {
    struct Case {
        VARTYPE type;
        void (*fill)(VARIANT&);
        Variant expected;
    };
    const Case cases[] = {
        {VT_EMPTY, [](VARIANT&) {}, Variant()},
        {VT_NULL, [](VARIANT&) {}, Variant::Null()},
        {VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }, Variant(true)},
        {VT_BOOL, [](VARIANT& v) { v.boolVal = 1; }, Variant(true)},
        {VT_I1, [](VARIANT& v) { v.cVal = -5; }, Variant(-5)},
        {VT_UI1, [](VARIANT& v) { v.bVal = 200; }, Variant(200)},
        {VT_I2, [](VARIANT& v) { v.iVal = -300; }, Variant(-300)},
        {VT_UI2, [](VARIANT& v) { v.uiVal = 60000; }, Variant(60000)},
        {VT_I4, [](VARIANT& v) { v.lVal = -4163; }, Variant(-4163)},
        {VT_INT, [](VARIANT& v) { v.intVal = 9; }, Variant(9)},
        {VT_UI4, [](VARIANT& v) { v.ulVal = 7; }, Variant(7)},
        {VT_UI4, [](VARIANT& v) { v.ulVal = 4000000000u; }, Variant(4000000000.0)},
        {VT_I8, [](VARIANT& v) { v.llVal = -1LL << 40; }, Variant(-1099511627776.0)},
        {VT_R4, [](VARIANT& v) { v.fltVal = 0.5f; }, Variant(0.5)},
        {VT_R8, [](VARIANT& v) { v.dblVal = 1e300; }, Variant(1e300)},
        {VT_DATE, [](VARIANT& v) { v.date = 45000.25; }, Variant(45000.25)},
        {VT_CY, [](VARIANT& v) { v.cyVal.int64 = 12345; }, Variant(1.2345)},
        {VT_ERROR, [](VARIANT& v) { v.scode = DISP_E_PARAMNOTFOUND; }, Variant::Missing()},
        {VT_ERROR, [](VARIANT& v) { v.scode = E_FAIL; }, Variant::FromError(E_FAIL)},
        {VT_DISPATCH, [](VARIANT& v) { v.pdispVal = nullptr; }, Variant::Nothing()},
        {VT_UNKNOWN, [](VARIANT& v) { v.punkVal = nullptr; }, Variant::Nothing()},
    };
    for (const Case& c : cases) {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = c.type;
        c.fill(value);
        EXPECT_EQ(FromComVariant(value), c.expected) << "vt " << c.type;
    }
}

TEST(ComValues, StringsKeepEmbeddedNulsAndNullMeansEmpty) {
    VARIANT value;
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocStringLen(L"a\0b", 3);
    EXPECT_EQ(FromComVariant(value), Variant(std::u16string(u"a\0b", 3)));
    ::VariantClear(&value);
    value.vt = VT_BSTR;
    value.bstrVal = nullptr;
    EXPECT_EQ(FromComVariant(value), Variant(u""));
}

TEST(ComValues, ReferencesAreReadThrough) {
    LONG number = 12;
    VARIANT value;
    value.vt = VT_BYREF | VT_I4;
    value.plVal = &number;
    EXPECT_EQ(FromComVariant(value), Variant(12));

    VARIANT inner;
    inner.vt = VT_BOOL;
    inner.boolVal = VARIANT_FALSE;
    value.vt = VT_BYREF | VT_VARIANT;
    value.pvarVal = &inner;
    EXPECT_EQ(FromComVariant(value), Variant(false));
}

TEST(ComValues, ArraysAndUnknownsWithoutDispatchAreMismatches) {
    VARIANT value;
    value.vt = VT_ARRAY | VT_VARIANT;
    value.parray = nullptr;
    EXPECT_EQ(ConversionError(value), DISP_E_TYPEMISMATCH);
    value.vt = VT_RECORD;
    EXPECT_EQ(ConversionError(value), DISP_E_TYPEMISMATCH);

    // An object that is not an automation object cannot cross the seam.
    class PlainUnknown : public IUnknown {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
            if (IsEqualIID(riid, IID_IUnknown)) {
                *object = this;
                return S_OK;
            }
            *object = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
    } plain;
    value.vt = VT_UNKNOWN;
    value.punkVal = &plain;
    EXPECT_EQ(ConversionError(value), DISP_E_TYPEMISMATCH);
}

TEST(ComValues, SeamValuesBecomeExcelsShapes) {
    const std::pair<Variant, std::string> cases[] = {
        {Variant(), "VT_EMPTY"},
        {Variant::Missing(), "VT_ERROR(0x80020004)"},
        {Variant::Null(), "VT_NULL"},
        {Variant(true), "VT_BOOL(-1)"},
        {Variant(false), "VT_BOOL(0)"},
        {Variant(1048576), "VT_I4(1048576)"},
        {Variant(0.25), "VT_R8(0.25)"},
        {Variant(u"Z7S3"), "VT_BSTR(Z7S3)"},
        {Variant::Nothing(), "VT_DISPATCH(null)"},
        {Variant::FromError(DISP_E_BADINDEX), "VT_ERROR(0x8002000B)"},
    };
    for (const auto& [value, expected] : cases) {
        UniqueVariant converted;
        ToComVariant(value, *converted.Put());
        EXPECT_EQ(testing::DescribeComVariant(converted.Get()), expected);
    }
    Variant target;
    UniqueVariant converted;
    EXPECT_THROW(ToComVariant(Variant::RefTo(target), *converted.Put()), base::Error);
}

TEST(ComValues, WritingThroughAReferenceChecksTheCallersType) {
    SHORT small = 0;
    VARIANT reference;
    reference.vt = VT_BYREF | VT_I2;
    reference.piVal = &small;
    WriteThroughReference(Variant(-32768), reference);
    EXPECT_EQ(small, -32768);
    try {
        WriteThroughReference(Variant(40000), reference);
        FAIL() << "no overflow";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Code(), DISP_E_OVERFLOW);
    }
    VARIANT_BOOL flag = VARIANT_FALSE;
    reference.vt = VT_BYREF | VT_BOOL;
    reference.pboolVal = &flag;
    EXPECT_THROW(WriteThroughReference(Variant(u"yes"), reference), base::Error);
    EXPECT_EQ(flag, VARIANT_FALSE) << "a failed write leaves the caller's value alone";
    WriteThroughReference(Variant(1), reference);
    EXPECT_EQ(flag, VARIANT_TRUE);

    reference.vt = VT_I4; // not a reference at all
    EXPECT_THROW(WriteThroughReference(Variant(1), reference), base::Error);
}

} // namespace
} // namespace tarvex::win

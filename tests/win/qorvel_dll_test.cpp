// qorvel.dll as Windows sees it: its type library, its resources and its class object.

#include <gtest/gtest.h>
#include <string>

#include "addin/glyphs.h"
#include "addin/identity.h"
#include "addin/strings.h"
#include "base/error.h"
#include "base/text.h"
#include "host/win/com_adapters.h"
#include "host/win/handles.h"
#include "host/win/resources.h"

namespace tarvex::win {
namespace {

// qorvel.dll lies beside the test program.
std::wstring DllPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + L"qorvel.dll";
}

struct Documentation {
    std::wstring name;
    std::wstring help;
};

Documentation DocumentationOf(ITypeInfo* info) {
    UniqueBstr name, help;
    EXPECT_EQ(info->GetDocumentation(MEMBERID_NIL, name.Put(), help.Put(), nullptr, nullptr), S_OK);
    return {name.Get() ? name.Get() : L"", help.Get() ? help.Get() : L""};
}

class QorvelDll : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }
};

TEST_F(QorvelDll, TypeLibraryDescribesLibraryInterfaceAndClass) {
    ComPtr<ITypeLib> library;
    ASSERT_EQ(::LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, library.Put()), S_OK);

    UniqueBstr name, help;
    ASSERT_EQ(library->GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(name.Get(), L"qorvel");
    EXPECT_STREQ(help.Get(), L"Tarvex Library");
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(library->GetLibAttr(&libAttr), S_OK);
    EXPECT_EQ(FromGuid(libAttr->guid), addin::kLibId);
    EXPECT_EQ(libAttr->wMajorVerNum, 1);
    EXPECT_EQ(libAttr->wMinorVerNum, 0);
    EXPECT_EQ(libAttr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    library->ReleaseTLibAttr(libAttr);

    ComPtr<ITypeInfo> iface;
    ASSERT_EQ(library->GetTypeInfoOfGuid(ToGuid(addin::kIidITarvex), iface.Put()), S_OK);
    const Documentation ifaceDoc = DocumentationOf(iface.Get());
    EXPECT_EQ(ifaceDoc.name, L"ITarvex");
    EXPECT_EQ(ifaceDoc.help, L"Dispatch interface for Tarvex Object");
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(iface->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH) << "a dual interface is seen as its dispatch face";
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    iface->ReleaseTypeAttr(attr);
    // The vtable half of the dual interface: derived from IDispatch, automation-compatible.
    HREFTYPE vtableRef = 0;
    ASSERT_EQ(iface->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef), S_OK);
    ComPtr<ITypeInfo> vtable;
    ASSERT_EQ(iface->GetRefTypeInfo(vtableRef, vtable.Put()), S_OK);
    ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    EXPECT_EQ(attr->cImplTypes, 1);
    vtable->ReleaseTypeAttr(attr);
    HREFTYPE baseRef = 0;
    ASSERT_EQ(vtable->GetRefTypeOfImplType(0, &baseRef), S_OK);
    ComPtr<ITypeInfo> base;
    ASSERT_EQ(vtable->GetRefTypeInfo(baseRef, base.Put()), S_OK);
    EXPECT_EQ(DocumentationOf(base.Get()).name, L"IDispatch");

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(library->GetTypeInfoOfGuid(ToGuid(addin::kClsidTarvex), coclass.Put()), S_OK);
    const Documentation classDoc = DocumentationOf(coclass.Get());
    EXPECT_EQ(classDoc.name, L"Tarvex");
    EXPECT_EQ(classDoc.help, L"Tarvex Object");
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attr->cImplTypes, 1);
    coclass->ReleaseTypeAttr(attr);
    INT implFlags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(0, &implFlags), S_OK);
    EXPECT_TRUE(implFlags & IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE ref = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK);
    ComPtr<ITypeInfo> defaultInterface;
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, defaultInterface.Put()), S_OK);
    EXPECT_EQ(DocumentationOf(defaultInterface.Get()).name, L"ITarvex");
}

TEST_F(QorvelDll, CarriesThePromptTextAsString65276) {
    UniqueHmodule dll(::LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(dll);
    wchar_t text[256] = {};
    ASSERT_GT(::LoadStringW(dll.Get(), addin::kIdsDuplicatePrompt, text, 256), 0);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)),
              addin::BuiltInString(addin::kIdsDuplicatePrompt));
    EXPECT_STREQ(text, L"Entered value is duplicate of cell %s. Go to cell %s?");
}

TEST_F(QorvelDll, CarriesEveryImageAsTheBitmapTheNativeBuildDraws) {
    UniqueHmodule dll(::LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(dll);
    for (const addin::GlyphId id : addin::kAllGlyphs) {
        const std::string_view name = addin::GlyphResourceName(id);
        SCOPED_TRACE(std::string(name));
        const base::Bitmap resource = LoadBitmapResource(dll.Get(), base::Utf8ToUtf16(name));
        EXPECT_EQ(resource, addin::BuiltInGlyph(id));
    }
    EXPECT_THROW(LoadBitmapResource(dll.Get(), u"NOSUCHIMAGE"), base::Error);
    EXPECT_EQ(LoadStringResource(dll.Get(), addin::kIdsDuplicatePrompt),
              addin::BuiltInString(addin::kIdsDuplicatePrompt));
    EXPECT_EQ(LoadStringResource(dll.Get(), 1), u"");
}

struct Exports {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using NoArguments = HRESULT(STDAPICALLTYPE*)();

    explicit Exports(HMODULE dll)
        : getClassObject(ProcAddress<GetClassObject>(dll, "DllGetClassObject"))
        , canUnload(ProcAddress<NoArguments>(dll, "DllCanUnloadNow"))
        , registerServer(ProcAddress<NoArguments>(dll, "DllRegisterServer"))
        , unregisterServer(ProcAddress<NoArguments>(dll, "DllUnregisterServer")) {}

    GetClassObject getClassObject;
    NoArguments canUnload;
    NoArguments registerServer;
    NoArguments unregisterServer;
};

TEST_F(QorvelDll, UnknownClassGetsNoFactoryAndANullPointer) {
    UniqueHmodule dll(::LoadLibraryW(DllPath().c_str()));
    ASSERT_TRUE(dll);
    const Exports exports(dll.Get());
    ASSERT_TRUE(exports.getClassObject && exports.canUnload && exports.registerServer &&
                exports.unregisterServer);

    void* factory = reinterpret_cast<void*>(1);
    EXPECT_EQ(exports.getClassObject(ToGuid(addin::kIidITarvex), IID_IClassFactory, &factory),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(exports.getClassObject(ToGuid(addin::kClsidTarvex), IID_IClassFactory, nullptr),
              E_POINTER);
    EXPECT_EQ(exports.canUnload(), S_OK) << "no object of the server is alive";
}

TEST_F(QorvelDll, FactoryAndLocksKeepTheDllLoaded) {
    UniqueHmodule dll(::LoadLibraryW(DllPath().c_str()));
    ASSERT_TRUE(dll);
    const Exports exports(dll.Get());

    void* unknownFactory = reinterpret_cast<void*>(1);
    EXPECT_EQ(exports.getClassObject(ToGuid(addin::kClsidTarvex), IID_IDispatch, &unknownFactory),
              E_NOINTERFACE);
    EXPECT_EQ(unknownFactory, nullptr);
    EXPECT_EQ(exports.canUnload(), S_OK) << "a refused factory leaves nothing behind";

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(exports.getClassObject(ToGuid(addin::kClsidTarvex), IID_IClassFactory,
                                     reinterpret_cast<void**>(factory.Put())),
              S_OK);
    ASSERT_TRUE(factory);
    EXPECT_EQ(exports.canUnload(), S_FALSE) << "a reference to the factory is held";

    ComPtr<IUnknown> unknown;
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.Put())), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.Get()), static_cast<void*>(factory.Get()));
    unknown.Reset();

    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.Get()), IID_IUnknown,
                                      reinterpret_cast<void**>(aggregated.Put())),
              CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(aggregated);

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(exports.canUnload(), S_FALSE) << "the server is locked";
    ASSERT_EQ(exports.getClassObject(ToGuid(addin::kClsidTarvex), IID_IClassFactory,
                                     reinterpret_cast<void**>(factory.Put())),
              S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK) << "an unbalanced unlock is harmless";
    factory.Reset();
    EXPECT_EQ(exports.canUnload(), S_OK);
}

} // namespace
} // namespace tarvex::win

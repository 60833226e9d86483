// The add-in object as Office reaches it: registered by regsvr32, created by its ProgID
// through COM, answering Office's interfaces, and connected to a simulated Excel whose
// objects cross into the DLL as real COM objects.

#include <windows.h>

#include <gtest/gtest.h>
#include <ole2.h>
#include <string>

#include "addin/identity.h"
#include "host/registry.h"
#include "host/win/com_adapters.h"
#include "host/win/handles.h"
#include "host/win/registry.h"
#include "server/tarvex_object.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "tests/win/registered_dll.h"

namespace tarvex::win {
namespace {

using server::ICustomTaskPaneConsumer;
using server::IDTExtensibility2;
using server::IRibbonExtensibility;

class RegisteredAddin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lock.Held());
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        static_cast<void>(registry.DeleteTree(host::RegistryRoot::CurrentUser, kAddinKey));
        ASSERT_EQ(RunRegsvr32(BuiltDll()), 0u);
    }
    void TearDown() override {
        EXPECT_EQ(RunRegsvr32(BuiltDll(), true), 0u);
        static_cast<void>(registry.DeleteTree(host::RegistryRoot::CurrentUser, kAddinKey));
        ::CoUninitialize();
    }

    ComPtr<IUnknown> Create() {
        CLSID clsid{};
        EXPECT_EQ(::CLSIDFromProgID(L"qorvel.Tarvex", &clsid), S_OK);
        EXPECT_EQ(FromGuid(clsid), addin::kClsidTarvex);
        ComPtr<IUnknown> object;
        EXPECT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     object.PutVoid()),
                  S_OK);
        return object;
    }

    template <class T>
    static ComPtr<T> As(IUnknown* object, const GUID& iid) {
        ComPtr<T> face;
        EXPECT_EQ(object->QueryInterface(iid, face.PutVoid()), S_OK);
        return face;
    }

    RegistrationLock lock;
    Win32Registry registry;
};

TEST_F(RegisteredAddin, ProgIdCreatesOneObjectAnsweringOfficesInterfaces) {
    ComPtr<IUnknown> object = Create();
    ASSERT_TRUE(object);
    const GUID faces[] = {server::kIidCustomTaskPaneConsumer, server::kIidRibbonExtensibility,
                          server::kIidTadxForwarding,         server::kIidDTExtensibility2,
                          ToGuid(addin::kIidITarvex),         IID_IDispatch};
    for (const GUID& iid : faces) {
        ComPtr<IUnknown> face = As<IUnknown>(object.Get(), iid);
        ASSERT_TRUE(face);
        EXPECT_EQ(As<IUnknown>(face.Get(), IID_IUnknown).Get(), object.Get())
            << "every interface leads back to the same object";
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, none.PutVoid()), E_NOINTERFACE);

    // One IDispatch: the type library's ITarvex, then the ribbon callbacks.
    ComPtr<IDispatch> dispatch = As<IDispatch>(object.Get(), IID_IDispatch);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(DispIdOf(dispatch.Get(), L"GetLabel_Callback"), 14);
    EXPECT_EQ(DispIdOf(dispatch.Get(), L"OnActionState_Callback"), 52);
    EXPECT_EQ(DispIdOf(dispatch.Get(), L"getlabel_callback"), DISPID_UNKNOWN)
        << "names match exactly";

    // Before a connection there is no module to describe a ribbon: a failure with error
    // information, and no document.
    ComPtr<IRibbonExtensibility> ribbon =
        As<IRibbonExtensibility>(object.Get(), server::kIidRibbonExtensibility);
    const UniqueBstr id(::SysAllocString(L"Microsoft.Excel.Workbook"));
    BSTR xml = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(ribbon->GetCustomUI(id.Get(), &xml), E_UNEXPECTED);
    EXPECT_EQ(xml, nullptr);
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(::GetErrorInfo(0, info.Put()), S_OK);
    UniqueBstr source;
    info->GetSource(source.Put());
    EXPECT_STREQ(source.Get(), L"qorvel.Tarvex");

    EXPECT_EQ(ServerCanUnloadNow(), S_FALSE) << "an add-in object is alive";
    info.Reset();
    dispatch.Reset();
    ribbon.Reset();
    object.Reset();
    EXPECT_EQ(ServerCanUnloadNow(), S_OK) << "the last reference went";
}

TEST_F(RegisteredAddin, ConnectsToExcelThroughComRunsTheRibbonAndLetsGoOfEverything) {
    {
        sim::SimExcel excel;
        excel.SetVersion(u"16.0");
        excel.AddWorkbook(u"Book1", {u"Sheet1"});
        const host::Ref<host::Dispatch> addInInst =
            excel.Office().AddComAddIn(u"qorvel.Tarvex", u"{0}", u"Tarvex");
        ComPtr<IUnknown> object = Create();
        ASSERT_TRUE(object);
        const ComPtr<IDTExtensibility2> extensibility =
            As<IDTExtensibility2>(object.Get(), server::kIidDTExtensibility2);
        const ComPtr<IDispatch> application = ToCom(excel.Application().Get());
        const ComPtr<IDispatch> instance = ToCom(addInInst.Get());

        // Connected after Excel's start-up: start-up runs inside OnConnection.
        ASSERT_EQ(extensibility->OnConnection(application.Get(), 0, instance.Get(), nullptr), S_OK);
        EXPECT_TRUE(excel.Office().ComAddInObject(u"qorvel.Tarvex")) << "COMAddIn.Object is set";
        EXPECT_TRUE(excel.Office().FindBar(u"Tarvex")) << "the command bar is built, hidden";

        const ComPtr<IRibbonExtensibility> ribbon =
            As<IRibbonExtensibility>(object.Get(), server::kIidRibbonExtensibility);
        const UniqueBstr ribbonId(::SysAllocString(L"Microsoft.Excel.Workbook"));
        UniqueBstr xml;
        ASSERT_EQ(ribbon->GetCustomUI(ribbonId.Get(), xml.Put()), S_OK);
        const std::wstring document(xml.Get(), ::SysStringLen(xml.Get()));
        EXPECT_NE(document.find(L"onLoad=\"RibbonLoaded_Callback\""), std::wstring::npos);

        // The Track toggle button, as Office names it to the callbacks.
        const std::wstring marker = L"<toggleButton idQ=\"default:";
        const std::size_t at = document.find(marker);
        ASSERT_NE(at, std::wstring::npos);
        const std::size_t begin = at + marker.size();
        const std::wstring trackId = document.substr(begin, document.find(L'"', begin) - begin);
        const ComPtr<IDispatch> control = ToCom(
            excel.Office().MakeRibbonControl(std::u16string(trackId.begin(), trackId.end())).Get());

        const ComPtr<IDispatch> dispatch = As<IDispatch>(object.Get(), IID_IDispatch);
        const auto call = [&](const wchar_t* name, VARIANT* args, UINT count, VARIANT* result) {
            DISPPARAMS params{args, nullptr, count, 0};
            return dispatch->Invoke(DispIdOf(dispatch.Get(), name), IID_NULL, LOCALE_USER_DEFAULT,
                                    DISPATCH_METHOD, &params, result, nullptr, nullptr);
        };
        VARIANT controlArg;
        ::VariantInit(&controlArg);
        controlArg.vt = VT_DISPATCH;
        controlArg.pdispVal = control.Get();

        VARIANT label;
        ::VariantInit(&label);
        ASSERT_EQ(call(L"GetLabel_Callback", &controlArg, 1, &label), S_OK);
        ASSERT_EQ(label.vt, VT_BSTR);
        EXPECT_STREQ(label.bstrVal, L"Track");
        ::VariantClear(&label);

        // Track pressed: arguments last-first, the pressed state after the control.
        VARIANT pressArgs[2];
        ::VariantInit(&pressArgs[0]);
        pressArgs[0].vt = VT_BOOL;
        pressArgs[0].boolVal = VARIANT_TRUE;
        pressArgs[1] = controlArg;
        EXPECT_EQ(call(L"OnActionState_Callback", pressArgs, 2, nullptr), S_OK);
        VARIANT pressed;
        ::VariantInit(&pressed);
        ASSERT_EQ(call(L"GetPressed_Callback", &controlArg, 1, &pressed), S_OK);
        EXPECT_EQ(pressed.vt, VT_BOOL);
        EXPECT_EQ(pressed.boolVal, VARIANT_TRUE) << "tracking is on";
        EXPECT_EQ(call(L"GetPressed_Callback", nullptr, 0, &pressed), DISP_E_BADPARAMCOUNT);

        EXPECT_EQ(extensibility->OnBeginShutdown(nullptr), S_OK);
        EXPECT_EQ(extensibility->OnDisconnection(0, nullptr), S_OK);
        EXPECT_EQ(extensibility->OnDisconnection(0, nullptr), E_UNEXPECTED)
            << "a second disconnection finds no connection";
    }
    std::unique_ptr<host::RegistryKey> key;
    ASSERT_EQ(registry.OpenKey(host::RegistryRoot::CurrentUser, kAddinKey,
                               host::RegistryAccess::Read, key),
              base::hr::Ok);
    host::RegistryValue mode;
    ASSERT_EQ(key->QueryValue("ADXStartMode", mode), base::hr::Ok);
    EXPECT_EQ(mode.AsString(), u"NORMAL") << "the first start is recorded";
    EXPECT_EQ(ServerCanUnloadNow(), S_OK)
        << "Excel's objects and the add-in's let go of each other";
}

} // namespace
} // namespace tarvex::win

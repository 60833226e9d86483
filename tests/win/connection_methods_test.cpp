// The add-in object's connection methods as Office calls them: through the real
// IDTExtensibility2 and ICustomTaskPaneConsumer vtables, with the simulated Excel exposed
// as a COM object, and failures answered with the thread's error information.

#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "framework/addin_object.h"
#include "framework/factory.h"
#include "framework/module.h"
#include "host/module_lock.h"
#include "host/win/com_adapters.h"
#include "server/connection_methods.h"
#include "sim/desktop/desktop.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"
#include "sim/registry/memory_registry.h"
#include "tests/support/recording_dispatch.h"

namespace tarvex::server {
namespace {

using framework::TadxAddin;

class PlainModule : public framework::TadxCOMAddInModule {
    friend class framework::TadxCOMAddInModule;
    explicit PlainModule(framework::ModuleServices services)
        : TadxCOMAddInModule(services) {}
    void LoadDesign() override { SetAddInName(u"Tarvex"); }
};

// A COM object with the connection methods and an IDispatch that knows no members; it lives
// on the test's stack, so its count only has to balance.
class ConnectionObject final : public TadxConnectionMethods<ConnectionObject> {
public:
    explicit ConnectionObject(TadxAddin& addin)
        : m_addin(addin) {}
    TadxAddin& AddinObject() noexcept { return m_addin; }
    ULONG References() const noexcept { return m_references; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, kIidDTExtensibility2))
            *object = static_cast<IDTExtensibility2*>(this);
        else if (IsEqualIID(iid, kIidCustomTaskPaneConsumer))
            *object = static_cast<ICustomTaskPaneConsumer*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }
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

private:
    TadxAddin& m_addin;
    ULONG m_references = 1;
};

class ConnectionMethods : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        excel.SetVersion(u"11.0");
        addin.SetSelfDispatch([this] { return host::Ref<host::Dispatch>(published); });
    }
    void TearDown() override {
        addin.OnDisconnection(framework::remove_mode::HostShutdown);
        EXPECT_EQ(host::ModuleLock::Held(), 0) << "a COM adapter outlived the connection";
        ::CoUninitialize();
    }

    IDTExtensibility2* Extensibility() { return &static_cast<IDTExtensibility2&>(object); }

    sim::SimExcel excel;
    sim::MemoryRegistry registry;
    sim::SimDesktop desktop;
    const framework::TadxFactory factory{"qorvel", "Tarvex", "Tarvex Object", base::Guid(),
                                         "C:\\Tarvex\\"};
    framework::TadxAddinProcessState process;
    const host::Ref<host::Dispatch> published = host::MakeRef<testing::RecordingDispatch>();
    TadxAddin addin{factory,
                    [this] {
                        return framework::TadxCOMAddInModule::Create<PlainModule>(
                            framework::ModuleServices{desktop, registry});
                    },
                    process};
    ConnectionObject object{addin};
};

TEST_F(ConnectionMethods, OfficesCallsConnectStartAndDisconnectThroughCom) {
    const auto application = win::ToCom(excel.Application().Get());
    const auto instance =
        win::ToCom(excel.Office().AddComAddIn(u"qorvel.Tarvex", u"{0}", u"Tarvex").Get());
    ASSERT_EQ(Extensibility()->OnConnection(application.Get(), framework::connect_mode::Startup,
                                            instance.Get(), nullptr),
              S_OK);
    ASSERT_TRUE(addin.Module());
    EXPECT_EQ(addin.Module()->HostApplication().ToObject().Get(), excel.Application().Get())
        << "our own adapter unwraps to the simulated application";
    EXPECT_EQ(excel.Office().ComAddInObject(u"qorvel.Tarvex").Get(), published.Get());

    EXPECT_EQ(Extensibility()->OnStartupComplete(nullptr), S_OK);
    EXPECT_TRUE(addin.Module()->ExcelApp());
    EXPECT_EQ(Extensibility()->OnAddInsUpdate(nullptr), S_OK);
    EXPECT_EQ(Extensibility()->OnBeginShutdown(nullptr), S_OK);
    EXPECT_EQ(Extensibility()->OnDisconnection(framework::remove_mode::HostShutdown, nullptr),
              S_OK);
    EXPECT_FALSE(addin.Module());
    EXPECT_EQ(object.References(), 1u);
}

TEST_F(ConnectionMethods, AFailureAnswersItsCodeWithErrorInformation) {
    ::SetErrorInfo(0, nullptr);
    EXPECT_EQ(Extensibility()->OnStartupComplete(nullptr), E_UNEXPECTED) << "not connected";
    win::ComPtr<IErrorInfo> info;
    ASSERT_EQ(::GetErrorInfo(0, info.Put()), S_OK);
    ASSERT_TRUE(info);
    win::UniqueBstr source;
    win::UniqueBstr description;
    ASSERT_EQ(info->GetSource(source.Put()), S_OK);
    ASSERT_EQ(info->GetDescription(description.Put()), S_OK);
    EXPECT_EQ(std::wstring(source.Get()), L"qorvel.Tarvex");
    EXPECT_EQ(std::wstring(description.Get()), L"The add-in is not connected to a host.");
    GUID iid{};
    ASSERT_EQ(info->GetGUID(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, kIidDTExtensibility2));
}

TEST_F(ConnectionMethods, TheTaskPaneFactoryArrivesThroughItsOwnInterface) {
    const auto application = win::ToCom(excel.Application().Get());
    ASSERT_EQ(Extensibility()->OnConnection(
                  application.Get(), framework::connect_mode::AfterStartup, nullptr, nullptr),
              S_OK);
    win::ComPtr<ICustomTaskPaneConsumer> consumer;
    ASSERT_EQ(Extensibility()->QueryInterface(kIidCustomTaskPaneConsumer, consumer.PutVoid()),
              S_OK);
    const auto ctpFactory = host::MakeRef<testing::RecordingDispatch>();
    const auto comFactory = win::ToCom(ctpFactory.Get());
    EXPECT_EQ(consumer->CTPFactoryAvailable(comFactory.Get()), S_OK);
    EXPECT_EQ(addin.Module()->CTPFactory().Get(), ctpFactory.Get());
}

} // namespace
} // namespace tarvex::server

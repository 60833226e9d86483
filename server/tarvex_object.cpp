#include "server/tarvex_object.h"

#include <oleauto.h>

#include <array>
#include <memory>
#include <new>
#include <string>

#include "addin/identity.h"
#include "addin/module.h"
#include "base/error.h"
#include "base/text.h"
#include "framework/factory.h"
#include "framework/ribbon_callbacks_dispatch.h"
#include "host/win/com_adapters.h"
#include "host/win/desktop.h"
#include "host/win/registry.h"
#include "host/win/resources.h"
#include "host/win/wide_text.h"
#include "server/addin_object_hook.h"
#include "server/server_identity.h"
#include "settings/help.h"

namespace tarvex::server {

namespace {

// What every add-in object of the process shares: the desktop and registry of Excel's
// process, the help engine (loaded once, on the first help request, never from DllMain) and
// what start-up completion keeps across connections.
struct ProcessServices {
    win::Win32Desktop desktop;
    win::Win32Registry registry;
    settings::HelpAccess help{desktop, registry};
    framework::TadxAddinProcessState state;
};

ProcessServices& Services() {
    static ProcessServices services;
    return services;
}

std::unique_ptr<framework::TadxCOMAddInModule> MakeModule() {
    ProcessServices& services = Services();
    return framework::TadxCOMAddInModule::Create<addin::TAddInModule>(
        framework::ModuleServices{services.desktop, services.registry},
        addin::AddInResources{
            .loadString = [](unsigned id) { return win::LoadStringResource(ServerModule(), id); },
            .loadGlyph =
                [](addin::GlyphId id) {
                    const std::string_view name = addin::GlyphResourceName(id);
                    return win::LoadBitmapResource(ServerModule(),
                                                   std::u16string(name.begin(), name.end()));
                },
            .openHelp =
                [](const std::string& fileAndTopic) {
                    Services().help.OpenText(base::Utf8ToUtf16(fileAndTopic));
                },
        });
}

// ITarvex's type information from the DLL's own type library; none when it cannot be read
// (the ribbon callbacks still answer then).
win::ComPtr<ITypeInfo> LoadITarvexInfo() {
    win::ComPtr<ITypeLib> library;
    win::ComPtr<ITypeInfo> info;
    if (SUCCEEDED(::LoadTypeLibEx(ServerPath().c_str(), REGKIND_NONE, library.Put())))
        library->GetTypeInfoOfGuid(win::ToGuid(addin::kIidITarvex), info.Put());
    return info;
}

} // namespace

win::ComPtr<ITarvex> TTarvex::Create(const framework::TadxFactory& factory) {
    // The object starts with the one reference that the returned pointer takes over.
    return win::ComPtr<ITarvex>::Adopt(static_cast<ITarvex*>(new TTarvex(factory)));
}

TTarvex::TTarvex(const framework::TadxFactory& factory)
    : m_addin(factory, MakeModule, Services().state)
    , m_dispatch(LoadITarvexInfo(), host::MakeRef<framework::TadxRibbonDispatch>(
                                        [this] { return m_addin.Module(); })) {
    // COMAddIn.Object holds the object's own IDispatch (the dual ITarvex).
    m_addin.SetSelfDispatch([this] { return win::FromCom(static_cast<ITarvex*>(this)); });
}

TTarvex::~TTarvex() = default;

STDMETHODIMP TTarvex::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (::IsEqualIID(iid, kIidCustomTaskPaneConsumer))
        *object = static_cast<ICustomTaskPaneConsumer*>(this);
    else if (::IsEqualIID(iid, kIidRibbonExtensibility))
        *object = static_cast<IRibbonExtensibility*>(this);
    else if (::IsEqualIID(iid, kIidTadxForwarding))
        *object = static_cast<ITadxForwarding*>(this);
    else if (::IsEqualIID(iid, kIidDTExtensibility2))
        *object = static_cast<IDTExtensibility2*>(this);
    else if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch) ||
             win::FromGuid(iid) == addin::kIidITarvex)
        *object = static_cast<ITarvex*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TTarvex::AddRef() {
    return ++m_references;
}

STDMETHODIMP_(ULONG) TTarvex::Release() {
    const ULONG remaining = --m_references;
    if (remaining == 0)
        delete this;
    return remaining;
}

STDMETHODIMP TTarvex::GetTypeInfoCount(UINT* count) {
    return m_dispatch.GetTypeInfoCount(count);
}

STDMETHODIMP TTarvex::GetTypeInfo(UINT index, LCID /*locale*/, ITypeInfo** info) {
    return m_dispatch.GetTypeInfo(index, info);
}

STDMETHODIMP TTarvex::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                    DISPID* ids) {
    return m_dispatch.GetIDsOfNames(iid, names, count, locale, ids);
}

STDMETHODIMP TTarvex::Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* exception, UINT* argErr) {
    // The object stays alive while a callback runs, even if the callback lets Office go of it.
    const win::ComPtr<ITarvex> keepAlive(static_cast<ITarvex*>(this));
    return m_dispatch.Invoke(static_cast<ITarvex*>(this), member, iid, locale, flags, params,
                             result, exception, argErr);
}

STDMETHODIMP TTarvex::GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) {
    if (!ribbonXml)
        return E_POINTER;
    *ribbonXml = nullptr;
    std::u16string xml;
    framework::TadxCallOutcome outcome = m_addin.GetCustomUI(win::ViewOf(ribbonId), xml);
    if (!outcome.Failed()) {
        *ribbonXml = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(xml.data()),
                                         static_cast<UINT>(xml.size()));
        if (!*ribbonXml)
            outcome = framework::GuardAddinCall(m_addin.Factory().ProgId(), [] {
                throw base::Error(base::hr::OutOfMemory, "The customUI document is too large.");
            });
    }
    return ReportOutcome(outcome, kIidRibbonExtensibility);
}

STDMETHODIMP TTarvex::Forward(VARIANT* a1, VARIANT* a2, VARIANT* a3, VARIANT* a4, VARIANT* a5,
                              VARIANT* a6, VARIANT* a7) {
    // A missing argument reaches the handler empty; a by-reference one lets it write back.
    const std::array<VARIANT*, 7> raw{a1, a2, a3, a4, a5, a6, a7};
    std::array<host::Variant, 7> arguments;
    framework::TadxCallOutcome outcome = framework::GuardAddinCall(m_addin.Factory().ProgId(), [&] {
        for (std::size_t i = 0; i < raw.size(); ++i)
            if (raw[i])
                arguments[i] = win::FromComVariant(*raw[i]);
    });
    if (!outcome.Failed())
        outcome = m_addin.ForwardCall(arguments);
    return ReportOutcome(outcome, kIidTadxForwarding);
}

HRESULT CreateAddinObject(const framework::TadxFactory& factory, REFIID iid,
                          void** object) noexcept {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    try {
        return TTarvex::Create(factory)->QueryInterface(iid, object);
    } catch (...) {
        return base::CatchCurrentFailure(E_UNEXPECTED).code;
    }
}

} // namespace tarvex::server

#include "bench/in_process_addin.h"

#include <string>

#include "addin/identity.h"
#include "addin/module.h"
#include "framework/ribbon_callbacks_dispatch.h"
#include "sim/office/office.h"

namespace tarvex::bench {

using namespace tarvex::framework;

InProcessAddin::InProcessAddin()
    : m_factory{"qorvel", "Tarvex", "Tarvex", addin::kClsidTarvex, "C:\\Tarvex\\"} {
    m_excel.AddWorkbook(u"Book1");
    m_excel.SetCallLogging(false);
    m_desktop.SetMessageHandler([this](const sim::ShownMessage&) {
        ++m_messages;
        return 1;
    });
    m_addInInst = m_excel.Office().AddComAddIn(u"qorvel.Tarvex", u"{0}", u"Tarvex");
    m_addin = std::make_unique<TadxAddin>(
        m_factory,
        [this]() -> std::unique_ptr<TadxCOMAddInModule> {
            return TadxCOMAddInModule::Create<addin::TAddInModule>(
                ModuleServices{m_desktop, m_registry});
        },
        m_process);
    m_callbacks = host::MakeRef<TadxRibbonDispatch>(
        [this]() -> TadxCOMAddInModule* { return m_addin->Module(); });
    m_addin->SetSelfDispatch([this] { return m_callbacks; });
    m_office.emplace(
        m_excel, *m_addin, m_callbacks, m_addInInst,
        [this](const sim::OfficeCall&, const std::function<sim::OfficeHost::Outcome()>& run) {
            const sim::OfficeHost::Outcome outcome = run();
            m_failed = m_failed || outcome.Failed();
            return outcome;
        });
}

bool InProcessAddin::Start() {
    m_failed = false;
    m_office->StartUp();
    m_documentSize = m_office->CustomUI().size();
    return !m_failed && m_documentSize > 0 && m_messages == 0;
}

bool InProcessAddin::Stop() {
    m_failed = false;
    m_office->ShutDown();
    return !m_failed;
}

} // namespace tarvex::bench

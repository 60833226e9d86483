#include "bench/in_process_addin.h"

#include <string>

#include "addin/identity.h"
#include "addin/module.h"
#include "framework/ribbon_callbacks.h"
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
}

bool InProcessAddin::Start() {
    if (m_addin->OnConnection(m_excel.Application(), connect_mode::Startup, m_addInInst).Failed())
        return false;
    const std::u16string xml = GetCustomUI(*m_addin->Module(), u"Microsoft.Excel.Workbook");
    m_documentSize = xml.size();
    return !m_addin->OnStartupComplete().Failed() && m_documentSize > 0 && m_messages == 0;
}

bool InProcessAddin::Stop() {
    return !m_addin->OnBeginShutdown().Failed() &&
           !m_addin->OnDisconnection(remove_mode::HostShutdown).Failed();
}

} // namespace tarvex::bench

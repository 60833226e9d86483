#include "sim/excel/office_host.h"

#include <charconv>

#include "base/text.h"
#include "sim/excel/excel.h"
#include "sim/office/office.h"

namespace tarvex::sim {

namespace connect_mode = host::office::connect_mode;
namespace remove_mode = host::office::remove_mode;

OfficeHost::OfficeHost(SimExcel& excel, host::office::ComAddinObject& addin,
                       host::Ref<host::Dispatch> callbacks, host::Ref<host::Dispatch> comAddIn,
                       CallWrapper wrapper)
    : m_excel(excel)
    , m_addin(addin)
    , m_callbacks(std::move(callbacks))
    , m_comAddIn(std::move(comAddIn))
    , m_wrapper(std::move(wrapper)) {}

bool OfficeHost::RibbonVersion() const {
    const std::string version = base::Utf16ToUtf8(m_excel.Version());
    int major = 0;
    std::from_chars(version.data(), version.data() + version.size(), major);
    return major >= 12;
}

OfficeHost::Outcome OfficeHost::Run(const OfficeCall& call, const std::function<Outcome()>& run) {
    return m_wrapper ? m_wrapper(call, run) : run();
}

void OfficeHost::StartUp() {
    m_customUI.clear();
    m_ribbon.reset();
    Run({"OnConnection", {}}, [&] {
        return m_addin.OnConnection(m_excel.Application(), connect_mode::Startup, m_comAddIn);
    });
    // Office asks for the ribbon only where there is one, and loads it only from a document.
    if (RibbonVersion()) {
        std::u16string xml;
        const Outcome document = Run({"GetCustomUI", {}}, [&] {
            return m_addin.GetCustomUI(u"Microsoft.Excel.Workbook", xml);
        });
        if (!document.Failed()) {
            m_customUI = xml;
            m_ribbon.emplace(ParseCustomUI(xml), m_callbacks, m_excel.Office());
            const std::u16string onLoad = m_ribbon->Document().Attribute(u"onLoad");
            if (!onLoad.empty()) {
                Run({"onLoad", onLoad}, [&] {
                    host::Variant result;
                    bool known = false;
                    Outcome outcome;
                    outcome.code =
                        CallByName(*m_callbacks, onLoad,
                                   {host::Variant(m_excel.Office().RibbonUI())}, result, known);
                    return outcome;
                });
            }
        }
    }
    Run({"OnStartupComplete", {}}, [&] { return m_addin.OnStartupComplete(); });
}

void OfficeHost::ShutDown() {
    Run({"OnBeginShutdown", {}}, [&] { return m_addin.OnBeginShutdown(); });
    Run({"OnDisconnection", {}},
        [&] { return m_addin.OnDisconnection(remove_mode::HostShutdown); });
}

void OfficeHost::Unload() {
    Run({"OnDisconnection", {}}, [&] { return m_addin.OnDisconnection(remove_mode::UserClosed); });
}

} // namespace tarvex::sim

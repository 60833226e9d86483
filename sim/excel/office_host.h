#pragma once

// Office loading a COM add-in into the simulated Excel as Office does: at Excel's start-up
// the connection, then on a ribbon version (Excel 2007, "12.0", and later) the customUI
// document of the workbook ribbon and the onLoad callback it names, then start-up
// completion; at Excel's exit begin-shutdown and disconnection, or the user's unload while
// Excel runs. It belongs to Excel, which it starts and stops: it hands the add-in Excel's
// Application and reads Excel's version. tarvex-sim, the fault sweeps, the benchmarks and the
// tests load the add-in through it, each wrapping the calls to record or report them.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/object.h"
#include "host/office/com_addin.h"
#include "sim/office/ribbon_view.h"

namespace tarvex::sim {

class SimExcel;

/// One call Office makes into the add-in while loading or unloading it.
struct OfficeCall {
    /// "OnConnection", "GetCustomUI", "onLoad", "OnStartupComplete", "OnBeginShutdown" or
    /// "OnDisconnection".
    std::string_view name;
    /// For onLoad, the ribbon callback the document names; empty for the add-in object's own
    /// methods.
    std::u16string_view callback;
};

class OfficeHost {
public:
    using Outcome = host::office::CallOutcome;
    /// Runs one call (`run`) and answers its outcome: the place where a caller records,
    /// reports or scopes the calls. Without one, the calls simply run.
    using CallWrapper =
        std::function<Outcome(const OfficeCall& call, const std::function<Outcome()>& run)>;

    /// `addin` answers the add-in object's methods, `callbacks` is its IDispatch (the
    /// ribbon's callbacks) and `comAddIn` the COMAddIn object Office hands it. Each must
    /// outlive the host.
    OfficeHost(SimExcel& excel, host::office::ComAddinObject& addin,
               host::Ref<host::Dispatch> callbacks, host::Ref<host::Dispatch> comAddIn,
               CallWrapper wrapper = {});

    /// Whether Excel's version is one with the ribbon (12 and later).
    bool RibbonVersion() const;

    /// Excel's start-up with the add-in registered to load at start-up.
    void StartUp();
    /// Excel's exit: OnBeginShutdown, then OnDisconnection for the host's shut-down.
    void ShutDown();
    /// The user unloads the add-in while Excel runs: OnDisconnection(ext_dm_UserClosed).
    void Unload();

    /// The ribbon that the last start-up loaded, or null (no ribbon version, or no document).
    RibbonView* Ribbon() noexcept { return m_ribbon ? &*m_ribbon : nullptr; }
    /// The customUI document of the last start-up (empty without one).
    const std::u16string& CustomUI() const noexcept { return m_customUI; }

private:
    Outcome Run(const OfficeCall& call, const std::function<Outcome()>& run);

    SimExcel& m_excel;
    host::office::ComAddinObject& m_addin;
    host::Ref<host::Dispatch> m_callbacks;
    host::Ref<host::Dispatch> m_comAddIn;
    CallWrapper m_wrapper;
    std::u16string m_customUI;
    std::optional<RibbonView> m_ribbon;
};

} // namespace tarvex::sim

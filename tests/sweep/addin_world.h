#pragma once

// The world of the add-in's own flows: the simulated Excel 2016 with Office, the registry
// and the desktop, the add-in object Office connects to, its ribbon callbacks, and the help
// engine. Each handler the frame raises and each ribbon command runs in a named phase, so
// that a sweep knows where a failed call was made.

#include <optional>
#include <string>

#include "addin/identity.h"
#include "addin/module.h"
#include "framework/addin_object.h"
#include "framework/factory.h"
#include "framework/ribbon_component.h"
#include "settings/help.h"
#include "sim/excel/office_host.h"
#include "sim/office/office.h"
#include "tests/sweep/sweep_driver.h"

namespace tarvex::sweep {

/// The phases of the add-in flows that swallow every failure.
inline constexpr char kSheetChangePhase[] = "sheet change";

class AddinWorld : public SweepWorld {
public:
    AddinWorld();
    ~AddinWorld() override;

    /// Office's start-up of the add-in (sim::OfficeHost), each call in its own phase and
    /// its answer recorded.
    void StartUp();
    /// Office's shut-down: OnBeginShutdown, then OnDisconnection for the host's exit.
    void ShutDown();
    /// The user unloads the add-in while Excel runs: OnDisconnection(ext_dm_UserClosed).
    void Unload();

    /// Office's click on a ribbon control through the callbacks, its answer recorded; a
    /// toggle button is clicked into the opposite of its state.
    void Click(framework::TadxRibbonCustomControl& control);
    /// The control of the add-in's ribbon group at `index`, and the Help menu's items.
    framework::TadxRibbonCustomControl& GroupControl(std::size_t index) const;
    framework::TadxRibbonCustomControl& HelpItem(std::u16string_view caption) const;

    /// Makes Excel answer `version` ("11.0": Excel 2003, command bars and no ribbon).
    void SetExcelVersion(std::u16string version);

    /// The module of the current connection (null outside one).
    addin::TAddInModule* Module() const;

    /// What the session shows: the module's state, the bar, the ribbon's Track button, the
    /// owner window, the forms, shell and help requests, and Excel's active cell.
    std::string Session() const;

private:
    base::HResult InvokeCallback(std::u16string_view name, std::vector<host::Variant> arguments);
    std::unique_ptr<framework::TadxCOMAddInModule> MakeModule();

    const framework::TadxFactory m_factory{"qorvel", "Tarvex", "Tarvex Object", addin::kClsidTarvex,
                                           "C:\\Tarvex\\"};
    framework::TadxAddinProcessState m_process;
    settings::HelpAccess m_help{desktop, registry};
    host::Ref<host::Dispatch> m_comAddIn;
    framework::TadxAddin m_addin{m_factory, [this] { return MakeModule(); }, m_process};
    host::Ref<host::Dispatch> m_callbacks;
    std::optional<sim::OfficeHost> m_office;
};

/// Whether `message` is the frame's report of a handler's failure (HandleError).
bool IsHandlerErrorBox(const sim::ShownMessage& message);

/// Builds a flow over AddinWorld with the checks every add-in flow shares: the stored and
/// session snapshots, the frame's error box as the one message box, the sheet change
/// phase swallowing, and quiet reads of the options store leaving the registry unchanged.
SweepFlow<AddinWorld> AddinFlow(std::string name);

} // namespace tarvex::sweep

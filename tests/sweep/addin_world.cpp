#include "tests/sweep/addin_world.h"

#include <sstream>

#include "base/error.h"
#include "base/text.h"
#include "framework/ribbon_callbacks_dispatch.h"
#include "framework/ribbon_controls.h"
#include "framework/ribbon_tab.h"

namespace tarvex::sweep {

namespace {

constexpr char16_t kEngineFile[] = u"C:\\WINDOWS\\system32\\hhctrl.ocx";

std::string Narrow(std::u16string_view text) {
    return base::Utf16ToUtf8(text);
}

// Runs a component's handler inside a phase named after it.
template <class Handler>
void WrapInPhase(SweepWorld& world, Handler& handler, std::string phase) {
    if (!handler)
        return;
    handler = [&world, inner = handler, phase = std::move(phase)](auto&&... arguments) {
        const auto scope = world.Enter(phase);
        inner(arguments...);
    };
}

void WrapClicks(SweepWorld& world, framework::TadxRibbonControls& controls) {
    for (std::size_t i = 0; i < controls.Count(); ++i) {
        framework::TadxRibbonCustomControl& control = controls[i];
        const std::string phase = "command " + Narrow(control.Caption());
        if (auto* button = dynamic_cast<framework::TadxRibbonButton*>(&control))
            WrapInPhase(world, button->OnClick, phase);
        else if (auto* launcher = dynamic_cast<framework::TadxRibbonDialogBoxLauncher*>(&control))
            WrapInPhase(world, launcher->OnClick, "command launcher");
        if (framework::TadxRibbonControls* children = control.GetChildControls())
            WrapClicks(world, *children);
    }
}

} // namespace

AddinWorld::AddinWorld() {
    excel.SetVersion(u"16.0");
    excel.AddWorkbook(u"Book1");
    desktop.SetThreadWindows({{0x5000, u"XLMAIN"}});
    desktop.SetForegroundWindow(0x5000);
    desktop.SetActiveWindow(0x5000);
    // The help engine as Windows registers it, and the help file beside the add-in.
    registry.PutValue(host::RegistryRoot::ClassesRoot, host::html_help::EngineClassKey, "",
                      host::RegistryValue::FromString(kEngineFile));
    desktop.AddLibrary(kEngineFile, {"HtmlHelpA", "HtmlHelpW"});
    desktop.AddFile(u"C:\\Tarvex\\qorvel.chm");
    // As after registration.
    registry.PutValue(host::RegistryRoot::CurrentUser, kExcelAddinKey, "FriendlyName",
                      host::RegistryValue::FromString(u"Tarvex"));
    m_comAddIn = excel.Office().AddComAddIn(
        u"qorvel.Tarvex", base::Utf8ToUtf16(addin::kClsidTarvexText), u"Tarvex Object");
    m_callbacks = host::MakeRef<framework::TadxRibbonDispatch>(
        [this]() -> framework::TadxCOMAddInModule* { return m_addin.Module(); });
    m_addin.SetSelfDispatch([this] { return m_callbacks; });
    // Each call Office makes runs in its own phase, its answer recorded.
    m_office.emplace(
        excel, m_addin, m_callbacks, m_comAddIn,
        [this](const sim::OfficeCall& call, const std::function<sim::OfficeHost::Outcome()>& run) {
            const auto scope = Enter(std::string(call.name));
            const sim::OfficeHost::Outcome outcome = run();
            if (call.callback.empty())
                Answer(std::string(call.name), EntryKind::AddinObject, outcome.code);
            else
                Answer(Narrow(call.callback), EntryKind::RibbonCallback, outcome.code);
            return outcome;
        });
}

AddinWorld::~AddinWorld() = default;

std::unique_ptr<framework::TadxCOMAddInModule> AddinWorld::MakeModule() {
    addin::AddInResources resources;
    resources.openHelp = [this](const std::string& fileAndTopic) {
        m_help.OpenText(base::Utf8ToUtf16(fileAndTopic));
    };
    auto module = framework::TadxCOMAddInModule::Create<addin::TAddInModule>(
        framework::ModuleServices{desktop, registry}, std::move(resources));
    WrapInPhase(*this, module->OnAddInInitialize, "OnAddInInitialize");
    WrapInPhase(*this, module->OnAddInStartupComplete, "OnAddInStartupComplete");
    WrapInPhase(*this, module->OnAddInBeginShutdown, "OnAddInBeginShutdown");
    WrapInPhase(*this, module->OnAddInFinalize, "OnAddInFinalize");
    WrapClicks(*this, module->adxRibbonTab().Controls());
    return module;
}

void AddinWorld::SetExcelVersion(std::u16string version) {
    excel.SetVersion(std::move(version));
}

addin::TAddInModule* AddinWorld::Module() const {
    return dynamic_cast<addin::TAddInModule*>(m_addin.Module());
}

void AddinWorld::StartUp() {
    m_office->StartUp();
}

void AddinWorld::ShutDown() {
    m_office->ShutDown();
}

void AddinWorld::Unload() {
    m_office->Unload();
}

base::HResult AddinWorld::InvokeCallback(std::u16string_view name,
                                         std::vector<host::Variant> arguments) {
    host::Variant result;
    bool known = false;
    const base::HResult answer =
        sim::CallByName(*m_callbacks, name, std::move(arguments), result, known);
    if (!known)
        throw base::Error(base::hr::InvalidArg, "no such callback");
    Answer(Narrow(name), EntryKind::RibbonCallback, answer);
    return answer;
}

void AddinWorld::Click(framework::TadxRibbonCustomControl& control) {
    const auto scope = Enter("ribbon " + Narrow(control.Caption()));
    const host::Variant ribbonControl(excel.Office().MakeRibbonControl(control.Id()));
    if (auto* button = dynamic_cast<framework::TadxRibbonButton*>(&control);
        button && button->ToggleButton())
        InvokeCallback(u"OnActionState_Callback", {ribbonControl, !button->Pressed()});
    else
        InvokeCallback(u"OnActionCommon_Callback", {ribbonControl});
}

framework::TadxRibbonCustomControl& AddinWorld::GroupControl(std::size_t index) const {
    return Module()->adxRibbonTab().Controls()[0].GetChildControls()->operator[](index);
}

framework::TadxRibbonCustomControl& AddinWorld::HelpItem(std::u16string_view caption) const {
    framework::TadxRibbonControls& items = *GroupControl(2).GetChildControls();
    for (std::size_t i = 0; i < items.Count(); ++i)
        if (items[i].Caption() == caption)
            return items[i];
    throw base::Error(base::hr::InvalidArg, "no such item in the Help menu");
}

std::string AddinWorld::Session() const {
    std::ostringstream text;
    if (const addin::TAddInModule* module = Module()) {
        text << "module: tracking " << module->Tracking() << " case "
             << module->CaseSensitiveSearch() << " column " << module->ActiveColumnMode()
             << module->ColumnSelectedRangeMode() << " row " << module->ActiveRowMode()
             << module->RowSelectedRangeMode() << " range "
             << static_cast<bool>(module->SelectedRange()) << " start mode "
             << static_cast<int>(module->StartMode()) << " excel "
             << (module->ExcelApp() != nullptr) << " ribbon "
             << static_cast<bool>(module->RibbonUI()) << " bars "
             << static_cast<bool>(module->HostCommandBars()) << " colour window "
             << (module->ColorWindow() != nullptr) << " track " << module->RibbonTrack().Enabled()
             << module->RibbonTrack().Pressed() << '\n';
    } else {
        text << "no module\n";
    }
    const sim::SimOffice& office = excel.Office();
    if (const auto bar = office.FindBar(u"Tarvex")) {
        text << "bar visible " << office.Bar(*bar).visible << ':';
        for (const auto control : office.Controls(*bar)) {
            const sim::CommandBarControlData data = office.Control(control);
            text << ' ' << Narrow(data.caption) << '/' << data.state << '/' << data.enabled;
        }
        text << '\n';
    }
    text << "object " << static_cast<bool>(office.ComAddInObject(u"qorvel.Tarvex")) << '\n';
    text << "owner " << desktop.OwnerWindow() << " active cell " << excel.ActiveCell().row << ','
         << excel.ActiveCell().column << '\n';
    for (const sim::ShownForm& form : desktop.ShownForms())
        text << "form " << Narrow(form.caption) << " -> " << form.result << '\n';
    for (const sim::ShellRequest& request : desktop.ShellRequests())
        text << "shell " << request.file << '\n';
    for (const sim::HelpRequest& request : desktop.HelpRequests())
        text << "help " << Narrow(request.text) << '\n';
    return text.str();
}

bool IsHandlerErrorBox(const sim::ShownMessage& message) {
    return message.caption == u"Error" &&
           message.text.starts_with(u"Tarvex error: the add-in has fired an exception.\r\n");
}

SweepFlow<AddinWorld> AddinFlow(std::string name) {
    SweepFlow<AddinWorld> flow;
    flow.name = std::move(name);
    flow.prepare = [](AddinWorld& world) { world.StartUp(); };
    flow.stored = [](AddinWorld& world) { return world.Stored(); };
    flow.session = [](AddinWorld& world) { return world.Session(); };
    flow.knownMessage = IsHandlerErrorBox;
    flow.swallowingPhases = {kSheetChangePhase};
    flow.reportingPhases = {"OnAddIn", "command "};
    flow.tolerance = [](const FaultPoint& fault) {
        // A read of the options store that fails yields the option's default, silently;
        // nothing stored may change for it.
        if (fault.kind == FaultPoint::Kind::RegistryOperation &&
            fault.operation.path.find("Tarvex\\Options") != std::string::npos &&
            (fault.operation.operation == sim::RegistryOperation::OpenKey ||
             fault.operation.operation == sim::RegistryOperation::QueryValue))
            return Tolerance::SessionOnly;
        return Tolerance::None;
    };
    return flow;
}

} // namespace tarvex::sweep

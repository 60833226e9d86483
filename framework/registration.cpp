#include "framework/registration.h"

#include <optional>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/scope_exit.h"
#include "base/text.h"
#include "framework/command_bar.h"
#include "framework/command_bar_records.h"
#include "framework/factory.h"
#include "host/office/office.h"

namespace tarvex::framework {

namespace {

using base::Error;
using host::RegistryRoot;
using host::RegistryValue;

// Message box styles and answers of the running-host box.
constexpr std::uint32_t kAbortRetryIgnore = 0x2;
constexpr std::uint32_t kIconInformation = 0x40;
constexpr int kIdAbort = 3;
constexpr int kIdCancel = 2;
constexpr int kIdRetry = 4;

// The Office type of a pop-up control, and the "\Controls" record value that asks for a
// control to be deleted even while it still holds controls.
constexpr std::int32_t kPopupType = 10;
constexpr std::int32_t kDeleteUnconditionally = 255;

using ModulePtr = std::unique_ptr<TadxCOMAddInModule>;

TadxOfficeHostApp HostAt(int index) {
    return static_cast<TadxOfficeHostApp>(index);
}

// A module to read the registration properties from. It gets the factory, so that its
// add-in key is the real one and never the empty path that would act on the root.
ModulePtr MakeModule(const RegistrationContext& context) {
    ModulePtr module = context.makeModule(context.services);
    if (!module)
        throw Error(base::hr::Fail, "The add-in module could not be created");
    module->SetFactory(&context.factory);
    return module;
}

// The current user's scope never reaches the machine's keys: it is the registration that
// needs no administrator.
bool ForAllUsers(const TadxCOMAddInModule& module, RegistrationScope scope) {
    return scope == RegistrationScope::Machine && module.RegisterForAllUsers();
}

RegistryRoot RegistrationRoot(const TadxCOMAddInModule& module, RegistrationScope scope) {
    return ForAllUsers(module, scope) ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser;
}

std::vector<TadxOfficeHostApp> InstalledHosts(const TadxCOMAddInModule& module,
                                              RegistrationHost& hosts) {
    std::vector<TadxOfficeHostApp> installed;
    for (int i = 0; i < kHostAppCount; ++i) {
        if (module.SupportedApps().Contains(HostAt(i)) && hosts.IsInstalled(HostProgId(HostAt(i))))
            installed.push_back(HostAt(i));
    }
    return installed;
}

std::string AddinKeyOf(TadxCOMAddInModule& module, TadxOfficeHostApp host) {
    module.SetHostType(host);
    return module.GetAddinKey();
}

// Asks the user to close running hosts until none runs, or the user ignores or cancels.
void CheckRunningHosts(TadxCOMAddInModule& module, RegistrationHost& hosts) {
    if (!module.DisplayAlerts())
        return;
    for (;;) {
        TadxHostAppSet running;
        for (TadxOfficeHostApp host : InstalledHosts(module, hosts)) {
            if (hosts.GetRunning(HostProgId(host)))
                running.Insert(host);
        }
        if (running.Empty())
            return;
        const int answer = module.Desktop().ShowMessage(
            RunningHostsText(running), module.AddInName(), kAbortRetryIgnore | kIconInformation);
        if (answer == kIdAbort || answer == kIdCancel)
            throw Error(base::hr::Abort, std::string(registration_message::Canceled));
        if (answer != kIdRetry)
            return;
    }
}

// Creates (or reuses) a key and sets one of its values as a string.
void WriteEntry(host::Registry& registry, RegistryRoot root, const std::string& path,
                std::string_view name, std::u16string_view data) {
    std::unique_ptr<host::RegistryKey> key;
    base::HResult result = registry.CreateKey(root, path, key);
    if (base::Succeeded(result))
        result = key->SetValue(name, RegistryValue::FromString(data));
    if (base::Failed(result))
        throw Error(result, std::string(registration_message::EntryFailed));
}

struct ClassKeys {
    std::string classKey;
    std::string server;
    std::string progIdKey;
    std::string progIdClsid;
    std::string classProgId;
    std::string version;
    std::string typeLib;
};

ClassKeys ClassKeysOf(const TadxFactory& factory, std::string_view prefix) {
    const std::string classKey = std::string(prefix) + "CLSID\\" + factory.ClassId().ToString();
    const std::string progIdKey = std::string(prefix) + factory.ProgId();
    return {classKey,
            classKey + "\\InprocServer32",
            progIdKey,
            progIdKey + "\\Clsid",
            classKey + "\\ProgID",
            classKey + "\\Version",
            classKey + "\\TypeLib"};
}

std::u16string RegisteredServerPath(const RegistrationContext& context) {
    // A path with a space is written in its short form: some hosts read the server path
    // without quoting it.
    if (context.serverPath.find(u' ') == std::u16string::npos)
        return context.serverPath;
    return context.hosts.ShortPath(context.serverPath);
}

void WriteClassEntries(const RegistrationContext& context) {
    host::Registry& registry = context.services.registry;
    const TadxFactory& factory = context.factory;
    const ClassesLocation location = ClassesLocationOf(context.scope);
    const ClassKeys keys = ClassKeysOf(factory, location.prefix);
    const std::u16string description = base::Utf8ToUtf16(factory.Description());
    const std::u16string serverPath = RegisteredServerPath(context);
    const std::string version =
        std::to_string(context.typeLibMajor) + '.' + std::to_string(context.typeLibMinor);
    const RegistryRoot root = location.root;

    WriteEntry(registry, root, keys.classKey, "", description);
    WriteEntry(registry, root, keys.server, "", serverPath);
    WriteEntry(registry, root, keys.server, "ThreadingModel", u"Apartment");
    WriteEntry(registry, root, keys.progIdKey, "", description);
    WriteEntry(registry, root, keys.progIdClsid, "",
               base::Utf8ToUtf16(factory.ClassId().ToString()));
    WriteEntry(registry, root, keys.classProgId, "", base::Utf8ToUtf16(factory.ProgId()));
    WriteEntry(registry, root, keys.version, "", base::Utf8ToUtf16(version));
    WriteEntry(registry, root, keys.typeLib, "", base::Utf8ToUtf16(context.libId.ToString()));
}

void SetOrThrow(host::RegistryKey& key, std::string_view name, const RegistryValue& value) {
    const base::HResult result = key.SetValue(name, value);
    if (base::Failed(result))
        throw Error(result, std::string(registration_message::EntryFailed));
}

// Writes the values that make the host load the add-in at its start. A key that cannot be
// made is a failure: the host would never load the add-in.
void WriteAddinKey(TadxCOMAddInModule& module, TadxOfficeHostApp host, RegistrationScope scope) {
    const std::string path = AddinKeyOf(module, host);
    std::unique_ptr<host::RegistryKey> key;
    const base::HResult created =
        module.Registry().CreateKey(RegistrationRoot(module, scope), path, key);
    if (base::Failed(created))
        throw Error(created, std::string(registration_message::EntryFailed));
    SetOrThrow(*key, "FriendlyName", RegistryValue::FromString(module.AddInName()));
    SetOrThrow(*key, "Description", RegistryValue::FromString(module.Description()));
    SetOrThrow(*key, "LoadBehavior",
               RegistryValue::FromDWord(static_cast<std::uint32_t>(module.LoadBehavior())));
    SetOrThrow(*key, "CommandLineSafe", RegistryValue::FromDWord(0));
}

// Runs a registration handler of the module with the add-in key open on its registry object;
// the handler's failure goes to the module's error handling.
void RunRegistrationHandler(TadxCOMAddInModule& module,
                            const TadxCOMAddInModule::NotifyEvent& handler, TadxOfficeHostApp host,
                            bool create) {
    if (!handler)
        return;
    const std::string path = AddinKeyOf(module, host);
    module.SetAddinRegistry(nullptr);
    std::unique_ptr<host::RegistryKey> key;
    if (create)
        static_cast<void>(module.Registry().CreateKey(RegistryRoot::CurrentUser, path, key));
    else
        static_cast<void>(module.Registry().OpenKey(RegistryRoot::CurrentUser, path,
                                                    host::RegistryAccess::All, key));
    module.SetAddinRegistry(std::move(key));
    const base::ScopeExit closeKey([&module]() noexcept { module.SetAddinRegistry(nullptr); });
    module.Guard([&] { handler(module); });
}

// What the add-in recorded in a host before unregistration: its persistent bars by name,
// and its persistent controls by tag with their record numbers.
struct Records {
    std::vector<std::u16string> bars;
    std::vector<std::pair<std::u16string, std::int32_t>> controls;
};

Records ReadUiRecords(const TadxCOMAddInModule& module) {
    Records records;
    if (module.GetAddinKey().empty())
        return records;
    if (auto bars = RecordNames(module, record_key::CommandBars))
        records.bars = std::move(*bars);
    if (auto controls = RecordNames(module, record_key::Controls)) {
        for (std::u16string& name : *controls) {
            const std::int32_t number = ReadRecord(module, record_key::Controls, name).value_or(0);
            records.controls.emplace_back(std::move(name), number);
        }
    }
    return records;
}

// Sets a value of the add-in key in `root` when the key is there.
void SetIfKeyExists(host::Registry& registry, RegistryRoot root, const std::string& path,
                    std::string_view name, const RegistryValue& value) {
    if (path.empty())
        return;
    const std::unique_ptr<host::RegistryKey> key =
        registry.OpenExisting(root, path, host::RegistryAccess::All, "Opening the add-in key");
    if (key)
        base::ThrowIfFailed(key->SetValue(name, value), "Writing the add-in key");
}

void DeleteModuleBars(TadxCOMAddInModule& module, TadxOfficeHostApp host) {
    for (std::size_t i = 0; i < module.ComponentCount(); ++i) {
        const auto* bar = dynamic_cast<const TadxCommandBar*>(&module.Component(i));
        if (!bar || !bar->SupportedApps().Contains(host))
            continue;
        // A built-in bar is the host's own: Office refuses to delete it.
        const host::office::CommandBar found = module.FindCommandBar(bar->CommandBarName());
        if (found && !found.BuiltIn())
            found.Delete();
    }
}

void DeleteRecordedControls(const host::office::CommandBars& bars, const Records& records) {
    for (const auto& [tag, number] : records.controls) {
        const host::office::CommandBarControl control =
            bars.FindControl(std::nullopt, std::nullopt, tag, std::nullopt);
        if (!control)
            continue;
        // A pop-up that still holds controls of someone else stays.
        if (number != kDeleteUnconditionally && control.Type() == kPopupType &&
            control.Controls().Count() > 0)
            continue;
        control.Delete(false);
    }
}

void DeleteRecordedBars(TadxCOMAddInModule& module, const Records& records) {
    for (const std::u16string& name : records.bars) {
        const host::office::CommandBar bar = module.FindCommandBar(name);
        if (bar && !bar.BuiltIn() && bar.Controls().Count() == 0)
            bar.Delete();
    }
}

// Whether a host started now would hold anything of the add-in's: temporary bars and
// controls went when it last closed, so only what the records name and the module's bars
// that are not temporary can still be there.
bool OutlivesTheHost(const TadxCOMAddInModule& module, TadxOfficeHostApp host,
                     const Records& records) {
    if (!records.bars.empty() || !records.controls.empty())
        return true;
    for (std::size_t i = 0; i < module.ComponentCount(); ++i) {
        const auto* bar = dynamic_cast<const TadxCommandBar*>(&module.Component(i));
        if (bar && bar->SupportedApps().Contains(host) && !bar->Temporary())
            return true;
    }
    return false;
}

// Takes the add-in's bars and controls out of one host. A host that does not run is started
// for the purpose, and told to quit again, only when it would hold something to delete.
void RemoveHostUserInterface(TadxCOMAddInModule& module, RegistrationHost& hosts,
                             TadxOfficeHostApp host, RegistrationScope scope) {
    const std::string path = AddinKeyOf(module, host);
    const Records records = ReadUiRecords(module);

    // The host must not load the add-in while it is being cleaned up.
    SetIfKeyExists(module.Registry(), RegistryRoot::CurrentUser, path, "ADXStartMode",
                   RegistryValue::FromString(u"UNINSTALL"));
    SetIfKeyExists(module.Registry(), RegistrationRoot(module, scope), path, "LoadBehavior",
                   RegistryValue::FromDWord(0));

    const std::string_view progId = HostProgId(host);
    host::Ref<host::Dispatch> application = hosts.GetRunning(progId);
    const bool started = !application;
    if (started) {
        // Starting the host costs seconds, loads every other add-in, may stop at one of its
        // own start-up dialogs or fail outright: not for nothing to delete.
        if (!OutlivesTheHost(module, host, records))
            return;
        application = hosts.Start(progId);
    }
    if (!application)
        throw Error(base::hr::Pointer, "The host application could not be reached");
    const base::ScopeExit release([&]() noexcept {
        module.SetHostCommandBars({});
        module.SetHostApplication({});
        if (started) {
            try {
                hosts.Quit(*application);
            } catch (...) {
                // The clean-up's own outcome counts; a host that stays open is the user's to
                // close.
            }
        }
    });

    module.SetHostApplication(host::Variant(application));
    const host::office::CommandBars bars = host::office::CommandBarsOf(*application);
    module.SetHostCommandBars(bars.Object());
    DeleteModuleBars(module, host);
    DeleteRecordedControls(bars, records);
    DeleteRecordedBars(module, records);
}

void DeleteAddinKeys(TadxCOMAddInModule& module, TadxOfficeHostApp host, RegistrationScope scope) {
    const std::string path = AddinKeyOf(module, host);
    if (path.empty())
        return;
    std::vector<RegistryRoot> roots;
    if (ForAllUsers(module, scope))
        roots.push_back(RegistryRoot::LocalMachine);
    roots.push_back(RegistryRoot::CurrentUser);
    for (RegistryRoot root : roots) {
        const base::HResult deleted = module.Registry().DeleteTree(root, path);
        if (base::Failed(deleted) && deleted != base::hr::FileNotFound)
            throw Error(deleted, "The add-in key " + path + " could not be deleted");
    }
}

void DeleteClassEntries(const RegistrationContext& context) {
    const ClassesLocation location = ClassesLocationOf(context.scope);
    const ClassKeys keys = ClassKeysOf(context.factory, location.prefix);
    host::Registry& registry = context.services.registry;
    // Each on its own, subkeys before their parents; a key already gone is no failure. A key
    // that cannot be deleted does not stop the others, but unregistration must not report
    // success while the class stays registered.
    std::optional<Error> failure;
    for (const std::string* path :
         {&keys.typeLib, &keys.version, &keys.classProgId, &keys.progIdClsid, &keys.progIdKey,
          &keys.server, &keys.classKey}) {
        const base::HResult deleted = registry.DeleteKey(location.root, *path);
        if (base::Failed(deleted) && deleted != base::hr::FileNotFound && !failure)
            failure.emplace(deleted, "The class key " + *path + " could not be deleted");
    }
    if (failure)
        throw *failure;
}

} // namespace

ClassesLocation ClassesLocationOf(RegistrationScope scope) noexcept {
    if (scope == RegistrationScope::CurrentUser)
        return {RegistryRoot::CurrentUser, "Software\\Classes\\"};
    return {RegistryRoot::ClassesRoot, ""};
}

std::optional<RegistrationScope> InstallScopeOf(std::u16string_view commandLine) noexcept {
    // Command-line words compare without regard to letter case, as Windows tools take them;
    // anything around the word (blanks, quotes) makes it another word.
    if (!base::EqualsAsciiIgnoringCase(commandLine, u"user"))
        return std::nullopt;
    return RegistrationScope::CurrentUser;
}

std::u16string RunningHostsText(TadxHostAppSet running) {
    std::u16string text = u"Please close all running host application instances:\r\n";
    for (int i = 0; i < kHostAppCount; ++i) {
        if (running.Contains(HostAt(i)))
            text += base::Utf8ToUtf16(HostKeyName(HostAt(i))) + u' ';
    }
    return text;
}

void RegisterAddin(const RegistrationContext& context) {
    {
        const ModulePtr module = MakeModule(context);
        CheckRunningHosts(*module, context.hosts);
    }
    WriteClassEntries(context);

    const ModulePtr module = MakeModule(context);
    if (module->XLAutomationAddIn())
        throw Error(base::hr::NotImpl, "Registration as an Excel automation add-in is not built");
    for (TadxOfficeHostApp host : InstalledHosts(*module, context.hosts)) {
        WriteAddinKey(*module, host, context.scope);
        RunRegistrationHandler(*module, module->OnAfterAddinRegister, host, true);
    }
}

void UnregisterAddin(const RegistrationContext& context) {
    const ModulePtr module = MakeModule(context);
    CheckRunningHosts(*module, context.hosts);
    if (module->XLAutomationAddIn())
        throw Error(base::hr::NotImpl, "Registration as an Excel automation add-in is not built");

    const std::vector<TadxOfficeHostApp> installed = InstalledHosts(*module, context.hosts);
    for (TadxOfficeHostApp host : installed) {
        if (host == TadxOfficeHostApp::ohaMapPoint)
            continue;
        try {
            RemoveHostUserInterface(*module, context.hosts, host, context.scope);
        } catch (...) {
            throw Error(base::hr::Fail, std::string(registration_message::ControlsFailed));
        }
    }
    for (TadxOfficeHostApp host : installed) {
        RunRegistrationHandler(*module, module->OnBeforeAddinUnregister, host, false);
        DeleteAddinKeys(*module, host, context.scope);
    }
    DeleteClassEntries(context);
}

} // namespace tarvex::framework

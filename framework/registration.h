#pragma once

// Registration of the add-in: the COM class entries that let COM create the add-in object,
// the add-in key through which each installed Office host finds and loads it, and, at
// unregistration, the removal of both together with the command bars and controls the
// add-in left in the hosts. Portable: the registry, the desktop and the host applications
// are reached through the seam, so the whole sequence runs against the simulated hosts.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/guid.h"
#include "framework/module.h"
#include "host/object.h"
#include "host/ref.h"
#include "host/registry.h"

namespace tarvex::framework {

class TadxFactory;

/// What registration reaches besides the registry and the desktop: the COM runtime's view
/// of the host applications, and the file system's short names.
class RegistrationHost {
public:
    virtual ~RegistrationHost() = default;

    /// True when `progId` maps to a class id that is not null (CLSIDFromProgID): the host
    /// is installed.
    virtual bool IsInstalled(std::string_view progId) = 0;
    /// The running instance of `progId` (GetActiveObject), or null when none runs.
    virtual host::Ref<host::Dispatch> GetRunning(std::string_view progId) = 0;
    /// A new instance of `progId`; throws Error when it cannot be started.
    virtual host::Ref<host::Dispatch> Start(std::string_view progId) = 0;
    /// Tells an application that Start made to quit; throws Error when it refuses.
    virtual void Quit(host::Dispatch& application) = 0;
    /// The short (8.3) form of the existing file `path`; throws Error when there is none.
    virtual std::u16string ShortPath(std::u16string_view path) = 0;
};

/// Whose COM classes registration writes: the machine's (HKEY_CLASSES_ROOT, which needs an
/// administrator) or the current user's own, which needs no elevation.
enum class RegistrationScope : std::uint8_t { Machine, CurrentUser };

/// Where the COM class entries of one scope live: a registry root and the key path below it
/// that stands for the classes root ("" or ending in a backslash).
struct ClassesLocation {
    host::RegistryRoot root;
    std::string_view prefix;
};

/// HKEY_CLASSES_ROOT for the machine; HKEY_CURRENT_USER\Software\Classes for the user.
ClassesLocation ClassesLocationOf(RegistrationScope scope) noexcept;

/// The scope a DllInstall command line asks for: "user" in any letter case is the current
/// user; any other text (none, "machine", "user " with a blank...) is nothing.
std::optional<RegistrationScope> InstallScopeOf(std::u16string_view commandLine) noexcept;

/// Makes a temporary instance of the add-in's module class, from its design.
using ModuleMaker = std::function<std::unique_ptr<TadxCOMAddInModule>(ModuleServices)>;

/// Everything that registering or unregistering the add-in's one class needs.
struct RegistrationContext {
    const TadxFactory& factory;
    ModuleMaker makeModule;
    ModuleServices services;
    RegistrationHost& hosts;
    /// The full path of the DLL, as the file system spells it.
    std::u16string serverPath;
    base::Guid libId;
    unsigned typeLibMajor = 1;
    unsigned typeLibMinor = 0;
    /// The current user's scope puts the class entries below HKEY_CURRENT_USER\Software\Classes
    /// and the add-in keys below HKEY_CURRENT_USER only, whatever the module asks for.
    RegistrationScope scope = RegistrationScope::Machine;
};

namespace registration_message {
inline constexpr std::string_view EntryFailed = "Error creating system registry entry";
inline constexpr std::string_view Canceled = "The registration process has been canceled.";
inline constexpr std::string_view ControlsFailed = "Can't unregister add-in controls.";
} // namespace registration_message

/// "Please close all running host application instances:\r\n" and each running host's
/// name followed by a space.
std::u16string RunningHostsText(TadxHostAppSet running);

/// Writes the COM class entries, then the add-in key of every supported, installed host.
/// Throws Error with one of the messages above; steps already done stay done.
void RegisterAddin(const RegistrationContext& context);

/// Removes the add-in's command bars and controls from every supported, installed host
/// (one that does not run is started only when its records or the module's persistent bars
/// say it holds any), then its add-in keys with their subkeys, then the COM class entries.
/// Throws Error with one of the messages above; steps already done stay done.
void UnregisterAddin(const RegistrationContext& context);

} // namespace tarvex::framework

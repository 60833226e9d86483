#pragma once

// Who qorvel.dll is: its own file, and the TadxFactory that describes its one class.

#include <windows.h>

#include <string>

namespace tarvex::framework {
class TadxFactory;
}

namespace tarvex::server {

/// Records the DLL's own module handle (from DllMain).
void SetServerModule(HMODULE module) noexcept;

/// The DLL's own module handle (its resources live there).
HMODULE ServerModule() noexcept;

/// The full path of the DLL, through the wide API and without a length limit, so that a
/// folder outside the ANSI code page keeps its name. Throws Error when it cannot be read.
std::wstring ServerPath();

/// The folder of `path`, ending in a backslash.
std::wstring FolderOf(const std::wstring& path);

/// The server's one factory: class name and description from the coclass in the DLL's own
/// type library, the add-in folder from the DLL's path. Made on first use; throws Error when
/// the type library cannot be read.
const framework::TadxFactory& ServerFactory();

} // namespace tarvex::server

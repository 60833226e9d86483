#pragma once

// The registration's view of the COM runtime on Windows: installed and running Office hosts
// by ProgID, starting and quitting one, and short path names.

#include "framework/registration.h"

namespace tarvex::server {

class Win32RegistrationHost final : public framework::RegistrationHost {
public:
    bool IsInstalled(std::string_view progId) override;
    host::Ref<host::Dispatch> GetRunning(std::string_view progId) override;
    host::Ref<host::Dispatch> Start(std::string_view progId) override;
    /// Calls the application's Quit, reached by name.
    void Quit(host::Dispatch& application) override;
    std::u16string ShortPath(std::u16string_view path) override;
};

} // namespace tarvex::server

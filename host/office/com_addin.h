#pragma once

// A COM add-in object as Office reaches it: the calls of IDTExtensibility2 and
// IRibbonExtensibility with which Office loads, starts and unloads an add-in. The frame's
// add-in object answers them; the simulated Office makes them in Office's order.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"
#include "host/object.h"

namespace tarvex::host::office {

/// The connect modes of IDTExtensibility2.OnConnection (ext_ConnectMode).
namespace connect_mode {
inline constexpr std::int32_t AfterStartup = 0;
inline constexpr std::int32_t Startup = 1;
} // namespace connect_mode

/// The remove modes of IDTExtensibility2.OnDisconnection (ext_DisconnectMode).
namespace remove_mode {
inline constexpr std::int32_t HostShutdown = 0;
inline constexpr std::int32_t UserClosed = 1;
} // namespace remove_mode

/// What a method of the add-in object answers its COM caller: the result code and, for a
/// failure, the error information (source: the ProgID; description: the message).
struct CallOutcome {
    base::HResult code = base::hr::Ok;
    std::u16string source;
    std::u16string description;

    bool Failed() const noexcept { return code < 0; }
};

/// The add-in object's side of loading: each call answers as its COM method would.
class ComAddinObject {
public:
    virtual ~ComAddinObject() = default;

    virtual CallOutcome OnConnection(const Ref<Dispatch>& application, std::int32_t connectMode,
                                     const Ref<Dispatch>& addInInst) noexcept = 0;
    virtual CallOutcome OnStartupComplete() noexcept = 0;
    virtual CallOutcome OnBeginShutdown() noexcept = 0;
    virtual CallOutcome OnDisconnection(std::int32_t removeMode) noexcept = 0;
    /// The customUI document for the ribbon `ribbonId` into `xml`.
    virtual CallOutcome GetCustomUI(std::u16string_view ribbonId, std::u16string& xml) noexcept = 0;
};

} // namespace tarvex::host::office

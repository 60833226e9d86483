#pragma once

// HRESULT-style result codes, as COM and OLE Automation define them. The names live in
// their own namespace because <windows.h> defines the classic ones (S_OK, E_FAIL...) as
// macros; code that includes both sees no clash.

#include <cstdint>

namespace tarvex::base {

/// A COM result code: negative values are failures, 0 and positive values success.
using HResult = std::int32_t;

constexpr bool Succeeded(HResult code) noexcept {
    return code >= 0;
}
constexpr bool Failed(HResult code) noexcept {
    return code < 0;
}

/// Builds a result code from its unsigned 32-bit spelling (0x8000FFFF...).
constexpr HResult MakeHResult(std::uint32_t bits) noexcept {
    return static_cast<HResult>(bits);
}

/// The result code that Win32 error `code` maps to (HRESULT_FROM_WIN32).
constexpr HResult FromWin32(std::uint32_t code) noexcept {
    return code == 0 ? 0 : MakeHResult((code & 0xFFFFu) | 0x80070000u);
}

namespace hr {
inline constexpr HResult Ok = 0;
inline constexpr HResult False = 1;

inline constexpr HResult NotImpl = MakeHResult(0x80004001);
inline constexpr HResult NoInterface = MakeHResult(0x80004002);
inline constexpr HResult Pointer = MakeHResult(0x80004003);
inline constexpr HResult Abort = MakeHResult(0x80004004);
inline constexpr HResult Fail = MakeHResult(0x80004005);
inline constexpr HResult Unexpected = MakeHResult(0x8000FFFF);
inline constexpr HResult AccessDenied = MakeHResult(0x80070005);
inline constexpr HResult Handle = MakeHResult(0x80070006);
inline constexpr HResult OutOfMemory = MakeHResult(0x8007000E);
inline constexpr HResult InvalidArg = MakeHResult(0x80070057);
inline constexpr HResult FileNotFound = MakeHResult(0x80070002);

// IDispatch::Invoke and GetIDsOfNames.
inline constexpr HResult DispUnknownInterface = MakeHResult(0x80020001);
inline constexpr HResult DispMemberNotFound = MakeHResult(0x80020003);
inline constexpr HResult DispParamNotFound = MakeHResult(0x80020004);
inline constexpr HResult DispTypeMismatch = MakeHResult(0x80020005);
inline constexpr HResult DispUnknownName = MakeHResult(0x80020006);
inline constexpr HResult DispNoNamedArgs = MakeHResult(0x80020007);
inline constexpr HResult DispBadVarType = MakeHResult(0x80020008);
inline constexpr HResult DispException = MakeHResult(0x80020009);
inline constexpr HResult DispOverflow = MakeHResult(0x8002000A);
inline constexpr HResult DispBadIndex = MakeHResult(0x8002000B);
inline constexpr HResult DispBadParamCount = MakeHResult(0x8002000E);
inline constexpr HResult DispParamNotOptional = MakeHResult(0x8002000F);

// Class factories and registration.
inline constexpr HResult ClassNoAggregation = MakeHResult(0x80040110);
inline constexpr HResult ClassNotAvailable = MakeHResult(0x80040111);
inline constexpr HResult ClassNotRegistered = MakeHResult(0x80040154);

// Connection points.
inline constexpr HResult ConnectNoConnection = MakeHResult(0x80040200);
inline constexpr HResult ConnectAdviseLimit = MakeHResult(0x80040201);
inline constexpr HResult ConnectCannotConnect = MakeHResult(0x80040202);

// Type libraries.
inline constexpr HResult TypeElementNotFound = MakeHResult(0x8002802B);
} // namespace hr

} // namespace tarvex::base

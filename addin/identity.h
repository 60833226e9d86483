#pragma once

// The identity of qorvel.dll: its type library, interface and class ids, fixed once for
// the product. The build reads the three texts below to write the type library's IDL, so
// this header is the only place they are spelled out.

#include "host/guid.h"

namespace tarvex::addin {

inline constexpr char kLibIdText[] = "{751554B8-70A4-41F0-A4A0-86BF8B7F527E}";
inline constexpr char kIidITarvexText[] = "{9009659E-F157-4269-9719-E789E865CFCC}";
inline constexpr char kClsidTarvexText[] = "{B2533CB0-D9A8-4459-BA70-990C4C6CA948}";

/// The type library "qorvel" 1.0.
inline constexpr host::Guid kLibId = host::Guid::Parse(kLibIdText);
/// The dual interface ITarvex.
inline constexpr host::Guid kIidITarvex = host::Guid::Parse(kIidITarvexText);
/// The creatable class Tarvex (ProgID "qorvel.Tarvex").
inline constexpr host::Guid kClsidTarvex = host::Guid::Parse(kClsidTarvexText);

inline constexpr unsigned kTypeLibMajor = 1;
inline constexpr unsigned kTypeLibMinor = 0;

} // namespace tarvex::addin

#pragma once

// Key and value names as the simulated registries compare and split them. Windows compares
// registry names without regard to letter case; the simulated stores fold ASCII letters and
// compare every other character exactly.

#include <string_view>
#include <vector>

#include "base/result.h"

namespace tarvex::sim {

/// Whether `a` and `b` name the same key or value (ASCII letters compared without case).
bool SameRegistryName(std::string_view a, std::string_view b) noexcept;

/// Splits a key path into its levels, ignoring leading and trailing backslashes. "" has no
/// levels (the root itself). hr InvalidArg for an empty level ("a\\\\b") or a zero character.
base::HResult SplitKeyPath(std::string_view path, std::vector<std::string_view>& levels);

/// hr InvalidArg when a value name holds a zero character, which the registry cannot store.
base::HResult CheckValueName(std::string_view name) noexcept;

} // namespace tarvex::sim

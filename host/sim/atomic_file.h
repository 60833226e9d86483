#pragma once

// Whole-file reads and atomic whole-file replacement, for the simulator's file-backed store.
// A replacement is written to a temporary file beside the target, flushed to disk and then
// renamed over the target, so that an interrupted or failed write leaves the old file whole.

#include <filesystem>
#include <string>
#include <string_view>

#include "host/result.h"

namespace tarvex::sim {

/// The temporary file that WriteFileAtomically writes for `path`: in the same folder, named
/// after it and after this process (so that two processes never share one).
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path);

/// Replaces the file `path` with `content`, creating its folder if needed. On failure the
/// old file is untouched, the temporary file is removed, and the code tells why.
host::HResult WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

/// Reads the whole file `path` into `content`; hr FileNotFound when it does not exist.
host::HResult ReadWholeFile(const std::filesystem::path& path, std::string& content);

} // namespace tarvex::sim

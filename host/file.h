#pragma once

// Whole-file reads and atomic whole-file replacement. A replacement is written to a temporary
// file beside the target, flushed to disk and then renamed over the target, so that an
// interrupted or failed write leaves the old file whole. The portable steps live in file.cpp;
// the calls into the operating system are declared in `platform` and defined once per
// platform (host/win/file_windows.cpp on Windows, file_posix.cpp elsewhere).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "base/result.h"

namespace tarvex::host {

/// The temporary file that WriteFileAtomically writes for `path`: in the same folder, named
/// after it and after this process (so that two processes never share one).
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path);

/// Replaces the file `path` with `content`, creating its folder if needed. On failure the
/// old file is untouched, the temporary file is removed, and the code tells why.
base::HResult WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

/// Reads the whole file `path` into `content`; hr FileNotFound when it does not exist.
base::HResult ReadWholeFile(const std::filesystem::path& path, std::string& content);

/// The result code closest to a C library or file system error.
base::HResult FromErrorCode(const std::error_code& error);

namespace platform {
std::uint32_t ProcessId();
/// Writes `content` to a new file `temporary`, flushes it to disk and closes it; `created` is
/// set as soon as the file exists. Where the platform has permissions, the new file takes
/// those of `target` when it exists.
base::HResult WriteAndFlush(const std::filesystem::path& temporary,
                            const std::filesystem::path& target, std::string_view content,
                            bool& created);
/// Renames `temporary` over `path`, replacing it.
base::HResult Replace(const std::filesystem::path& temporary, const std::filesystem::path& path);
void RemoveFile(const std::filesystem::path& path);
base::HResult ReadAll(const std::filesystem::path& path, std::string& content);
} // namespace platform

} // namespace tarvex::host

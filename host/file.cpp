#include "host/file.h"

namespace tarvex::host {

namespace fs = std::filesystem;

namespace {
constexpr base::HResult kPathNotFound = base::FromWin32(3); // ERROR_PATH_NOT_FOUND
constexpr base::HResult kDiskFull = base::FromWin32(112);   // ERROR_DISK_FULL
} // namespace

base::HResult FromErrorCode(const std::error_code& error) {
    if (!error)
        return base::hr::Ok;
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system || error == std::errc::is_a_directory)
        return base::hr::AccessDenied;
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        return kPathNotFound;
    if (error == std::errc::no_space_on_device)
        return kDiskFull;
    if (error == std::errc::not_enough_memory)
        return base::hr::OutOfMemory;
    return base::hr::Fail;
}

fs::path TemporaryPathFor(const fs::path& path) {
    fs::path temporary = path;
    temporary += ".";
    temporary += std::to_string(platform::ProcessId());
    temporary += ".tmp";
    return temporary;
}

base::HResult WriteFileAtomically(const fs::path& path, std::string_view content) {
    if (path.has_parent_path()) {
        std::error_code error;
        fs::create_directories(path.parent_path(), error);
        if (error)
            return FromErrorCode(error);
    }
    const fs::path temporary = TemporaryPathFor(path);
    bool created = false;
    base::HResult result = platform::WriteAndFlush(temporary, path, content, created);
    if (base::Succeeded(result))
        result = platform::Replace(temporary, path);
    // Only a file this call created is removed: whatever else stands at that name stays.
    if (base::Failed(result) && created)
        platform::RemoveFile(temporary);
    return result;
}

base::HResult ReadWholeFile(const fs::path& path, std::string& content) {
    return platform::ReadAll(path, content);
}

} // namespace tarvex::host

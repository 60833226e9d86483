#include "atomic_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <sys/stat.h>
#endif

#include <cstdint>
#include <system_error>
#include <utility>

namespace tarvex::sim {

namespace fs = std::filesystem;
using host::HResult;

namespace {

constexpr HResult kPathNotFound = host::FromWin32(3); // ERROR_PATH_NOT_FOUND
constexpr HResult kDiskFull = host::FromWin32(112);   // ERROR_DISK_FULL

// The result code closest to a C library or file system error.
HResult FromErrorCode(const std::error_code& error) {
    if (!error)
        return host::hr::Ok;
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system || error == std::errc::is_a_directory)
        return host::hr::AccessDenied;
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        return kPathNotFound;
    if (error == std::errc::no_space_on_device)
        return kDiskFull;
    if (error == std::errc::not_enough_memory)
        return host::hr::OutOfMemory;
    return host::hr::Fail;
}

#ifdef _WIN32

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) noexcept
        : m_handle(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    HANDLE Get() const noexcept { return m_handle; }
    bool Valid() const noexcept { return m_handle != INVALID_HANDLE_VALUE; }
    /// Closes the file; false when closing failed.
    bool Close() noexcept {
        const HANDLE handle = std::exchange(m_handle, INVALID_HANDLE_VALUE);
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != 0;
    }

private:
    HANDLE m_handle;
};

HResult LastError() {
    return host::FromWin32(::GetLastError());
}

std::uint32_t ProcessId() {
    return ::GetCurrentProcessId();
}

HResult WriteAndFlush(const fs::path& temporary, const fs::path& /*target*/,
                      std::string_view content, bool& created) {
    FileHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return LastError();
    created = true;
    while (!content.empty()) {
        const DWORD chunk = content.size() > 0x10000000 ? 0x10000000 : DWORD(content.size());
        DWORD written = 0;
        if (!::WriteFile(file.Get(), content.data(), chunk, &written, nullptr))
            return LastError();
        content.remove_prefix(written);
    }
    if (!::FlushFileBuffers(file.Get()))
        return LastError();
    return file.Close() ? host::hr::Ok : LastError();
}

HResult Replace(const fs::path& temporary, const fs::path& path) {
    if (!::MoveFileExW(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return LastError();
    return host::hr::Ok;
}

void RemoveTemporary(const fs::path& temporary) {
    ::DeleteFileW(temporary.c_str());
}

HResult ReadAll(const fs::path& path, std::string& content) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = ::GetLastError();
        return error == ERROR_PATH_NOT_FOUND ? host::hr::FileNotFound : host::FromWin32(error);
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr))
            return LastError();
        if (read == 0)
            break;
        text.append(buffer, read);
    }
    content = std::move(text);
    return host::hr::Ok;
}

#else

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) noexcept
        : m_descriptor(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }

    int Get() const noexcept { return m_descriptor; }
    bool Valid() const noexcept { return m_descriptor >= 0; }
    /// Closes the descriptor; false when closing failed (errno tells why).
    bool Close() noexcept {
        const int descriptor = std::exchange(m_descriptor, -1);
        return descriptor < 0 || ::close(descriptor) == 0;
    }

private:
    int m_descriptor;
};

HResult LastError() {
    return FromErrorCode(std::error_code(errno, std::generic_category()));
}

std::uint32_t ProcessId() {
    return static_cast<std::uint32_t>(::getpid());
}

HResult WriteAndFlush(const fs::path& temporary, const fs::path& target, std::string_view content,
                      bool& created) {
    // O_NOFOLLOW: a link planted at the temporary name is not written through.
    FileDescriptor file(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!file.Valid())
        return LastError();
    created = true;
    // The new file keeps the permissions of the one it replaces (a store made private stays so).
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && ::fchmod(file.Get(), old.st_mode & 07777) != 0)
        return LastError();
    while (!content.empty()) {
        const ssize_t written = ::write(file.Get(), content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::fsync(file.Get()) != 0)
        return LastError();
    return file.Close() ? host::hr::Ok : LastError();
}

HResult Replace(const fs::path& temporary, const fs::path& path) {
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return LastError();
    // The rename itself reaches the disk with the folder's entry; a failure here no longer
    // endangers the old or the new content, so it is not reported.
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Valid())
        ::fsync(directory.Get());
    return host::hr::Ok;
}

void RemoveTemporary(const fs::path& temporary) {
    ::unlink(temporary.c_str());
}

HResult ReadAll(const fs::path& path, std::string& content) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid())
        return errno == ENOENT ? host::hr::FileNotFound : LastError();
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t read = ::read(file.Get(), buffer, sizeof buffer);
        if (read < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        if (read == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(read));
    }
    content = std::move(text);
    return host::hr::Ok;
}

#endif

} // namespace

fs::path TemporaryPathFor(const fs::path& path) {
    fs::path temporary = path;
    temporary += ".";
    temporary += std::to_string(ProcessId());
    temporary += ".tmp";
    return temporary;
}

HResult WriteFileAtomically(const fs::path& path, std::string_view content) {
    if (path.has_parent_path()) {
        std::error_code error;
        fs::create_directories(path.parent_path(), error);
        if (error)
            return FromErrorCode(error);
    }
    const fs::path temporary = TemporaryPathFor(path);
    bool created = false;
    HResult result = WriteAndFlush(temporary, path, content, created);
    if (host::Succeeded(result))
        result = Replace(temporary, path);
    // Only a file this call created is removed: whatever else stands at that name stays.
    if (host::Failed(result) && created)
        RemoveTemporary(temporary);
    return result;
}

HResult ReadWholeFile(const fs::path& path, std::string& content) {
    return ReadAll(path, content);
}

} // namespace tarvex::sim

// The POSIX calls behind host/file.h.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <sys/stat.h>
#include <utility>

#include "host/file.h"

namespace tarvex::host::platform {

namespace fs = std::filesystem;

namespace {

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

base::HResult LastError() {
    return FromErrorCode(std::error_code(errno, std::generic_category()));
}

} // namespace

std::uint32_t ProcessId() {
    return static_cast<std::uint32_t>(::getpid());
}

base::HResult WriteAndFlush(const fs::path& temporary, const fs::path& target,
                            std::string_view content, bool& created) {
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
    return file.Close() ? base::hr::Ok : LastError();
}

base::HResult Replace(const fs::path& temporary, const fs::path& path) {
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return LastError();
    // The rename itself reaches the disk with the folder's entry; a failure here no longer
    // endangers the old or the new content, so it is not reported.
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Valid())
        ::fsync(directory.Get());
    return base::hr::Ok;
}

void RemoveFile(const fs::path& path) {
    ::unlink(path.c_str());
}

base::HResult ReadAll(const fs::path& path, std::string& content) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid())
        return errno == ENOENT ? base::hr::FileNotFound : LastError();
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
    return base::hr::Ok;
}

} // namespace tarvex::host::platform

// The Windows calls behind host/file.h.

#include "host/file.h"
#include "host/win/handles.h"

namespace tarvex::host::platform {

namespace fs = std::filesystem;

namespace {

base::HResult LastError() {
    return base::FromWin32(::GetLastError());
}

// The file opened by CreateFileW, or an empty owner when it failed (GetLastError tells why).
win::UniqueKernelHandle OpenFile(const fs::path& path, DWORD access, DWORD share,
                                 DWORD disposition) {
    const HANDLE file = ::CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return win::UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

} // namespace

std::uint32_t ProcessId() {
    return ::GetCurrentProcessId();
}

base::HResult WriteAndFlush(const fs::path& temporary, const fs::path& /*target*/,
                            std::string_view content, bool& created) {
    win::UniqueKernelHandle file = OpenFile(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
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
    // Closed here rather than by the owner, because a failed close is a failed write.
    return ::CloseHandle(file.Detach()) ? base::hr::Ok : LastError();
}

base::HResult Replace(const fs::path& temporary, const fs::path& path) {
    if (!::MoveFileExW(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return LastError();
    return base::hr::Ok;
}

void RemoveFile(const fs::path& path) {
    ::DeleteFileW(path.c_str());
}

base::HResult ReadAll(const fs::path& path, std::string& content) {
    win::UniqueKernelHandle file = OpenFile(
        path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_PATH_NOT_FOUND ? base::hr::FileNotFound : base::FromWin32(error);
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
    return base::hr::Ok;
}

} // namespace tarvex::host::platform

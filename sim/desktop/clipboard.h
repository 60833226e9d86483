#pragma once

// SimClipboard: the system clipboard of the simulated desktop. It holds formats in the order
// they were put, each as a memory block, a bitmap (format 2) or an opaque GDI handle (a
// palette, a metafile...). Other programs can hold it open, as they do on Windows; the
// add-in's side opens it through SimDesktop::OpenClipboard, and the simulated Office reads
// its bitmap for PasteFace. As on Windows, emptying it makes the window it was opened for
// its owner, and only the owner can put data on it: opened for no window and emptied, it
// has no owner and refuses data.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/bitmap.h"
#include "host/clipboard.h"
#include "host/desktop.h"

namespace tarvex::sim {

class SimClipboard {
public:
    /// Data that is a GDI object: the simulation keeps only a number standing for it.
    struct GdiHandle {
        std::uint32_t value = 0;
        friend bool operator==(GdiHandle, GdiHandle) = default;
    };
    using Data = std::variant<std::vector<std::uint8_t>, base::Bitmap, GdiHandle>;

    /// The owner the clipboard has after the user's programs put something on it.
    static constexpr host::WindowHandle kOtherProgram = 0x7FFF0000;

    // What the user and other programs do; each leaves the clipboard owned by kOtherProgram.

    /// Empties the clipboard.
    void Clear();
    /// Puts a memory block as `format` (replacing what that format held). Throws
    /// Error(E_INVALIDARG) for a GDI format, whose data is never memory.
    void PutMemory(std::uint32_t format, std::vector<std::uint8_t> bytes);
    /// Puts UTF-16 text with its terminating zero as CF_UNICODETEXT.
    void PutText(std::u16string_view text);
    /// Puts a bitmap as format 2.
    void PutBitmap(base::Bitmap bitmap);
    /// Puts GDI data as `format` (a palette, a metafile, a display format...). Throws
    /// Error(E_INVALIDARG) for a format that holds memory.
    void PutGdiHandle(std::uint32_t format, std::uint32_t handle);
    /// Another program opens the clipboard and keeps it for the next `attempts` attempts to
    /// open it (from the desktop or from Office).
    void HoldElsewhere(std::size_t attempts) noexcept { m_heldElsewhere = attempts; }

    // What a test looks at.

    /// The formats, in the order the system lists them.
    std::vector<std::uint32_t> Formats() const;
    /// The data of `format`, if it is there.
    std::optional<Data> Get(std::uint32_t format) const;
    /// The bitmap (format 2), if there is one.
    std::optional<base::Bitmap> GetBitmap() const;
    /// Every attempt to open the clipboard so far, successful or not.
    std::size_t OpenAttempts() const noexcept { return m_attempts; }
    /// Whether the add-in's side has it open now.
    bool IsOpen() const noexcept { return m_open; }
    /// The window that owns the clipboard (GetClipboardOwner); 0 for none.
    host::WindowHandle Owner() const noexcept { return m_owner; }
    /// The formats whose GDI data someone asked for as memory, in order (the real clipboard
    /// would hand out a handle that is no memory block); each such read answers nothing.
    const std::vector<std::uint32_t>& GdiReadsAsMemory() const noexcept { return m_gdiReads; }

    // The add-in's side (through SimDesktop's session) and Office's.

    /// One attempt to open the clipboard for `window` (0 for none): false while another
    /// program holds it or it is already open.
    bool TryOpen(host::WindowHandle window = 0) noexcept;
    /// Closes it after TryOpen succeeded.
    void Close() noexcept { m_open = false; }
    /// The copy of the memory block of `format` that the session hands out; nothing for a
    /// GDI format, whose read is recorded (GdiReadsAsMemory).
    std::optional<std::vector<std::uint8_t>> ReadMemory(std::uint32_t format);
    /// EmptyClipboard: empties it; the window it was opened for becomes its owner (none
    /// when it was opened for no window).
    void EmptyAsOpener();
    /// SetClipboardData: puts `data` as `format`. Throws Error(E_ACCESSDENIED) unless it is
    /// open and owned by the window it was opened for, and Error(E_INVALIDARG) for memory
    /// put as a GDI format.
    void PutAsOpener(std::uint32_t format, Data data);

private:
    struct Entry {
        std::uint32_t format;
        Data data;
    };
    void Put(std::uint32_t format, Data data);
    void PutByOtherProgram(std::uint32_t format, Data data);

    std::vector<Entry> m_entries;
    std::size_t m_heldElsewhere = 0;
    std::size_t m_attempts = 0;
    bool m_open = false;
    host::WindowHandle m_openedFor = 0;
    host::WindowHandle m_owner = kOtherProgram;
    std::vector<std::uint32_t> m_gdiReads;
};

} // namespace tarvex::sim

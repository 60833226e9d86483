#pragma once

// SimClipboard: the system clipboard of the simulated desktop. It holds formats in the order
// they were put, each as a memory block, a bitmap (format 2) or an opaque GDI handle (a
// palette, a metafile...). Other programs can hold it open, as they do on Windows; the
// add-in's side opens it through SimDesktop::OpenClipboard, and the simulated Office reads
// its bitmap for PasteFace.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/bitmap.h"
#include "host/clipboard.h"

namespace tarvex::sim {

class SimClipboard {
public:
    /// Data that is a GDI object: the simulation keeps only a number standing for it.
    struct GdiHandle {
        std::uint32_t value = 0;
        friend bool operator==(GdiHandle, GdiHandle) = default;
    };
    using Data = std::variant<std::vector<std::uint8_t>, host::Bitmap, GdiHandle>;

    // What the user and other programs do.

    /// Empties the clipboard.
    void Clear();
    /// Puts a memory block as `format` (replacing what that format held). Throws
    /// Error(E_INVALIDARG) for a GDI format, whose data is never memory.
    void PutMemory(std::uint32_t format, std::vector<std::uint8_t> bytes);
    /// Puts UTF-16 text with its terminating zero as CF_UNICODETEXT.
    void PutText(std::u16string_view text);
    /// Puts a bitmap as format 2.
    void PutBitmap(host::Bitmap bitmap);
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
    std::optional<host::Bitmap> GetBitmap() const;
    /// Every attempt to open the clipboard so far, successful or not.
    std::size_t OpenAttempts() const noexcept { return m_attempts; }
    /// Whether the add-in's side has it open now.
    bool IsOpen() const noexcept { return m_open; }
    /// The formats whose GDI data someone asked for as memory, in order (the real clipboard
    /// would hand out a handle that is no memory block); each such read answers nothing.
    const std::vector<std::uint32_t>& GdiReadsAsMemory() const noexcept { return m_gdiReads; }

    // The add-in's side (through SimDesktop's session) and Office's.

    /// One attempt to open the clipboard: false while another program holds it or it is
    /// already open.
    bool TryOpen() noexcept;
    /// Closes it after TryOpen succeeded.
    void Close() noexcept { m_open = false; }
    /// The copy of the memory block of `format` that the session hands out; nothing for a
    /// GDI format, whose read is recorded (GdiReadsAsMemory).
    std::optional<std::vector<std::uint8_t>> ReadMemory(std::uint32_t format);

private:
    struct Entry {
        std::uint32_t format;
        Data data;
    };
    void Put(std::uint32_t format, Data data);

    std::vector<Entry> m_entries;
    std::size_t m_heldElsewhere = 0;
    std::size_t m_attempts = 0;
    bool m_open = false;
    std::vector<std::uint32_t> m_gdiReads;
};

} // namespace tarvex::sim

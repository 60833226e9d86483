#include "sim/desktop/clipboard.h"

#include <algorithm>

#include "base/error.h"

namespace tarvex::sim {

void SimClipboard::Clear() {
    m_entries.clear();
    m_owner = kOtherProgram;
}

void SimClipboard::Put(std::uint32_t format, Data data) {
    const auto same = [format](const Entry& entry) { return entry.format == format; };
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), same);
    if (found != m_entries.end())
        found->data = std::move(data);
    else
        m_entries.push_back({format, std::move(data)});
}

void SimClipboard::PutByOtherProgram(std::uint32_t format, Data data) {
    m_owner = kOtherProgram;
    Put(format, std::move(data));
}

void SimClipboard::PutMemory(std::uint32_t format, std::vector<std::uint8_t> bytes) {
    if (host::IsGdiClipboardFormat(format))
        throw base::Error(base::hr::InvalidArg,
                          "Clipboard format " + std::to_string(format) + " holds a GDI object");
    PutByOtherProgram(format, std::move(bytes));
}

void SimClipboard::PutText(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    for (const char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    PutByOtherProgram(host::clipboard_format::UnicodeText, std::move(bytes));
}

void SimClipboard::PutBitmap(base::Bitmap bitmap) {
    PutByOtherProgram(host::clipboard_format::Bitmap, std::move(bitmap));
}

void SimClipboard::PutGdiHandle(std::uint32_t format, std::uint32_t handle) {
    if (!host::IsGdiClipboardFormat(format))
        throw base::Error(base::hr::InvalidArg,
                          "Clipboard format " + std::to_string(format) + " holds memory");
    PutByOtherProgram(format, GdiHandle{handle});
}

std::vector<std::uint32_t> SimClipboard::Formats() const {
    std::vector<std::uint32_t> formats;
    for (const Entry& entry : m_entries)
        formats.push_back(entry.format);
    return formats;
}

std::optional<SimClipboard::Data> SimClipboard::Get(std::uint32_t format) const {
    for (const Entry& entry : m_entries) {
        if (entry.format == format)
            return entry.data;
    }
    return std::nullopt;
}

std::optional<base::Bitmap> SimClipboard::GetBitmap() const {
    const std::optional<Data> data = Get(host::clipboard_format::Bitmap);
    if (!data)
        return std::nullopt;
    return std::get<base::Bitmap>(*data);
}

bool SimClipboard::TryOpen(host::WindowHandle window) noexcept {
    ++m_attempts;
    if (m_heldElsewhere > 0) {
        --m_heldElsewhere;
        return false;
    }
    if (m_open)
        return false;
    m_open = true;
    m_openedFor = window;
    return true;
}

void SimClipboard::EmptyAsOpener() {
    if (!m_open)
        throw base::Error(base::hr::AccessDenied, "The clipboard is not open");
    m_entries.clear();
    m_owner = m_openedFor;
}

void SimClipboard::PutAsOpener(std::uint32_t format, Data data) {
    // Windows takes data only from the owner's window: a clipboard emptied while it was open
    // for no window has no owner, and SetClipboardData fails.
    if (!m_open || m_owner == 0 || m_owner != m_openedFor)
        throw base::Error(base::hr::AccessDenied,
                          "SetClipboardData: the clipboard is not owned by the window that "
                          "opened it");
    if (std::holds_alternative<std::vector<std::uint8_t>>(data) &&
        host::IsGdiClipboardFormat(format))
        throw base::Error(base::hr::InvalidArg,
                          "Clipboard format " + std::to_string(format) + " holds a GDI object");
    Put(format, std::move(data));
}

std::optional<std::vector<std::uint8_t>> SimClipboard::ReadMemory(std::uint32_t format) {
    const std::optional<Data> data = Get(format);
    if (!data)
        return std::nullopt;
    if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&*data))
        return bytes->empty() ? std::nullopt : std::optional(*bytes);
    // Taken for a memory block, this handle's "size" and "contents" would be garbage and
    // the copy would corrupt or crash: the session answers nothing, as the seam promises,
    // and the attempt is recorded so that tests see who asked.
    m_gdiReads.push_back(format);
    return std::nullopt;
}

} // namespace tarvex::sim

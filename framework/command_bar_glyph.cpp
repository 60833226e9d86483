#include "framework/command_bar_glyph.h"

#include <chrono>
#include <thread>

#include "base/error.h"
#include "host/clipboard.h"

namespace tarvex::framework {

namespace {
constexpr int kPasteAttempts = 11;
constexpr auto kPasteRetryDelay = std::chrono::milliseconds(10);
} // namespace

void TSaveClipboard::Save() {
    m_saved.clear();
    const std::unique_ptr<host::ClipboardSession> session = m_desktop->OpenClipboard(m_owner);
    if (!session)
        return;
    for (const std::uint32_t format : session->Formats()) {
        // A GDI format's data is a handle; copying it as a memory block would corrupt it or
        // crash, and its handle is the clipboard's to free once the clipboard is emptied.
        if (host::IsGdiClipboardFormat(format))
            continue;
        try {
            if (std::optional<std::vector<std::uint8_t>> data = session->Data(format))
                m_saved.emplace_back(format, std::move(*data));
        } catch (const base::Error&) {
            // One unreadable format must not cost the user the others.
        }
    }
}

void TSaveClipboard::Restore() {
    if (m_saved.empty())
        return;
    const std::unique_ptr<host::ClipboardSession> session = m_desktop->OpenClipboard(m_owner);
    if (!session)
        return;
    session->Empty();
    for (const auto& [format, data] : m_saved) {
        try {
            session->SetData(format, data);
        } catch (const base::Error&) {
            // The system refused this format; the others still go back.
        }
    }
    m_saved.clear();
}

base::Bitmap FaceOnBackground(const base::Bitmap& glyph, std::uint32_t background) {
    base::Bitmap face = glyph;
    const std::uint32_t transparent = glyph.TransparentColor();
    for (std::uint32_t& pixel : face.pixels) {
        pixel &= 0x00FFFFFF;
        if (pixel == transparent)
            pixel = background & 0x00FFFFFF;
    }
    face.bitsPerPixel = 24;
    face.transparentColor.reset();
    return face;
}

void PaintFaceByPicture(host::Desktop& desktop, const host::office::CommandBarControl& button,
                        const base::Bitmap& glyph) {
    // Office 2000's buttons have no Picture: reading it first tells the two apart.
    static_cast<void>(button.Picture());
    const host::Ref<host::Dispatch> picture = desktop.CreatePicture(glyph);
    button.SetPicture(picture);
    const host::Ref<host::Dispatch> mask = desktop.CreateMaskPicture(glyph);
    button.SetMask(mask);
}

void PaintFaceByClipboard(host::Desktop& desktop, host::WindowHandle owner,
                          const host::office::CommandBarControl& button,
                          const base::Bitmap& glyph) {
    TSaveClipboard saved(desktop, owner);
    saved.Save();
    try {
        bool placed = false;
        if (const std::unique_ptr<host::ClipboardSession> session = desktop.OpenClipboard(owner)) {
            session->Empty();
            session->SetBitmap(FaceOnBackground(glyph, desktop.ButtonFaceColor()));
            placed = true;
        }
        // A clipboard that stayed busy holds someone else's data: pasting would show that.
        if (placed) {
            for (int attempt = 1;; ++attempt) {
                try {
                    button.PasteFace();
                    break;
                } catch (const base::Error&) {
                    if (attempt == kPasteAttempts)
                        throw;
                    std::this_thread::sleep_for(kPasteRetryDelay);
                }
            }
        }
    } catch (...) {
        saved.Restore();
        throw;
    }
    saved.Restore();
}

} // namespace tarvex::framework

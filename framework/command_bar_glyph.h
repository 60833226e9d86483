#pragma once

// Painting a bitmap as a command bar button's face. Two ways: the picture way sets the
// button's Picture and Mask (Office 2002 and later), the clipboard way puts the face on the
// clipboard and calls PasteFace (Office 2000, and wherever the picture way fails). The
// clipboard way keeps what the user had on the clipboard and puts it back afterwards.

#include <cstdint>
#include <utility>
#include <vector>

#include "base/bitmap.h"
#include "host/desktop.h"
#include "host/office/office.h"

namespace tarvex::framework {

/// What the clipboard held, kept across a use of the clipboard by the add-in. Formats
/// whose data are GDI objects (bitmaps, palettes, metafiles, their display forms and the
/// private GDI range) are not kept: their data are handles, not memory.
class TSaveClipboard {
public:
    /// Opens the clipboard for `owner`, the window that owns it again after Restore.
    TSaveClipboard(host::Desktop& desktop, host::WindowHandle owner) noexcept
        : m_desktop(&desktop)
        , m_owner(owner) {}

    /// Copies every memory format on the clipboard; gives up silently while another program
    /// keeps the clipboard open. A format whose data cannot be read is left out.
    void Save();
    /// Empties the clipboard and puts the saved formats back, when anything was saved and
    /// the clipboard opens; then forgets them. A format the system refuses is left out.
    void Restore();
    /// The saved formats and their data, in the clipboard's order.
    const std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>& Saved() const noexcept {
        return m_saved;
    }

private:
    host::Desktop* m_desktop;
    host::WindowHandle m_owner;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> m_saved;
};

/// `glyph` on a background of `background` (0xRRGGBB): its transparent colour replaced by
/// the background, without alpha.
base::Bitmap FaceOnBackground(const base::Bitmap& glyph, std::uint32_t background);

/// The picture way: reads the button's Picture (which fails where buttons have none), then
/// sets a picture of `glyph` as Picture and one of its mask as Mask. `glyph` names its
/// transparent colour. Throws Error on any failure.
void PaintFaceByPicture(host::Desktop& desktop, const host::office::CommandBarControl& button,
                        const base::Bitmap& glyph);

/// The clipboard way: saves the clipboard, puts `glyph` on the button-face background on it
/// and calls PasteFace (up to 11 attempts 10 ms apart), then restores the clipboard in every
/// case; `owner` is the window that owns the clipboard throughout, without which the system
/// takes no data. A clipboard that stays busy leaves the face unchanged. Throws Error when
/// PasteFace keeps failing or the clipboard refuses the bitmap (after the restore).
void PaintFaceByClipboard(host::Desktop& desktop, host::WindowHandle owner,
                          const host::office::CommandBarControl& button, const base::Bitmap& glyph);

} // namespace tarvex::framework

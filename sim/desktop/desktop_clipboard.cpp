// SimDesktop's button-face services: pictures made from bitmaps, and sessions of the
// desktop's clipboard.

#include "base/error.h"
#include "sim/desktop/desktop.h"
#include "sim/desktop/picture.h"

namespace tarvex::sim {

namespace {
constexpr int kOpenAttempts = 101;

// The add-in's open clipboard: every call reaches the shared SimClipboard; the clipboard is
// closed when the session goes. A session outliving its desktop keeps the clipboard alive.
class SimClipboardSession final : public host::ClipboardSession {
public:
    explicit SimClipboardSession(std::shared_ptr<SimClipboard> clipboard)
        : m_clipboard(std::move(clipboard)) {}
    ~SimClipboardSession() override { m_clipboard->Close(); }
    SimClipboardSession(const SimClipboardSession&) = delete;
    SimClipboardSession& operator=(const SimClipboardSession&) = delete;

    std::vector<std::uint32_t> Formats() override { return m_clipboard->Formats(); }
    std::optional<std::vector<std::uint8_t>> Data(std::uint32_t format) override {
        return m_clipboard->ReadMemory(format);
    }
    void Empty() override { m_clipboard->EmptyAsOpener(); }
    void SetData(std::uint32_t format, const std::vector<std::uint8_t>& bytes) override {
        m_clipboard->PutAsOpener(format, bytes);
    }
    void SetBitmap(const base::Bitmap& bitmap) override {
        if (bitmap.Empty())
            throw base::Error(base::hr::InvalidArg, "An empty bitmap cannot go on the clipboard");
        base::Bitmap opaque = bitmap;
        opaque.transparentColor.reset();
        for (std::uint32_t& pixel : opaque.pixels)
            pixel &= 0x00FFFFFF;
        m_clipboard->PutAsOpener(host::clipboard_format::Bitmap, std::move(opaque));
    }

private:
    std::shared_ptr<SimClipboard> m_clipboard;
};

void RequirePixels(const base::Bitmap& bitmap) {
    if (bitmap.Empty() || bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) *
                                                      static_cast<std::size_t>(bitmap.height))
        throw base::Error(base::hr::InvalidArg,
                          "A picture needs a bitmap with one pixel per point");
}
} // namespace

host::Ref<host::Dispatch> SimDesktop::CreatePicture(const base::Bitmap& bitmap) {
    RequirePixels(bitmap);
    base::Bitmap copy = bitmap;
    copy.transparentColor.reset();
    return host::MakeRef<SimPicture>(std::move(copy), m_nextPicture++);
}

host::Ref<host::Dispatch> SimDesktop::CreateMaskPicture(const base::Bitmap& bitmap) {
    RequirePixels(bitmap);
    return host::MakeRef<SimPicture>(MaskOf(bitmap), m_nextPicture++);
}

std::unique_ptr<host::ClipboardSession> SimDesktop::OpenClipboard(host::WindowHandle owner) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (m_clipboard->TryOpen(owner))
            return std::make_unique<SimClipboardSession>(m_clipboard);
    }
    return nullptr;
}

} // namespace tarvex::sim

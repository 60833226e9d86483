#include "framework/command_bar_button.h"

#include <array>

#include "base/error.h"
#include "base/scope_exit.h"
#include "base/text.h"
#include "framework/command_bar_glyph.h"
#include "framework/factory.h"
#include "framework/module.h"

namespace tarvex::framework {

namespace office = host::office;
using Control = office::CommandBarControl;

namespace {
constexpr std::array<std::int32_t, 3> kOfficeStates{0, -1, 2};
constexpr std::array<std::int32_t, 8> kOfficeStyles{0, 1, 2, 3, 7, 11, 14, 15};
} // namespace

std::int32_t ToOfficeState(TadxMsoButtonState state) noexcept {
    return kOfficeStates.at(static_cast<std::size_t>(state));
}

std::optional<TadxMsoButtonState> FromOfficeState(std::int32_t office) noexcept {
    for (std::size_t i = 0; i < kOfficeStates.size(); ++i)
        if (kOfficeStates[i] == office)
            return static_cast<TadxMsoButtonState>(i);
    return std::nullopt;
}

std::int32_t ToOfficeStyle(TadxMsoButtonStyle style) noexcept {
    return kOfficeStyles.at(static_cast<std::size_t>(style));
}

std::optional<TadxMsoButtonStyle> FromOfficeStyle(std::int32_t office) noexcept {
    for (std::size_t i = 0; i < kOfficeStyles.size(); ++i)
        if (kOfficeStyles[i] == office)
            return static_cast<TadxMsoButtonStyle>(i);
    return std::nullopt;
}

TadxCommandBarButton::TadxCommandBarButton(TadxCommandBar& bar, TadxCommandBarPopup* parent)
    : TadxCommandBarControl(bar, parent) {}

TadxCommandBarButton::~TadxCommandBarButton() {
    // Office may hold the connection longer than the button lives.
    DropEvents();
}

// Properties.

std::int32_t TadxCommandBarButton::FaceID() const {
    return ReadLive<&Control::FaceId>(m_faceId);
}
void TadxCommandBarButton::SetFaceID(std::int32_t value) {
    m_faceId = value;
    PushLive<&Control::FaceId, &Control::SetFaceId>(m_faceId);
}

std::u16string TadxCommandBarButton::ShortcutText() const {
    std::u16string live = ReadLive<&Control::ShortcutText>(m_shortcutText);
    return live.empty() ? m_shortcutText : live;
}
void TadxCommandBarButton::SetShortcutText(std::u16string value) {
    m_shortcutText = std::move(value);
    if (!m_link)
        return;
    try {
        if (m_link.ShortcutText() != m_shortcutText)
            m_link.SetShortcutText(m_shortcutText);
    } catch (const std::exception&) {
        // Office refuses shortcut texts on some controls; the text is only a label.
    }
}

TadxMsoButtonState TadxCommandBarButton::State() const {
    const std::int32_t live = ReadLive<&Control::State>(ToOfficeState(m_state));
    return FromOfficeState(live).value_or(m_state);
}
void TadxCommandBarButton::SetState(TadxMsoButtonState value) {
    m_state = value;
    PushLive<&Control::State, &Control::SetState>(ToOfficeState(m_state));
}

TadxMsoButtonStyle TadxCommandBarButton::Style() const {
    const std::int32_t live = ReadLive<&Control::Style>(ToOfficeStyle(m_style));
    return FromOfficeStyle(live).value_or(m_style);
}
void TadxCommandBarButton::SetStyle(TadxMsoButtonStyle value) {
    m_style = value;
    PushLive<&Control::Style, &Control::SetStyle>(ToOfficeStyle(m_style));
}

TadxMsoCommandBarButtonHyperlinkType TadxCommandBarButton::HyperlinkType() const {
    return static_cast<TadxMsoCommandBarButtonHyperlinkType>(
        ReadLive<&Control::HyperlinkType>(static_cast<std::int32_t>(m_hyperlinkType)));
}
void TadxCommandBarButton::SetHyperlinkType(TadxMsoCommandBarButtonHyperlinkType value) {
    m_hyperlinkType = value;
    PushLive<&Control::HyperlinkType, &Control::SetHyperlinkType>(
        static_cast<std::int32_t>(m_hyperlinkType));
}

void TadxCommandBarButton::SetGlyph(base::Bitmap glyph) {
    m_glyph = std::move(glyph);
    if (m_link && !m_glyph.Empty())
        ApplyGlyph();
}

base::Bitmap TadxCommandBarButton::GlyphWithTransparency() const {
    base::Bitmap glyph = m_glyph;
    glyph.transparentColor = m_glyphTransparentColor ? *m_glyphTransparentColor & 0x00FFFFFF
                                                     : m_glyph.TransparentColor();
    return glyph;
}

// Linking and events.

void TadxCommandBarButton::DropEvents() noexcept {
    if (m_sink) {
        const host::Ref<TadxEventSink> sink = std::move(m_sink);
        sink->Disconnect();
    }
}

void TadxCommandBarButton::LinkTo(Control control) {
    DropEvents();
    // Connected before linking: a button whose events cannot be had stays unlinked.
    m_sink = TadxEventSink::Connect(Module(), *this, control.Object());
    TadxCommandBarControl::LinkTo(std::move(control));
    if (OfficeID() != 1) {
        // A copy of a built-in button runs the add-in's handler only, or Office's action too.
        const TadxFactory* factory = Module().Factory();
        const std::u16string action = m_disableStandardAction && factory
                                          ? u"!<" + base::Utf8ToUtf16(factory->ProgId()) + u">"
                                          : std::u16string();
        try {
            m_link.SetOnAction(action);
        } catch (const std::exception&) {
            // Some built-in controls refuse OnAction; their own action then stays.
        }
    }
}

void TadxCommandBarButton::Unlink() noexcept {
    DropEvents();
    TadxCommandBarControl::Unlink();
}

bool TadxCommandBarButton::LinkWorks() noexcept {
    if (!m_link)
        return false;
    try {
        const std::u16string helpFile = m_link.HelpFile();
        m_link.SetHelpFile(helpFile);
        return true;
    } catch (...) {
        return false;
    }
}

void TadxCommandBarButton::Relink(const host::Ref<host::Dispatch>& officeControl) {
    LinkTo(Control(officeControl));
}

void TadxCommandBarButton::DoClick() {
    if (!OnClick || m_clicking)
        return;
    m_clicking = true;
    const base::ScopeExit idle([this] { m_clicking = false; });
    Module().Guard([this] { OnClick(*this); });
}

// Applying.

bool TadxCommandBarButton::ApplyControlProperties() {
    if (!TadxCommandBarControl::ApplyControlProperties())
        return false;
    if (!m_link)
        return true;
    if (m_faceId != 0)
        PushLive<&Control::FaceId, &Control::SetFaceId>(m_faceId);
    SetShortcutText(m_shortcutText);
    PushLive<&Control::State, &Control::SetState>(ToOfficeState(m_state));
    PushLive<&Control::Style, &Control::SetStyle>(ToOfficeStyle(m_style));
    PushLive<&Control::HyperlinkType, &Control::SetHyperlinkType>(
        static_cast<std::int32_t>(m_hyperlinkType));
    if (!m_glyph.Empty())
        ApplyGlyph();
    RecordApplied();
    return true;
}

void TadxCommandBarButton::ApplyGlyph() {
    if (!m_link || m_glyph.Empty())
        return;
    TadxCOMAddInModule& module = Module();
    const base::Bitmap glyph = GlyphWithTransparency();
    const host::excel::Application* excel = module.ExcelApp();
    bool clipboardWay = false;
    try {
        clipboardWay = excel && excel->Version().starts_with(u"9.0");
    } catch (const std::exception&) {
        // A version that cannot be read: try pictures first, the clipboard after.
    }
    if (!clipboardWay) {
        try {
            PaintFaceByPicture(module.Desktop(), m_link, glyph);
            return;
        } catch (const std::exception&) {
            // Buttons without pictures take the face from the clipboard.
        }
    }
    module.Guard(
        [&] { PaintFaceByClipboard(module.Desktop(), module.ClipboardWindow(), m_link, glyph); });
}

} // namespace tarvex::framework

#pragma once

// TadxCommandBarButton: a button of a command bar or pop-up: its face (a face id or a glyph
// bitmap), state, style and shortcut text, and its click, which reaches OnClick through the
// button's event connection.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/bitmap.h"
#include "framework/command_bar_control.h"
#include "framework/event_sink.h"

namespace tarvex::framework {

/// A button's state; Office shows adxMsoButtonDown pressed.
enum class TadxMsoButtonState : std::int32_t {
    adxMsoButtonUp = 0,
    adxMsoButtonDown = 1,
    adxMsoButtonMixed = 2,
};

/// What a button shows: its icon, its caption, or both, in several arrangements.
enum class TadxMsoButtonStyle : std::int32_t {
    adxMsoButtonAutomatic = 0,
    adxMsoButtonIcon = 1,
    adxMsoButtonCaption = 2,
    adxMsoButtonIconAndCaption = 3,
    adxMsoButtonIconAndWrapCaption = 4,
    adxMsoButtonIconAndCaptionBelow = 5,
    adxMsoButtonWrapCaption = 6,
    adxMsoButtonIconAndWrapCaptionBelow = 7,
};

/// What a button does with a hyperlink (Office's numbers).
enum class TadxMsoCommandBarButtonHyperlinkType : std::int32_t {
    adxMsoCommandBarButtonHyperlinkNone = 0,
    adxMsoCommandBarButtonHyperlinkOpen = 1,
    adxMsoCommandBarButtonHyperlinkInsertPicture = 2,
};

/// Office's MsoButtonState for `state` (adxMsoButtonDown is -1).
std::int32_t ToOfficeState(TadxMsoButtonState state) noexcept;
/// The state Office's `office` value stands for; nothing for a value outside the table.
std::optional<TadxMsoButtonState> FromOfficeState(std::int32_t office) noexcept;
/// Office's MsoButtonStyle for `style`.
std::int32_t ToOfficeStyle(TadxMsoButtonStyle style) noexcept;
/// The style Office's `office` value stands for; nothing for a value outside the table.
std::optional<TadxMsoButtonStyle> FromOfficeStyle(std::int32_t office) noexcept;

class TadxCommandBarButton : public TadxCommandBarControl, public TadxClickTarget {
public:
    using ClickEvent = std::function<void(TadxCommandBarButton& sender)>;

    TadxCommandBarButton(TadxCommandBar& bar, TadxCommandBarPopup* parent);
    ~TadxCommandBarButton() override;

    std::string ClassName() const override { return "TadxCommandBarButton"; }
    std::int32_t TypeCode() const noexcept override { return 0; }

    // Published properties.

    /// Makes a click on a copy of a built-in button run only the add-in's handler.
    bool DisableStandardAction() const noexcept { return m_disableStandardAction; }
    void SetDisableStandardAction(bool value) noexcept { m_disableStandardAction = value; }
    /// 0: not set.
    std::int32_t FaceID() const;
    void SetFaceID(std::int32_t value);
    /// The stored text when Office shows none.
    std::u16string ShortcutText() const;
    /// A failing Office write is ignored.
    void SetShortcutText(std::u16string value);
    TadxMsoButtonState State() const;
    void SetState(TadxMsoButtonState value);
    TadxMsoButtonStyle Style() const;
    void SetStyle(TadxMsoButtonStyle value);
    TadxMsoCommandBarButtonHyperlinkType HyperlinkType() const;
    void SetHyperlinkType(TadxMsoCommandBarButtonHyperlinkType value);
    const base::Bitmap& Glyph() const noexcept { return m_glyph; }
    /// Stores the glyph and, while linked, paints it as the button's face.
    void SetGlyph(base::Bitmap glyph);
    /// The colour drawn transparent; nothing ("default"): the glyph's bottom-left pixel.
    std::optional<std::uint32_t> GlyphTransparentColor() const noexcept {
        return m_glyphTransparentColor;
    }
    void SetGlyphTransparentColor(std::optional<std::uint32_t> color) noexcept {
        m_glyphTransparentColor = color;
    }

    ClickEvent OnClick;

    // Operations.

    bool ApplyControlProperties() override;
    void Unlink() noexcept override;
    /// Paints the glyph as the linked button's face (see command_bar_glyph.h).
    void ApplyGlyph();
    /// The glyph with its transparent colour settled (GlyphTransparentColor or the
    /// bottom-left pixel).
    base::Bitmap GlyphWithTransparency() const;

    // TadxClickTarget.

    std::u16string OfficeTag() const override { return TadxCommandBarControl::OfficeTag(); }
    /// Reads HelpFile and writes it back: a link to a control Office has dropped fails.
    bool LinkWorks() noexcept override;
    void Relink(const host::Ref<host::Dispatch>& officeControl) override;
    /// Runs OnClick unless it is already running for this button; its exceptions go to the
    /// module's error handler.
    void DoClick() override;

    /// The button's event connection (null while unlinked).
    const host::Ref<TadxEventSink>& EventSink() const noexcept { return m_sink; }

protected:
    std::optional<std::int32_t> OfficeType() const noexcept override { return 1; }
    void LinkTo(host::office::CommandBarControl control) override;

private:
    void DropEvents() noexcept;

    bool m_disableStandardAction = false;
    std::int32_t m_faceId = 0;
    std::u16string m_shortcutText;
    TadxMsoButtonState m_state = TadxMsoButtonState::adxMsoButtonUp;
    TadxMsoButtonStyle m_style = TadxMsoButtonStyle::adxMsoButtonAutomatic;
    TadxMsoCommandBarButtonHyperlinkType m_hyperlinkType =
        TadxMsoCommandBarButtonHyperlinkType::adxMsoCommandBarButtonHyperlinkNone;
    base::Bitmap m_glyph;
    std::optional<std::uint32_t> m_glyphTransparentColor;
    host::Ref<TadxEventSink> m_sink;
    bool m_clicking = false;
};

} // namespace tarvex::framework

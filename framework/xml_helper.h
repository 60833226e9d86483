#pragma once

// TadxXMLHelper: the writer of customUI documents. One element per line, indented with one
// TAB per depth, lines separated by CR LF; no XML declaration and no line break after the
// last end tag. Attribute values pass through one escaping function.

#include <string>
#include <string_view>

#include "framework/ribbon_component.h"

namespace tarvex::framework {

/// `value` with "&", "<", ">" and '"' written as entity references and tab, LF and CR as
/// character references, so that it stands inside a double-quoted attribute; a character
/// that XML cannot carry (other C0 controls, U+FFFE, U+FFFF, an unpaired surrogate) becomes
/// U+FFFD. Other text is unchanged.
std::u16string EscapeXmlAttribute(std::u16string_view value);

class TadxXMLHelper {
public:
    /// Starts element `name` on a new line at the current depth and goes one level deeper.
    void OpenElement(std::u16string_view name);
    /// Adds name="value" to the start tag written last.
    void AddAttribute(std::u16string_view name, std::u16string_view value);
    /// AddAttribute for each pair, in order.
    void AddAttributes(const TadxXmlAttributes& attributes);
    /// Writes <name a="v" ... /> on a new line at the current depth.
    void WriteEmptyElement(std::u16string_view name, const TadxXmlAttributes& attributes);
    /// Goes one level up and writes </name> on a new line.
    void CloseElement(std::u16string_view name);

    /// The document written so far.
    const std::u16string& Text() const noexcept { return m_text; }

private:
    void StartLine();
    static std::u16string FormatAttribute(std::u16string_view name, std::u16string_view value);

    std::u16string m_text;
    std::u16string_view m_lineBreak;
    int m_depth = 0;
};

} // namespace tarvex::framework

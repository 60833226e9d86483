#include "framework/xml_helper.h"

#include "base/error.h"

namespace tarvex::framework {

std::u16string EscapeXmlAttribute(std::u16string_view value) {
    std::u16string escaped;
    escaped.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char16_t c = value[i];
        switch (c) {
        case u'&':
            escaped += u"&amp;";
            break;
        case u'<':
            escaped += u"&lt;";
            break;
        case u'>':
            escaped += u"&gt;";
            break;
        case u'"':
            escaped += u"&quot;";
            break;
        // A parser turns a literal tab or line break in an attribute into a blank; written as
        // references they reach the control (a super tip's line breaks).
        case u'\t':
            escaped += u"&#9;";
            break;
        case u'\n':
            escaped += u"&#10;";
            break;
        case u'\r':
            escaped += u"&#13;";
            break;
        default:
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < value.size() && value[i + 1] >= 0xDC00 &&
                value[i + 1] <= 0xDFFF) {
                escaped += c;
                escaped += value[++i];
            } else if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
                // XML cannot carry these at all, not even as references, and one of them would
                // make Office refuse the whole document: the ribbon would not appear.
                escaped += u'\uFFFD';
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

std::u16string TadxXMLHelper::FormatAttribute(std::u16string_view name, std::u16string_view value) {
    std::u16string text = u" ";
    text += name;
    text += u"=\"";
    text += EscapeXmlAttribute(value);
    text += u'"';
    return text;
}

void TadxXMLHelper::StartLine() {
    m_text += m_lineBreak;
    m_text.append(static_cast<std::size_t>(m_depth), u'\t');
}

void TadxXMLHelper::OpenElement(std::u16string_view name) {
    StartLine();
    m_text += u'<';
    m_text += name;
    m_text += u'>';
    m_lineBreak = u"\r\n";
    ++m_depth;
}

void TadxXMLHelper::AddAttribute(std::u16string_view name, std::u16string_view value) {
    if (m_text.empty() || m_text.back() != u'>')
        throw base::Error(base::hr::Unexpected, "No start tag to add an attribute to");
    m_text.insert(m_text.size() - 1, FormatAttribute(name, value));
}

void TadxXMLHelper::AddAttributes(const TadxXmlAttributes& attributes) {
    for (const auto& [name, value] : attributes)
        AddAttribute(name, value);
}

void TadxXMLHelper::WriteEmptyElement(std::u16string_view name,
                                      const TadxXmlAttributes& attributes) {
    StartLine();
    m_text += u'<';
    m_text += name;
    for (const auto& [attributeName, value] : attributes)
        m_text += FormatAttribute(attributeName, value);
    m_text += u" />";
    m_lineBreak = u"\r\n";
}

void TadxXMLHelper::CloseElement(std::u16string_view name) {
    --m_depth;
    StartLine();
    m_text += u"</";
    m_text += name;
    m_text += u'>';
}

} // namespace tarvex::framework

#include "framework/xml_helper.h"

#include "host/error.h"

namespace tarvex::framework {

std::u16string EscapeXmlAttribute(std::u16string_view value) {
    std::u16string escaped;
    escaped.reserve(value.size());
    for (char16_t c : value) {
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
        default:
            escaped += c;
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
        throw host::Error(host::hr::Unexpected, "No start tag to add an attribute to");
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

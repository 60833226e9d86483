#include "fuzz/xml_well_formed.h"

#include <cstdint>
#include <set>
#include <vector>

namespace tarvex::fuzz {
namespace {

class XmlChecker {
public:
    explicit XmlChecker(std::u16string_view text)
        : m_text(text) {}

    std::string Check() {
        if (!CheckCharacters())
            return m_problem;
        if (m_text.substr(0, 5) == u"<?xml" && !SkipDeclaration())
            return m_problem;
        SkipMisc();
        if (!Element())
            return m_problem;
        SkipMisc();
        if (!m_problem.empty())
            return m_problem;
        if (m_pos != m_text.size())
            Fail("content after the root element");
        return m_problem;
    }

private:
    // Every UTF-16 unit forms a character XML allows: no C0 control but tab and line ends,
    // surrogates only in pairs, and neither U+FFFE nor U+FFFF.
    bool CheckCharacters() {
        for (std::size_t i = 0; i < m_text.size(); ++i) {
            const char16_t c = m_text[i];
            m_pos = i;
            if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
                return Fail("control character");
            if (c == 0xFFFE || c == 0xFFFF)
                return Fail("non-character");
            if (c >= 0xD800 && c <= 0xDBFF) {
                if (i + 1 >= m_text.size() || m_text[i + 1] < 0xDC00 || m_text[i + 1] > 0xDFFF)
                    return Fail("unpaired high surrogate");
                ++i;
            } else if (c >= 0xDC00 && c <= 0xDFFF) {
                return Fail("unpaired low surrogate");
            }
        }
        m_pos = 0;
        return true;
    }

    // Notes the first problem; always false, so that a check can end with it.
    bool Fail(std::string_view what) {
        if (m_problem.empty())
            m_problem = std::string(what) + " at offset " + std::to_string(m_pos);
        return false;
    }

    bool AtEnd() const { return m_pos >= m_text.size(); }
    char16_t Peek() const { return AtEnd() ? u'\0' : m_text[m_pos]; }
    bool StartsWith(std::u16string_view s) const { return m_text.substr(m_pos, s.size()) == s; }

    static bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }
    static bool IsNameStart(char16_t c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c == u':' ||
               (c >= 0xC0 && c != 0xD7 && c != 0xF7);
    }
    static bool IsNameChar(char16_t c) {
        return IsNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == 0xB7;
    }

    void SkipSpace() {
        while (!AtEnd() && IsSpace(Peek()))
            ++m_pos;
    }

    bool SkipDeclaration() {
        const std::size_t end = m_text.find(u"?>", m_pos);
        if (end == std::u16string_view::npos)
            return Fail("unterminated declaration");
        m_pos = end + 2;
        return true;
    }

    // Blanks and comments outside the root element.
    void SkipMisc() {
        for (;;) {
            SkipSpace();
            if (!StartsWith(u"<!--"))
                return;
            if (!Comment())
                return;
        }
    }

    bool Comment() {
        const std::size_t end = m_text.find(u"--", m_pos + 4);
        if (end == std::u16string_view::npos || m_text.substr(end, 3) != u"-->")
            return Fail("bad comment");
        m_pos = end + 3;
        return true;
    }

    bool Name(std::u16string& name) {
        if (!IsNameStart(Peek()))
            return Fail("name expected");
        const std::size_t start = m_pos;
        while (!AtEnd() && IsNameChar(Peek()))
            ++m_pos;
        name.assign(m_text.substr(start, m_pos - start));
        return true;
    }

    // An entity or character reference, at '&'.
    bool Reference() {
        const std::size_t end = m_text.find(u';', m_pos);
        if (end == std::u16string_view::npos)
            return Fail("unterminated reference");
        const std::u16string_view body = m_text.substr(m_pos + 1, end - m_pos - 1);
        if (body == u"amp" || body == u"lt" || body == u"gt" || body == u"quot" ||
            body == u"apos") {
            m_pos = end + 1;
            return true;
        }
        if (body.size() < 2 || body[0] != u'#')
            return Fail("unknown entity");
        const bool hex = body[1] == u'x';
        const std::u16string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8)
            return Fail("bad character reference");
        std::uint32_t value = 0;
        for (char16_t c : digits) {
            std::uint32_t digit = 0;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            else
                return Fail("bad character reference");
            value = value * (hex ? 16 : 10) + digit;
        }
        const bool allowed =
            value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF) ||
            (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF);
        if (!allowed)
            return Fail("character reference to a character XML forbids");
        m_pos = end + 1;
        return true;
    }

    bool AttributeValue() {
        const char16_t quote = Peek();
        if (quote != u'"' && quote != u'\'')
            return Fail("attribute value must be quoted");
        ++m_pos;
        while (!AtEnd() && Peek() != quote) {
            if (Peek() == u'<')
                return Fail("'<' in an attribute value");
            if (Peek() == u'&') {
                if (!Reference())
                    return false;
            } else {
                ++m_pos;
            }
        }
        if (AtEnd())
            return Fail("unterminated attribute value");
        ++m_pos;
        return true;
    }

    // An element, at '<'; iterative over the nesting so deep trees cannot exhaust the stack.
    bool Element() {
        std::vector<std::u16string> open;
        do {
            if (Peek() != u'<')
                return Fail("element expected");
            ++m_pos;
            if (Peek() == u'/') {
                ++m_pos;
                std::u16string name;
                if (!Name(name))
                    return false;
                if (open.empty() || name != open.back())
                    return Fail("mismatched end tag");
                open.pop_back();
                SkipSpace();
                if (Peek() != u'>')
                    return Fail("'>' expected");
                ++m_pos;
            } else {
                std::u16string name;
                if (!Name(name))
                    return false;
                std::set<std::u16string> attributes;
                bool empty = false;
                for (;;) {
                    const bool spaced = IsSpace(Peek());
                    SkipSpace();
                    if (Peek() == u'>') {
                        ++m_pos;
                        break;
                    }
                    if (StartsWith(u"/>")) {
                        m_pos += 2;
                        empty = true;
                        break;
                    }
                    if (!spaced)
                        return Fail("blank expected before an attribute");
                    std::u16string attribute;
                    if (!Name(attribute))
                        return false;
                    if (!attributes.insert(attribute).second)
                        return Fail("repeated attribute");
                    SkipSpace();
                    if (Peek() != u'=')
                        return Fail("'=' expected");
                    ++m_pos;
                    SkipSpace();
                    if (!AttributeValue())
                        return false;
                }
                if (!empty)
                    open.push_back(std::move(name));
            }
            if (!open.empty() && !Content())
                return false;
        } while (!open.empty());
        return true;
    }

    // Character data and comments up to the next tag.
    bool Content() {
        while (!AtEnd()) {
            const char16_t c = Peek();
            if (c == u'<') {
                if (StartsWith(u"<!--")) {
                    if (!Comment())
                        return false;
                    continue;
                }
                if (StartsWith(u"<!") || StartsWith(u"<?"))
                    return Fail("markup the writer never produces");
                return true;
            }
            if (c == u'&') {
                if (!Reference())
                    return false;
                continue;
            }
            if (c == u'>' && m_pos >= 2 && m_text.substr(m_pos - 2, 2) == u"]]")
                return Fail("']]>' in character data");
            ++m_pos;
        }
        return Fail("unclosed element");
    }

    std::u16string_view m_text;
    std::size_t m_pos = 0;
    std::string m_problem;
};

} // namespace

std::string XmlWellFormedProblem(std::u16string_view document) {
    return XmlChecker(document).Check();
}

} // namespace tarvex::fuzz

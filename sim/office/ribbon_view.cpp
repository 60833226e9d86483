#include "sim/office/ribbon_view.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "base/text.h"
#include "host/office/office.h"
#include "sim/office/office.h"

namespace tarvex::sim {

namespace {

[[noreturn]] void Broken(const std::string& what) {
    throw RibbonError("the add-in's customUI document is broken: " + what);
}

bool IsNameUnit(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') ||
           (unit >= u'0' && unit <= u'9') || unit == u':' || unit == u'_' || unit == u'-' ||
           unit == u'.';
}

std::u16string DecodeEntities(std::u16string_view text) {
    static const std::pair<std::u16string_view, char16_t> kEntities[] = {
        {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}};
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        bool decoded = false;
        if (text[i] == u'&')
            for (const auto& [entity, unit] : kEntities)
                if (text.substr(i).starts_with(entity)) {
                    out += unit;
                    i += entity.size();
                    decoded = true;
                    break;
                }
        if (!decoded) {
            if (text[i] == u'&')
                Broken("an unknown entity");
            out += text[i++];
        }
    }
    return out;
}

// A small reader for the element structure of a customUI document: declarations and
// comments are skipped, text between elements is ignored.
class Reader {
public:
    explicit Reader(std::u16string_view xml)
        : m_xml(xml) {}

    RibbonElement Document() {
        SkipMisc();
        if (!At(u"<"))
            Broken("no root element");
        RibbonElement root = Element();
        SkipMisc();
        if (m_at != m_xml.size())
            Broken("text after the root element");
        return root;
    }

private:
    bool At(std::u16string_view text) const { return m_xml.substr(m_at).starts_with(text); }

    void SkipTo(std::u16string_view end) {
        const std::size_t found = m_xml.find(end, m_at);
        if (found == std::u16string_view::npos)
            Broken("an unterminated declaration or comment");
        m_at = found + end.size();
    }

    void SkipMisc() {
        for (;;) {
            while (m_at < m_xml.size() && m_xml[m_at] != u'<')
                ++m_at;
            if (At(u"<?"))
                SkipTo(u"?>");
            else if (At(u"<!--"))
                SkipTo(u"-->");
            else
                return;
        }
    }

    void SkipBlanks() {
        while (m_at < m_xml.size() && (m_xml[m_at] == u' ' || m_xml[m_at] == u'\t' ||
                                       m_xml[m_at] == u'\r' || m_xml[m_at] == u'\n'))
            ++m_at;
    }

    std::u16string Name() {
        const std::size_t start = m_at;
        while (m_at < m_xml.size() && IsNameUnit(m_xml[m_at]))
            ++m_at;
        if (m_at == start)
            Broken("a missing name");
        return std::u16string(m_xml.substr(start, m_at - start));
    }

    RibbonElement Element() {
        ++m_at; // '<'
        RibbonElement element;
        element.tag = Name();
        for (;;) {
            SkipBlanks();
            if (At(u"/>")) {
                m_at += 2;
                return element;
            }
            if (At(u">")) {
                ++m_at;
                break;
            }
            std::u16string name = Name();
            SkipBlanks();
            if (!At(u"=\""))
                Broken("attribute " + base::Utf16ToUtf8(name) + " has no quoted value");
            m_at += 2;
            const std::size_t end = m_xml.find(u'"', m_at);
            if (end == std::u16string_view::npos)
                Broken("an unterminated attribute value");
            if (!element.attributes
                     .emplace(std::move(name), DecodeEntities(m_xml.substr(m_at, end - m_at)))
                     .second)
                Broken("a repeated attribute");
            m_at = end + 1;
        }
        for (;;) {
            SkipMisc();
            if (m_at >= m_xml.size())
                Broken("element " + base::Utf16ToUtf8(element.tag) + " is not closed");
            if (At(u"</")) {
                m_at += 2;
                if (Name() != element.tag)
                    Broken("element " + base::Utf16ToUtf8(element.tag) + " is closed by another");
                SkipBlanks();
                if (!At(u">"))
                    Broken("a malformed end tag");
                ++m_at;
                return element;
            }
            element.children.push_back(Element());
        }
    }

    std::u16string_view m_xml;
    std::size_t m_at = 0;
};

std::string Hex(base::HResult code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

} // namespace

std::u16string RibbonElement::ControlId() const {
    const std::u16string qualified = Attribute(u"idQ");
    if (!qualified.empty())
        return qualified.substr(qualified.find(u':') + 1);
    return Attribute(u"id");
}

std::u16string RibbonElement::Attribute(std::u16string_view name) const {
    const auto found = attributes.find(std::u16string(name));
    return found == attributes.end() ? std::u16string() : found->second;
}

RibbonElement ParseCustomUI(std::u16string_view xml) {
    return Reader(xml).Document();
}

RibbonView::RibbonView(RibbonElement document, host::Ref<host::Dispatch> addin, SimOffice& office)
    : m_document(std::move(document))
    , m_addin(std::move(addin))
    , m_office(office) {}

base::HResult CallByName(host::Dispatch& addin, std::u16string_view callback,
                         std::vector<host::Variant> arguments, host::Variant& result, bool& known) {
    const std::u16string names[] = {std::u16string(callback)};
    host::DispId id = -1;
    const base::HResult code =
        addin.GetIDsOfNames(base::Guid(), names, host::lcid::UserDefault, {&id, 1});
    known = base::Succeeded(code);
    if (!known)
        return code;
    // Office passes the arguments last-first.
    std::reverse(arguments.begin(), arguments.end());
    const host::DispParams params{arguments.data(), nullptr,
                                  static_cast<std::uint32_t>(arguments.size()), 0};
    return addin.Invoke(id, base::Guid(), host::lcid::UserDefault, host::invoke::Method, params,
                        &result, nullptr, nullptr);
}

host::Variant RibbonView::Invoke(std::u16string_view callback,
                                 std::vector<host::Variant> arguments) {
    host::Variant result;
    bool known = false;
    const base::HResult code = CallByName(*m_addin, callback, std::move(arguments), result, known);
    if (!known)
        throw RibbonError("the add-in does not know the callback " + base::Utf16ToUtf8(callback) +
                          " (" + Hex(code) + ")");
    if (base::Failed(code))
        throw RibbonError("the add-in's callback " + base::Utf16ToUtf8(callback) + " failed (" +
                          Hex(code) + ")");
    return result;
}

host::Variant RibbonView::Call(const RibbonElement& control, std::u16string_view attribute,
                               std::vector<host::Variant> more) {
    std::vector<host::Variant> arguments;
    arguments.emplace_back(m_office.MakeRibbonControl(control.ControlId()));
    for (host::Variant& argument : more)
        arguments.push_back(std::move(argument));
    return Invoke(control.Attribute(attribute), std::move(arguments));
}

std::u16string RibbonView::Label(const RibbonElement& control) {
    if (control.attributes.contains(u"getLabel"))
        return Call(control, u"getLabel").ToString();
    return control.Attribute(u"label");
}

bool RibbonView::Enabled(const RibbonElement& control) {
    if (control.attributes.contains(u"getEnabled"))
        return Call(control, u"getEnabled").ToBool();
    return control.Attribute(u"enabled") != u"false";
}

bool RibbonView::Pressed(const RibbonElement& control) {
    if (control.attributes.contains(u"getPressed"))
        return Call(control, u"getPressed").ToBool();
    return false;
}

const RibbonElement* RibbonView::FindIn(const RibbonElement& parent, std::u16string_view path) {
    for (const RibbonElement& child : parent.children) {
        if (child.tag == u"group") {
            for (const RibbonElement& control : child.children) {
                if (path == u"launcher" && control.tag == u"dialogBoxLauncher" &&
                    !control.children.empty())
                    return &control.children.front();
                const std::size_t arrow = path.find(u" > ");
                if (arrow != std::u16string_view::npos) {
                    if (control.tag != u"menu" || Label(control) != path.substr(0, arrow))
                        continue;
                    for (const RibbonElement& item : control.children)
                        if (item.tag == u"button" && Label(item) == path.substr(arrow + 3))
                            return &item;
                } else if (control.tag != u"dialogBoxLauncher" && Label(control) == path) {
                    return &control;
                }
            }
        } else if (const RibbonElement* found = FindIn(child, path)) {
            return found;
        }
    }
    return nullptr;
}

const RibbonElement* RibbonView::Find(std::u16string_view path) {
    return FindIn(m_document, path);
}

void RibbonView::Press(const RibbonElement& control) {
    std::vector<host::Variant> more;
    if (control.tag == u"toggleButton")
        more.emplace_back(!Pressed(control));
    Call(control, u"onAction", std::move(more));
}

} // namespace tarvex::sim

#include "sim/sheet/formula_conversion.h"

#include "base/text.h"
#include "host/excel/dispids.h"
#include "sim/sheet/reference_notation.h"

namespace tarvex::sim::detail {

namespace {
constexpr std::size_t kMaxFormulaLength = 255;

bool IsLetter(char16_t c) noexcept {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
bool IsDigit(char16_t c) noexcept {
    return c >= u'0' && c <= u'9';
}
bool IsNameChar(char16_t c) noexcept {
    return IsLetter(c) || IsDigit(c) || c == u'_' || c == u'.' || c == u'\\' || c >= 0x80;
}

void ApplyReferenceType(Endpoint& endpoint, std::int32_t type) {
    using namespace host::excel;
    endpoint.row.absolute = type == xlAbsolute || type == xlAbsRowRelColumn;
    endpoint.column.absolute = type == xlAbsolute || type == xlRelRowAbsColumn;
}

// Copies a quoted run (a string literal in "", a sheet name in '') with its doubled quotes.
bool CopyQuoted(std::u16string_view text, std::size_t& pos, std::u16string& out) {
    const char16_t quote = text[pos];
    out += text[pos++];
    while (pos < text.size()) {
        out += text[pos];
        if (text[pos++] == quote) {
            if (pos < text.size() && text[pos] == quote) {
                out += text[pos++];
                continue;
            }
            return true;
        }
    }
    return false;
}

void CopyNumber(std::u16string_view text, std::size_t& pos, std::u16string& out) {
    while (pos < text.size() && (IsDigit(text[pos]) || text[pos] == u'.'))
        out += text[pos++];
    if (pos < text.size() && (text[pos] == u'E' || text[pos] == u'e')) {
        std::size_t p = pos + 1;
        if (p < text.size() && (text[p] == u'+' || text[p] == u'-'))
            ++p;
        if (p < text.size() && IsDigit(text[p])) {
            while (pos < p)
                out += text[pos++];
            while (pos < text.size() && IsDigit(text[pos]))
                out += text[pos++];
        }
    }
}
} // namespace

std::optional<std::u16string> ConvertFormula(std::u16string_view formula,
                                             const FormulaConversion& conversion) {
    if (formula.size() > kMaxFormulaLength)
        return std::nullopt;
    std::u16string out;
    std::size_t pos = 0;
    const Cell base = conversion.relativeTo;
    while (pos < formula.size()) {
        const char16_t c = formula[pos];
        if (c == u'"') {
            if (!CopyQuoted(formula, pos, out))
                return std::nullopt;
            continue;
        }
        if (c == u'\'') {
            // A quoted sheet name: it must be followed by "!" and a reference.
            if (!CopyQuoted(formula, pos, out) || pos >= formula.size() || formula[pos] != u'!')
                return std::nullopt;
            out += formula[pos++];
            continue;
        }
        if (c == u'#') {
            // An error value such as #REF! or #N/A.
            out += formula[pos++];
            while (pos < formula.size() &&
                   (IsLetter(formula[pos]) || IsDigit(formula[pos]) || formula[pos] == u'/' ||
                    formula[pos] == u'!' || formula[pos] == u'?'))
                out += formula[pos++];
            continue;
        }
        if (IsLetter(c) || IsDigit(c) || c == u'$') {
            std::size_t end = pos;
            const auto reference = conversion.fromR1C1 ? ParseR1C1Reference(formula, end, base)
                                                       : ParseA1Reference(formula, end);
            const bool boundary =
                end >= formula.size() ||
                (!IsNameChar(formula[end]) && formula[end] != u'(' && formula[end] != u'!' &&
                 formula[end] != u'[' && formula[end] != u'$');
            if (reference && boundary) {
                Reference converted = *reference;
                if (conversion.toAbsolute) {
                    ApplyReferenceType(converted.first, *conversion.toAbsolute);
                    if (converted.second)
                        ApplyReferenceType(*converted.second, *conversion.toAbsolute);
                }
                out += conversion.toR1C1 ? FormatR1C1Reference(converted, base)
                                         : FormatA1Reference(converted);
                pos = end;
                continue;
            }
            if (IsDigit(c)) {
                CopyNumber(formula, pos, out);
                continue;
            }
            // A name: a function (followed by "("), a sheet (followed by "!"), or a logical
            // value. Any other name would have to be defined, and none is.
            std::size_t nameEnd = pos;
            while (nameEnd < formula.size() && IsNameChar(formula[nameEnd]))
                ++nameEnd;
            const std::u16string_view name = formula.substr(pos, nameEnd - pos);
            const bool known =
                nameEnd < formula.size() && (formula[nameEnd] == u'(' || formula[nameEnd] == u'!');
            if (name.empty() || (!known && !base::EqualsAsciiIgnoringCase(name, u"TRUE") &&
                                 !base::EqualsAsciiIgnoringCase(name, u"FALSE")))
                return std::nullopt;
            out += name;
            pos = nameEnd;
            if (pos < formula.size() && formula[pos] == u'!')
                out += formula[pos++];
            continue;
        }
        out += formula[pos++];
    }
    return out;
}

} // namespace tarvex::sim::detail

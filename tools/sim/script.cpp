#include "script.h"

#include "base/text.h"
#include "host/excel/dispids.h"

namespace tarvex::simtool {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool IsUpper(char16_t c) {
    return c >= u'A' && c <= u'Z';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// A run of letters as a column number (A = 1); 0 when out of the sheet.
std::int32_t ColumnNumber(std::u16string_view letters) {
    std::int64_t number = 0;
    for (char16_t c : letters) {
        number = number * 26 + (c - u'A' + 1);
        if (number > host::excel::kMaxColumns)
            return 0;
    }
    return static_cast<std::int32_t>(number);
}

// A run of digits as a row number; 0 when out of the sheet or with a leading zero.
std::int32_t RowNumber(std::u16string_view digits) {
    if (digits.empty() || digits.front() == u'0')
        return 0;
    std::int64_t number = 0;
    for (char16_t c : digits) {
        number = number * 10 + (c - u'0');
        if (number > host::excel::kMaxRows)
            return 0;
    }
    return static_cast<std::int32_t>(number);
}

std::optional<sim::Cell> TryCell(std::u16string_view text) {
    std::size_t letters = 0;
    while (letters < text.size() && IsUpper(text[letters]))
        ++letters;
    if (letters == 0 || letters > 3 || letters == text.size())
        return std::nullopt;
    for (std::size_t i = letters; i < text.size(); ++i) {
        if (!IsDigit(text[i]))
            return std::nullopt;
    }
    const std::int32_t column = ColumnNumber(text.substr(0, letters));
    const std::int32_t row = RowNumber(text.substr(letters));
    if (column == 0 || row == 0)
        return std::nullopt;
    return sim::Cell{row, column};
}

bool AllOf(std::u16string_view text, bool (*test)(char16_t)) {
    if (text.empty())
        return false;
    for (char16_t c : text) {
        if (!test(c))
            return false;
    }
    return true;
}
} // namespace

std::vector<std::u16string> SplitWords(std::string_view line) {
    std::vector<std::u16string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        word.push_back('"');
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                word.push_back(line[i++]);
            }
            if (!closed)
                throw ScriptError("unterminated quoted text");
            if (i < line.size() && !IsBlank(line[i]))
                throw ScriptError("a quoted text must be followed by a blank");
        } else {
            while (i < line.size() && !IsBlank(line[i])) {
                if (line[i] == '"')
                    throw ScriptError("a quote inside a word; quote the whole text");
                word.push_back(line[i++]);
            }
        }
        words.push_back(base::Utf8ToUtf16(word));
    }
    return words;
}

sim::Cell ParseCellRef(std::u16string_view text) {
    if (const auto cell = TryCell(text))
        return *cell;
    throw ScriptError("'" + base::Utf16ToUtf8(text) + "' is not a cell (write it like B7)");
}

sim::Area ParseRangeRef(std::u16string_view text) {
    const auto fail = [&] {
        return ScriptError("'" + base::Utf16ToUtf8(text) +
                           "' is not a range (write it like A1:C10, B:B, 7:7 or B7)");
    };
    const std::size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos) {
        if (const auto cell = TryCell(text))
            return {cell->row, cell->column, cell->row, cell->column};
        throw fail();
    }
    const std::u16string_view first = text.substr(0, colon);
    const std::u16string_view second = text.substr(colon + 1);
    if (const auto a = TryCell(first)) {
        const auto b = TryCell(second);
        if (!b)
            throw fail();
        return {std::min(a->row, b->row), std::min(a->column, b->column), std::max(a->row, b->row),
                std::max(a->column, b->column)};
    }
    if (AllOf(first, IsUpper) && AllOf(second, IsUpper) && first.size() <= 3 &&
        second.size() <= 3) {
        const std::int32_t a = ColumnNumber(first);
        const std::int32_t b = ColumnNumber(second);
        if (a == 0 || b == 0)
            throw fail();
        return {1, std::min(a, b), host::excel::kMaxRows, std::max(a, b)};
    }
    if (AllOf(first, IsDigit) && AllOf(second, IsDigit)) {
        const std::int32_t a = RowNumber(first);
        const std::int32_t b = RowNumber(second);
        if (a == 0 || b == 0)
            throw fail();
        return {std::min(a, b), 1, std::max(a, b), host::excel::kMaxColumns};
    }
    throw fail();
}

namespace {
// Splits off the sheet name; a malformed quoted name is a ScriptError.
std::u16string_view SheetAndReference(std::u16string_view text, std::u16string& sheet) {
    std::optional<std::u16string> name;
    std::u16string_view reference;
    if (!sim::SplitSheetName(text, name, reference) || (name && name->empty()))
        throw ScriptError("'" + base::Utf16ToUtf8(text) +
                          "' names no sheet (write it like Sheet2!B3 or 'My Sheet'!B3)");
    sheet = name.value_or(std::u16string());
    return reference;
}
} // namespace

SheetCell ParseSheetCell(std::u16string_view text) {
    SheetCell result;
    result.cell = ParseCellRef(SheetAndReference(text, result.sheet));
    return result;
}

SheetRange ParseSheetRange(std::u16string_view text, bool severalAreas) {
    SheetRange result;
    std::u16string_view reference = SheetAndReference(text, result.sheet);
    for (;;) {
        const std::size_t comma = reference.find(u',');
        if (comma != std::u16string_view::npos && !severalAreas)
            throw ScriptError("'" + base::Utf16ToUtf8(text) +
                              "': this command takes one range, not several");
        result.areas.push_back(ParseRangeRef(reference.substr(0, comma)));
        if (comma == std::u16string_view::npos)
            return result;
        reference.remove_prefix(comma + 1);
    }
}

std::string Quoted(std::u16string_view text) {
    std::string quoted = "\"";
    for (char c : base::Utf16ToUtf8(text)) {
        if (c == '"')
            quoted.push_back('"');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

} // namespace tarvex::simtool

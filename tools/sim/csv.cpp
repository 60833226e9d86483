#include "csv.h"

#include <iterator>

#include "base/text.h"
#include "tools/sim/script.h"

namespace tarvex::simtool {

std::vector<std::vector<std::u16string>> ReadCsv(std::istream& input) {
    const std::string text((std::istreambuf_iterator<char>(input)),
                           std::istreambuf_iterator<char>());
    std::size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;

    std::vector<std::vector<std::u16string>> records;
    std::vector<std::u16string> record;
    std::string field;
    std::size_t line = 1;
    std::size_t recordLine = 1;
    const auto fail = [&](const std::string& what) {
        return ScriptError("line " + std::to_string(line) + ": " + what);
    };
    const auto endField = [&] {
        record.push_back(base::Utf8ToUtf16(field));
        field.clear();
    };
    const auto endRecord = [&] {
        endField();
        records.push_back(std::move(record));
        record.clear();
    };

    bool atFieldStart = true;
    while (i < text.size()) {
        const char c = text[i];
        if (atFieldStart && c == '"') {
            // A quoted field runs to the next quote that is not doubled.
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field.push_back('"');
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                if (text[i] == '\n')
                    ++line;
                field.push_back(text[i++]);
            }
            if (!closed) {
                line = recordLine;
                throw fail("a quoted field is not closed");
            }
            if (i < text.size() && text[i] != ',' && text[i] != '\n' &&
                !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
                throw fail("text after the closing quote of a field");
            atFieldStart = false;
            continue;
        }
        if (c == ',') {
            endField();
            atFieldStart = true;
            ++i;
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            endRecord();
            i += c == '\r' ? 2 : 1;
            ++line;
            recordLine = line;
            atFieldStart = true;
        } else if (c == '"') {
            throw fail("a quote inside an unquoted field");
        } else {
            field.push_back(c);
            atFieldStart = false;
            ++i;
        }
    }
    if (!field.empty() || !record.empty() || !atFieldStart)
        endRecord();
    return records;
}

} // namespace tarvex::simtool

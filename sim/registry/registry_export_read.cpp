// Reading the registry export text format.

#include <algorithm>
#include <initializer_list>
#include <optional>

#include "base/error.h"
#include "base/text.h"
#include "sim/registry/registry_export.h"
#include "sim/registry/registry_names.h"

namespace tarvex::sim {

using host::RegistryRoot;
using host::RegistryType;
using host::RegistryValue;

namespace {

constexpr std::string_view kWhitespace = " \t";

std::string_view TrimLeft(std::string_view text) {
    const std::size_t start = text.find_first_not_of(kWhitespace);
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    const std::size_t end = text.find_last_not_of(kWhitespace);
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameRegistryName(text.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The number written as 1 to `maxDigits` hexadecimal digits, and nothing else.
std::optional<std::uint32_t> ParseHex(std::string_view digits, std::size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits)
        return std::nullopt;
    std::uint32_t number = 0;
    for (const char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        number = number << 4 | static_cast<std::uint32_t>(digit);
    }
    return number;
}

// Pieces of text are appended one by one rather than joined with '+': GCC 12 at -O3 warns
// falsely (-Wrestrict) about a literal added to a temporary string.
[[noreturn]] void ThrowMalformed(std::string_view source, std::size_t line,
                                 std::initializer_list<std::string_view> problem) {
    std::string message = "Malformed registry file '";
    message += source;
    message += "', line ";
    message += std::to_string(line);
    message += ": ";
    for (const std::string_view piece : problem)
        message += piece;
    throw base::Error(kMalformedRegistryFile, std::move(message));
}

struct Section {
    RegistryRoot root;
    std::string path;
    std::vector<std::pair<std::string, RegistryValue>> values;
};

class Parser {
public:
    Parser(std::string_view text, std::string_view sourceName)
        : m_source(sourceName) {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            m_lines.push_back(line);
            start = end + 1;
        }
    }

    std::vector<Section> Parse() {
        if (Trim(m_lines.front()) != kRegistryExportHeader)
            Fail(0, {"the first line is not '", kRegistryExportHeader, "'"});
        for (m_index = 1; m_index < m_lines.size(); ++m_index) {
            const std::string_view line = Line(m_index);
            if (line.empty() || line.front() == ';')
                continue;
            if (line.front() == '[')
                ParseSection(line);
            else if (line.front() == '"' || line.front() == '@')
                ParseValue(line);
            else
                Fail(m_index, {"expected a [key] line or a value line"});
        }
        return std::move(m_sections);
    }

private:
    [[noreturn]] void Fail(std::size_t index,
                           std::initializer_list<std::string_view> problem) const {
        ThrowMalformed(m_source, index + 1, problem);
    }

    // Line `index`, checked for UTF-8 and trimmed.
    std::string_view Line(std::size_t index) const {
        const std::string_view line = m_lines[index];
        if (base::Utf16ToUtf8(base::Utf8ToUtf16(line)) != line)
            Fail(index, {"the text is not valid UTF-8"});
        if (line.find('\0') != std::string_view::npos)
            Fail(index, {"the line holds a zero character"});
        return Trim(line);
    }

    void ParseSection(std::string_view line) {
        if (line.back() != ']' || line.size() < 2)
            Fail(m_index, {"the key line does not end with ']'"});
        const std::string_view name = line.substr(1, line.size() - 2);
        if (!name.empty() && name.front() == '-')
            Fail(m_index, {"deleting keys ('[-...]') is not supported in a store file"});
        const std::size_t separator = name.find('\\');
        const std::string_view rootName = name.substr(0, separator);
        std::optional<RegistryRoot> root;
        for (const RegistryRoot candidate :
             {RegistryRoot::ClassesRoot, RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
            if (SameRegistryName(rootName, host::RootName(candidate)))
                root = candidate;
        }
        if (!root)
            Fail(m_index, {"unknown root key '", rootName, "'"});
        const std::string_view path =
            separator == std::string_view::npos ? std::string_view() : name.substr(separator + 1);
        std::vector<std::string_view> levels;
        if (base::Failed(SplitKeyPath(path, levels)) || (!path.empty() && levels.empty()))
            Fail(m_index, {"the key path has an empty key name"});
        m_sections.push_back(Section{*root, std::string(path), {}});
    }

    // Reads a text in double quotes starting at line[pos], with \\ and \" escapes; leaves
    // `pos` after the closing quote.
    std::string ParseQuoted(std::string_view line, std::size_t& pos) const {
        std::string text;
        for (++pos; pos < line.size(); ++pos) {
            const char c = line[pos];
            if (c == '"') {
                ++pos;
                return text;
            }
            if (c == '\\') {
                if (pos + 1 == line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"'))
                    Fail(m_index,
                         {"a backslash in quotes must be written \\\\ (or \\\" for a quote)"});
                ++pos;
            }
            text += line[pos];
        }
        Fail(m_index, {"the quoted text is not closed with '\"'"});
    }

    void ParseValue(std::string_view line) {
        if (m_sections.empty())
            Fail(m_index, {"a value line before the first [key] line"});
        std::size_t pos = 0;
        std::string name;
        if (line.front() == '@')
            pos = 1;
        else
            name = ParseQuoted(line, pos);
        std::string_view rest = TrimLeft(line.substr(pos));
        if (rest.empty() || rest.front() != '=')
            Fail(m_index, {"expected '=' after the value name"});
        rest = TrimLeft(rest.substr(1));
        RegistryValue value;
        if (!rest.empty() && rest.front() == '"') {
            std::size_t end = 0;
            const std::string text = ParseQuoted(rest, end);
            if (!Trim(rest.substr(end)).empty())
                Fail(m_index, {"unexpected text after the closing '\"'"});
            value = RegistryValue::FromString(base::Utf8ToUtf16(text));
        } else if (StartsWithNoCase(rest, "dword:")) {
            const std::optional<std::uint32_t> number = ParseHex(rest.substr(6), 8);
            if (!number)
                Fail(m_index, {"'dword:' must be followed by 1 to 8 hexadecimal digits"});
            value = RegistryValue::FromDWord(*number);
        } else if (StartsWithNoCase(rest, "hex:")) {
            value.type = RegistryType::Binary;
            ParseBytes(rest.substr(4), value.data);
        } else if (StartsWithNoCase(rest, "hex(")) {
            const std::size_t close = rest.find("):");
            const std::optional<std::uint32_t> type = close == std::string_view::npos
                                                          ? std::nullopt
                                                          : ParseHex(rest.substr(4, close - 4), 8);
            if (!type)
                Fail(m_index, {"'hex(' must be followed by a hexadecimal type number and '):'"});
            value.type = static_cast<RegistryType>(*type);
            ParseBytes(rest.substr(close + 2), value.data);
        } else if (rest == "-") {
            Fail(m_index, {"deleting values ('=-') is not supported in a store file"});
        } else {
            Fail(m_index, {"unknown data; expected \"text\", dword:, hex: or hex(type):"});
        }
        auto& values = m_sections.back().values;
        for (auto& [existing, stored] : values) {
            if (SameRegistryName(existing, name)) {
                stored = std::move(value);
                return;
            }
        }
        values.emplace_back(std::move(name), std::move(value));
    }

    // Reads comma-separated bytes; a line ending in '\' continues on the next line.
    void ParseBytes(std::string_view piece, std::vector<std::uint8_t>& bytes) {
        for (;;) {
            piece = Trim(piece);
            const bool continued = !piece.empty() && piece.back() == '\\';
            if (continued)
                piece.remove_suffix(1);
            std::size_t start = 0;
            while (start < piece.size()) {
                const std::size_t comma = std::min(piece.find(',', start), piece.size());
                const std::string_view token = Trim(piece.substr(start, comma - start));
                const std::optional<std::uint32_t> byte = ParseHex(token, 2);
                if (!byte)
                    Fail(m_index, {"'", token, "' is not a hexadecimal byte"});
                bytes.push_back(static_cast<std::uint8_t>(*byte));
                start = comma + 1;
            }
            if (!continued)
                return;
            if (++m_index == m_lines.size())
                Fail(m_index - 1, {"the data continue past the end of the file"});
            piece = Line(m_index);
        }
    }

    std::string_view m_source;
    std::vector<std::string_view> m_lines;
    std::size_t m_index = 0;
    std::vector<Section> m_sections;
};

} // namespace

void ReadRegistryExport(std::string_view text, std::string_view sourceName,
                        MemoryRegistry& registry) {
    if (text.size() >= 2 &&
        ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'))) {
        ThrowMalformed(sourceName, 1, {"the file is in UTF-16; it must be saved as UTF-8"});
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    const std::vector<Section> sections = Parser(text, sourceName).Parse();
    for (const Section& section : sections) {
        registry.PutKey(section.root, section.path);
        for (const auto& [name, value] : section.values)
            registry.PutValue(section.root, section.path, name, value);
    }
}

} // namespace tarvex::sim

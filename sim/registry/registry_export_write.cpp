// Writing the registry export text format.

#include <cstdio>

#include "base/text.h"
#include "sim/registry/registry_export.h"

namespace tarvex::sim {

using host::RegistryType;
using host::RegistryValue;

namespace {

// Hex data lines are broken before they pass this width, as the registry editor does.
constexpr std::size_t kHexLineWidth = 77;

bool IsValidUtf8(std::string_view text) {
    return base::Utf16ToUtf8(base::Utf8ToUtf16(text)) == text;
}

// A name that the format can carry: one line of valid UTF-8.
bool IsWritableName(std::string_view name) {
    return name.find_first_of("\r\n") == std::string_view::npos && IsValidUtf8(name);
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

// The text of a REG_SZ whose bytes a quoted string reproduces exactly: UTF-16 with one
// terminating zero at the end and no other, no line breaks or other control characters that
// would break the line, and no unpaired surrogates. Anything else is written as hex(1).
std::optional<std::string> QuotableText(const RegistryValue& value) {
    if (value.type != RegistryType::String || value.data.size() < 2 || value.data.size() % 2)
        return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; i + 2 < value.data.size(); i += 2) {
        const auto c = static_cast<char16_t>(value.data[i] | value.data[i + 1] << 8);
        if (c < 0x20 && c != u'\t')
            return std::nullopt;
        text.push_back(c);
    }
    if (value.data[value.data.size() - 2] != 0 || value.data.back() != 0)
        return std::nullopt;
    std::string utf8 = base::Utf16ToUtf8(text);
    if (base::Utf8ToUtf16(utf8) != text)
        return std::nullopt;
    return utf8;
}

void AppendHex(std::string& out, std::size_t lineStart, const RegistryValue& value) {
    char prefix[24];
    if (value.type == RegistryType::Binary)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
    out += prefix;
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", value.data[i]);
        out += byte;
        if (i + 1 == value.data.size())
            break;
        out += ',';
        if (out.size() - lineStart >= kHexLineWidth) {
            out += "\\\n  ";
            lineStart = out.size() - 2;
        }
    }
}

void AppendValue(std::string& out, const std::string& name, const RegistryValue& value) {
    const std::size_t lineStart = out.size();
    if (name.empty())
        out += '@';
    else
        AppendQuoted(out, name);
    out += '=';
    if (const std::optional<std::string> text = QuotableText(value)) {
        AppendQuoted(out, *text);
    } else if (value.type == RegistryType::DWord && value.data.size() == 4) {
        char number[16];
        std::snprintf(number, sizeof number, "dword:%08x", static_cast<unsigned>(*value.AsDWord()));
        out += number;
    } else {
        AppendHex(out, lineStart, value);
    }
    out += '\n';
}

bool IsBelow(const StoredKey& key, const StoredKey& parent) {
    return key.root == parent.root && key.path.size() > parent.path.size() &&
           key.path.compare(0, parent.path.size(), parent.path) == 0 &&
           key.path[parent.path.size()] == '\\';
}

} // namespace

base::HResult WriteRegistryExport(const MemoryRegistry& registry, std::string& text) {
    const std::vector<StoredKey> keys = registry.Keys();
    std::string out(kRegistryExportHeader);
    out += "\n\n";
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const StoredKey& key = keys[i];
        // Keys come parents first, so a key without values whose next key lies below it is
        // recreated from that key's line when the file is read.
        if (key.values.empty() && i + 1 < keys.size() && IsBelow(keys[i + 1], key))
            continue;
        if (!IsWritableName(key.path))
            return base::hr::InvalidArg;
        out += '[';
        out += host::RootName(key.root);
        if (!key.path.empty()) {
            out += '\\';
            out += key.path;
        }
        out += "]\n";
        for (const auto& [name, value] : key.values) {
            if (!IsWritableName(name))
                return base::hr::InvalidArg;
            AppendValue(out, name, value);
        }
        out += '\n';
    }
    text = std::move(out);
    return base::hr::Ok;
}

} // namespace tarvex::sim

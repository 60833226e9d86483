// The registry export text format: what is written, what is read, and what is refused.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/error.h"
#include "sim/registry/registry_export.h"

namespace tarvex::sim {
namespace {

using host::RegistryRoot;
using host::RegistryType;
using host::RegistryValue;

constexpr std::string_view kOptions = "Software\\Morvane Software\\Tarvex\\Options";

std::string Write(const MemoryRegistry& registry) {
    std::string text;
    EXPECT_EQ(WriteRegistryExport(registry, text), base::hr::Ok);
    return text;
}

RegistryValue Bytes(RegistryType type, std::vector<std::uint8_t> data) {
    return RegistryValue{type, std::move(data)};
}

TEST(RegistryExport, WritesTheRegistryEditorForm) {
    MemoryRegistry registry;
    registry.PutValue(RegistryRoot::CurrentUser, kOptions, "TrackColumns",
                      RegistryValue::FromDWord(1));
    registry.PutValue(RegistryRoot::CurrentUser, kOptions, "Name",
                      RegistryValue::FromString(u"text with \"quotes\" and \\ backslash"));
    registry.PutValue(RegistryRoot::CurrentUser, kOptions, "",
                      RegistryValue::FromString(u"default value"));
    registry.PutValue(RegistryRoot::CurrentUser, kOptions, "Big",
                      RegistryValue::FromDWord(0xDEADBEEF));
    registry.PutKey(RegistryRoot::ClassesRoot, "Empty");
    EXPECT_EQ(Write(registry), "Windows Registry Editor Version 5.00\n"
                               "\n"
                               "[HKEY_CLASSES_ROOT\\Empty]\n"
                               "\n"
                               "[HKEY_CURRENT_USER\\Software\\Morvane Software\\Tarvex\\Options]\n"
                               "\"TrackColumns\"=dword:00000001\n"
                               "\"Name\"=\"text with \\\"quotes\\\" and \\\\ backslash\"\n"
                               "@=\"default value\"\n"
                               "\"Big\"=dword:deadbeef\n"
                               "\n");
}

TEST(RegistryExport, BreaksLongHexDataIntoContinuationLines) {
    MemoryRegistry registry;
    registry.PutValue(RegistryRoot::CurrentUser, "K", "Blob",
                      Bytes(RegistryType::Binary, std::vector<std::uint8_t>(100, 0xAB)));
    const std::string text = Write(registry);
    std::size_t lines = 0;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1, ++lines)
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    EXPECT_GT(lines, 6u) << text;
    EXPECT_NE(text.find("ab,\\\n  ab,"), std::string::npos) << text;
}

TEST(RegistryExport, RoundTripsEveryValueTypeExactly) {
    MemoryRegistry registry;
    const std::vector<std::pair<std::string, RegistryValue>> values = {
        {"Number", RegistryValue::FromDWord(0x01020304)},
        {"Text", RegistryValue::FromString(u"Gr\u00fc\u00dfe \"x\" \\ \U0001F600\t!")},
        {"Empty text", RegistryValue::FromString(u"")},
        {"Two lines", RegistryValue::FromString(u"one\r\ntwo")},
        {"No terminator", Bytes(RegistryType::String, {'a', 0})},
        {"Odd length", Bytes(RegistryType::String, {'a', 0, 0})},
        {"Lone surrogate", Bytes(RegistryType::String, {0x00, 0xD8, 0, 0})},
        {"Expand", RegistryValue::FromString(u"%TEMP%\\x", RegistryType::ExpandString)},
        {"Multi", Bytes(RegistryType::MultiString, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
        {"Quad", Bytes(RegistryType::QWord, {1, 2, 3, 4, 5, 6, 7, 8})},
        {"Binary", Bytes(RegistryType::Binary, {0x00, 0xFF, 0x7F})},
        {"Empty binary", Bytes(RegistryType::Binary, {})},
        {"None", Bytes(RegistryType::None, {9})},
        {"Short number", Bytes(RegistryType::DWord, {1, 2})},
        {"Big endian", Bytes(static_cast<RegistryType>(5), {0, 0, 0, 1})},
        {"", RegistryValue::FromString(u"default")},
        {"Name \"with\" \\ and \u00e9", RegistryValue::FromDWord(0)},
    };
    for (const auto& [name, value] : values)
        registry.PutValue(RegistryRoot::CurrentUser, "Software\\Types", name, value);
    registry.PutValue(RegistryRoot::LocalMachine, "", "At the root", RegistryValue::FromDWord(7));
    registry.PutKey(RegistryRoot::CurrentUser, "Software\\Types\\Empty child");

    const std::string text = Write(registry);
    MemoryRegistry reread;
    ReadRegistryExport(text, "round trip", reread);
    EXPECT_EQ(reread.Keys(), registry.Keys()) << text;
    EXPECT_EQ(Write(reread), text);
}

TEST(RegistryExport, ReadsRegistryEditorFilesWithTheirVariations) {
    const std::string text = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                             "\r\n"
                             "; a comment\r\n"
                             "[hkey_current_user\\Software\\Morvane Software\\Tarvex\\Options]\r\n"
                             "\"TrackColumns\"=DWORD:0000000A\r\n"
                             "  \"Path\"=hex(2):25,00,54,00,\\\r\n"
                             "    45,00,4d,00,\\\r\n"
                             "    50,00,25,00,00,00\r\n"
                             "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                             "\"TrackColumns\"=dword:0\r\n"
                             "[HKEY_CURRENT_USER\\Software\\MORVANE SOFTWARE]\r\n"
                             "@=\"\"\r\n";
    MemoryRegistry registry;
    ReadRegistryExport(text, "regedit.reg", registry);
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kOptions, "TrackColumns"),
              RegistryValue::FromDWord(0))
        << "the later line wins";
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kOptions, "path"),
              RegistryValue::FromString(u"%TEMP%", RegistryType::ExpandString));
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, kOptions, "Quad"),
              Bytes(RegistryType::QWord, {1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(registry.GetValue(RegistryRoot::CurrentUser, "Software\\Morvane Software", ""),
              RegistryValue::FromString(u""));
    EXPECT_EQ(registry.Keys().size(), 4u) << "one key per level, whatever the spelling";
}

TEST(RegistryExport, MalformedTextNamesTheLineAndTheProblemAndAddsNothing) {
    const std::string header = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Ok]\n"
                               "\"Good\"=dword:00000001\n";
    struct Case {
        std::string text;
        int line;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"", 1, "the first line is not"},
        {"REGEDIT4\n\n", 1, "the first line is not"},
        {std::string("\xFF\xFE", 2) + "W", 1, "UTF-16"},
        {"Windows Registry Editor Version 5.00\n\n\"v\"=dword:1\n", 3, "before the first [key]"},
        {header + "[HKEY_NOWHERE\\X]\n", 5, "unknown root key 'HKEY_NOWHERE'"},
        {header + "[HKEY_CURRENT_USER\\A\n", 5, "does not end with ']'"},
        {header + "[HKEY_CURRENT_USER\\A\\\\B]\n", 5, "empty key name"},
        {header + "[-HKEY_CURRENT_USER\\A]\n", 5, "deleting keys"},
        {header + "\"v\"=-\n", 5, "deleting values"},
        {header + "\"v\"=dword:123456789\n", 5, "1 to 8 hexadecimal digits"},
        {header + "\"v\"=hex:01,zz\n", 5, "'zz' is not a hexadecimal byte"},
        {header + "\"v\"=hex:01,,02\n", 5, "'' is not a hexadecimal byte"},
        {header + "\"v\"=hex:01,\\\n  02,\\\n  xyz\n", 7, "'xyz'"},
        {header + "\"v\"=hex:01,\\", 5, "continue past the end"},
        {header + "\"v\"=hex(zz):01\n", 5, "type number"},
        {header + "\"v\"=\"C:\\Temp\"\n", 5, "backslash"},
        {header + "\"v\"=\"open\n", 5, "not closed"},
        {header + "\"v\"=\"x\" y\n", 5, "after the closing"},
        {header + "\"v\" dword:1\n", 5, "expected '='"},
        {header + "\"v\"=qword:1\n", 5, "unknown data"},
        {header + "\"v\"=\"\xC3\"\n", 5, "not valid UTF-8"},
        {header + "v=1\n", 5, "expected a [key] line"},
    };
    for (const Case& bad : cases) {
        MemoryRegistry registry;
        try {
            ReadRegistryExport(bad.text, "/home/u/.tarvex/registry.reg", registry);
            ADD_FAILURE() << "accepted: " << bad.text;
        } catch (const base::Error& error) {
            EXPECT_EQ(error.Code(), kMalformedRegistryFile);
            const std::string where = "Malformed registry file '/home/u/.tarvex/registry.reg', "
                                      "line " +
                                      std::to_string(bad.line) + ": ";
            EXPECT_EQ(error.Message().rfind(where, 0), 0u) << error.Message();
            EXPECT_NE(error.Message().find(bad.problem), std::string::npos) << error.Message();
        }
        EXPECT_TRUE(registry.Keys().empty()) << bad.text;
    }
}

TEST(RegistryExport, RefusesNamesThatWouldBreakTheFile) {
    for (const auto& [path, name] : std::vector<std::pair<std::string, std::string>>{
             {"K", "two\nlines"}, {"K\r", "v"}, {"K", "bad \xFF utf-8"}}) {
        MemoryRegistry registry;
        registry.PutValue(RegistryRoot::CurrentUser, path, name, RegistryValue::FromDWord(1));
        std::string text = "unchanged";
        EXPECT_EQ(WriteRegistryExport(registry, text), base::hr::InvalidArg) << name;
        EXPECT_EQ(text, "unchanged");
    }
}

} // namespace
} // namespace tarvex::sim

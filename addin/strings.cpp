#include "strings.h"

#include "base/error.h"
#include "base/text.h"

namespace tarvex::addin {

std::u16string BuiltInString(unsigned id) {
    switch (id) {
    case kIdsDuplicatePrompt:
        return base::Utf8ToUtf16(TARVEX_TEXT_DUPLICATE_PROMPT);
    default:
        return {};
    }
}

std::u16string FormatTemplate(std::u16string_view pattern,
                              std::initializer_list<std::u16string_view> args) {
    std::u16string result;
    result.reserve(pattern.size() + 16);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%') {
            result.push_back(pattern[i]);
            continue;
        }
        const char16_t specifier = i + 1 < pattern.size() ? pattern[i + 1] : u'\0';
        if (specifier == u'%') {
            result.push_back(u'%');
        } else if (specifier == u's' && next != args.end()) {
            result.append(*next++);
        } else {
            throw base::Error(base::hr::InvalidArg, "Format '" + base::Utf16ToUtf8(pattern) +
                                                        "' invalid or incompatible with argument");
        }
        ++i;
    }
    return result;
}

} // namespace tarvex::addin

#include "bench/filled_sheet.h"

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "base/text.h"
#include "host/excel/dispids.h"

namespace tarvex::bench {

FilledSheet::FilledSheet(Line lineKind, std::int32_t filled)
    : line(lineKind) {
    excel.AddWorkbook(u"Book1");
    excel.SetCallLogging(false);
    if (line == Line::Column) {
        // Column B, rows 1 to `filled`; the entry below them.
        lineCount = filled;
        for (std::int32_t row = 1; row <= filled; ++row)
            excel.SetText({row, 2}, TextOf(row));
        entry = {filled + 1, 2};
    } else {
        // Row 1 up to its last column but one, the entry after them; the rest in full rows
        // from row 2 on.
        lineCount = std::min(filled, host::excel::kMaxColumns - 1);
        for (std::int32_t column = 1; column <= lineCount; ++column)
            excel.SetText({1, column}, TextOf(column));
        entry = {1, lineCount + 1};
        std::int32_t n = lineCount;
        for (std::int32_t row = 2; n < filled; ++row) {
            for (std::int32_t column = 1; column <= host::excel::kMaxColumns && n < filled;
                 ++column)
                excel.SetText({row, column}, TextOf(++n));
        }
    }
    excel.SetText(entry, u"INV-NEW");
}

FilledSheet& FilledSheet::Get(Line lineKind, std::int64_t filled) {
    static std::map<std::pair<Line, std::int64_t>, std::unique_ptr<FilledSheet>> sheets;
    auto& sheet = sheets[{lineKind, filled}];
    if (!sheet)
        sheet = std::make_unique<FilledSheet>(lineKind, static_cast<std::int32_t>(filled));
    return *sheet;
}

std::u16string FilledSheet::TextOf(std::int32_t n) {
    return u"INV-" + base::Utf8ToUtf16(std::to_string(n));
}

void FilledSheet::Enter(const std::u16string& text) {
    excel.SetText(entry, text);
}

} // namespace tarvex::bench

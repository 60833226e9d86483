#include "sim/sheet/reference_notation.h"

#include <algorithm>
#include <string>

namespace tarvex::sim::detail {

namespace {
bool IsLetter(char16_t c) noexcept {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
bool IsDigit(char16_t c) noexcept {
    return c >= u'0' && c <= u'9';
}
char16_t Upper(char16_t c) noexcept {
    return c >= u'a' && c <= u'z' ? c - 32 : c;
}

// Reads a run of digits as a number in [1, limit]; false (pos unchanged) otherwise.
bool ReadNumber(std::u16string_view text, std::size_t& pos, std::int32_t limit,
                std::int32_t& value) {
    std::size_t p = pos;
    std::int64_t number = 0;
    while (p < text.size() && IsDigit(text[p])) {
        number = number * 10 + (text[p] - u'0');
        if (number > limit)
            return false;
        ++p;
    }
    if (p == pos || number < 1)
        return false;
    value = static_cast<std::int32_t>(number);
    pos = p;
    return true;
}

// Reads one to three column letters as a column number.
bool ReadColumn(std::u16string_view text, std::size_t& pos, std::int32_t& value) {
    std::size_t p = pos;
    std::int32_t number = 0;
    while (p < text.size() && IsLetter(text[p])) {
        if (p - pos == 3)
            return false;
        number = number * 26 + (Upper(text[p]) - u'A' + 1);
        ++p;
    }
    if (p == pos || number > kMaxColumns)
        return false;
    value = number;
    pos = p;
    return true;
}

bool ReadDollar(std::u16string_view text, std::size_t& pos) {
    if (pos < text.size() && text[pos] == u'$') {
        ++pos;
        return true;
    }
    return false;
}

// One A1 endpoint: a cell (`$B$7`), a column (`$B`) or a row (`$7`).
std::optional<std::pair<ReferenceKind, Endpoint>> ReadA1Endpoint(std::u16string_view text,
                                                                 std::size_t& pos) {
    std::size_t p = pos;
    Endpoint endpoint;
    const bool firstDollar = ReadDollar(text, p);
    if (p < text.size() && IsLetter(text[p])) {
        if (!ReadColumn(text, p, endpoint.column.index))
            return std::nullopt;
        endpoint.column.absolute = firstDollar;
        std::size_t q = p;
        const bool rowDollar = ReadDollar(text, q);
        if (q < text.size() && IsDigit(text[q])) {
            if (!ReadNumber(text, q, kMaxRows, endpoint.row.index))
                return std::nullopt;
            endpoint.row.absolute = rowDollar;
            pos = q;
            return std::pair{ReferenceKind::Cells, endpoint};
        }
        if (rowDollar)
            return std::nullopt;
        pos = p;
        return std::pair{ReferenceKind::Columns, endpoint};
    }
    if (p < text.size() && IsDigit(text[p])) {
        if (!ReadNumber(text, p, kMaxRows, endpoint.row.index))
            return std::nullopt;
        endpoint.row.absolute = firstDollar;
        pos = p;
        return std::pair{ReferenceKind::Rows, endpoint};
    }
    return std::nullopt;
}

// One R1C1 part: the letter, then nothing (this row or column), a number (absolute), or a
// bracketed offset (relative).
bool ReadR1C1Part(std::u16string_view text, std::size_t& pos, char16_t letter,
                  std::int32_t baseIndex, std::int32_t limit, Coordinate& coordinate, bool& valid) {
    if (pos >= text.size() || Upper(text[pos]) != letter)
        return false;
    std::size_t p = pos + 1;
    if (p < text.size() && text[p] == u'[') {
        ++p;
        bool negative = false;
        if (p < text.size() && (text[p] == u'-' || text[p] == u'+'))
            negative = text[p++] == u'-';
        std::int64_t offset = 0;
        const std::size_t digits = p;
        while (p < text.size() && IsDigit(text[p]) && offset <= limit) {
            offset = offset * 10 + (text[p] - u'0');
            ++p;
        }
        if (p == digits || p >= text.size() || text[p] != u']') {
            valid = false;
            return false;
        }
        ++p;
        const std::int64_t index = baseIndex + (negative ? -offset : offset);
        if (index < 1 || index > limit) {
            valid = false;
            return false;
        }
        coordinate = {static_cast<std::int32_t>(index), false};
    } else if (p < text.size() && IsDigit(text[p])) {
        if (!ReadNumber(text, p, limit, coordinate.index)) {
            valid = false;
            return false;
        }
        coordinate.absolute = true;
    } else {
        coordinate = {baseIndex, false};
    }
    pos = p;
    return true;
}

std::optional<std::pair<ReferenceKind, Endpoint>> ReadR1C1Endpoint(std::u16string_view text,
                                                                   std::size_t& pos, Cell base) {
    std::size_t p = pos;
    Endpoint endpoint;
    bool valid = true;
    const bool hasRow = ReadR1C1Part(text, p, u'R', base.row, kMaxRows, endpoint.row, valid);
    if (!valid)
        return std::nullopt;
    const bool hasColumn =
        ReadR1C1Part(text, p, u'C', base.column, kMaxColumns, endpoint.column, valid);
    if (!valid || (!hasRow && !hasColumn))
        return std::nullopt;
    pos = p;
    const ReferenceKind kind = hasRow && hasColumn ? ReferenceKind::Cells
                               : hasRow            ? ReferenceKind::Rows
                                                   : ReferenceKind::Columns;
    return std::pair{kind, endpoint};
}

template <class ReadEndpoint>
std::optional<Reference> ReadReference(std::u16string_view text, std::size_t& pos,
                                       bool singleLinesAllowed, ReadEndpoint read) {
    std::size_t p = pos;
    const auto first = read(text, p);
    if (!first)
        return std::nullopt;
    Reference reference{first->first, first->second, std::nullopt};
    if (p < text.size() && text[p] == u':') {
        std::size_t q = p + 1;
        const auto second = read(text, q);
        if (second && second->first == first->first) {
            reference.second = second->second;
            pos = q;
            return reference;
        }
    }
    // A1 has no notation for one whole column or row without a range.
    if (reference.kind != ReferenceKind::Cells && !singleLinesAllowed)
        return std::nullopt;
    pos = p;
    return reference;
}

void AppendNumber(std::u16string& out, std::int64_t value) {
    for (const char c : std::to_string(value))
        out += static_cast<char16_t>(c);
}

void AppendA1Column(std::u16string& out, const Coordinate& column) {
    if (column.absolute)
        out += u'$';
    out += ColumnLetters(column.index);
}

void AppendA1Row(std::u16string& out, const Coordinate& row) {
    if (row.absolute)
        out += u'$';
    AppendNumber(out, row.index);
}

void AppendR1C1Part(std::u16string& out, char16_t letter, const Coordinate& coordinate,
                    std::int32_t baseIndex) {
    out += letter;
    if (coordinate.absolute) {
        AppendNumber(out, coordinate.index);
    } else if (coordinate.index != baseIndex) {
        out += u'[';
        AppendNumber(out, static_cast<std::int64_t>(coordinate.index) - baseIndex);
        out += u']';
    }
}

bool SameCoordinate(const Coordinate& a, const Coordinate& b) noexcept {
    return a.index == b.index && a.absolute == b.absolute;
}
} // namespace

std::u16string ColumnLetters(std::int32_t column) {
    std::u16string letters;
    while (column > 0) {
        const std::int32_t digit = (column - 1) % 26;
        letters.insert(letters.begin(), static_cast<char16_t>(u'A' + digit));
        column = (column - 1) / 26;
    }
    return letters;
}

std::optional<Reference> ParseA1Reference(std::u16string_view text, std::size_t& pos) {
    return ReadReference(text, pos, false, [](std::u16string_view t, std::size_t& p) {
        return ReadA1Endpoint(t, p);
    });
}

std::optional<Reference> ParseR1C1Reference(std::u16string_view text, std::size_t& pos, Cell base) {
    return ReadReference(text, pos, true, [base](std::u16string_view t, std::size_t& p) {
        return ReadR1C1Endpoint(t, p, base);
    });
}

std::u16string FormatA1Reference(const Reference& reference) {
    std::u16string out;
    const Endpoint& first = reference.first;
    const Endpoint& second = reference.second ? *reference.second : reference.first;
    switch (reference.kind) {
    case ReferenceKind::Cells:
        AppendA1Column(out, first.column);
        AppendA1Row(out, first.row);
        if (reference.second) {
            out += u':';
            AppendA1Column(out, second.column);
            AppendA1Row(out, second.row);
        }
        break;
    case ReferenceKind::Columns:
        AppendA1Column(out, first.column);
        out += u':';
        AppendA1Column(out, second.column);
        break;
    case ReferenceKind::Rows:
        AppendA1Row(out, first.row);
        out += u':';
        AppendA1Row(out, second.row);
        break;
    }
    return out;
}

std::u16string FormatR1C1Reference(const Reference& reference, Cell base, R1C1Letters letters) {
    std::u16string out;
    auto append = [&](const Endpoint& endpoint) {
        if (reference.kind != ReferenceKind::Columns)
            AppendR1C1Part(out, letters.row, endpoint.row, base.row);
        if (reference.kind != ReferenceKind::Rows)
            AppendR1C1Part(out, letters.column, endpoint.column, base.column);
    };
    append(reference.first);
    if (reference.second) {
        // One whole column or row is written once: C2, not C2:C2.
        const bool sameLine = (reference.kind == ReferenceKind::Columns &&
                               SameCoordinate(reference.first.column, reference.second->column)) ||
                              (reference.kind == ReferenceKind::Rows &&
                               SameCoordinate(reference.first.row, reference.second->row));
        if (!sameLine) {
            out += u':';
            append(*reference.second);
        }
    }
    return out;
}

Reference ReferenceFor(const Area& area, bool rowAbsolute, bool columnAbsolute) {
    Reference reference;
    const Endpoint topLeft{{area.top, rowAbsolute}, {area.left, columnAbsolute}};
    const Endpoint bottomRight{{area.bottom, rowAbsolute}, {area.right, columnAbsolute}};
    reference.first = topLeft;
    if (SpansAllColumns(area)) {
        reference.kind = ReferenceKind::Rows;
        reference.second = bottomRight;
    } else if (SpansAllRows(area)) {
        reference.kind = ReferenceKind::Columns;
        reference.second = bottomRight;
    } else if (!IsSingleCell(area)) {
        reference.second = bottomRight;
    }
    return reference;
}

Area AreaOf(const Reference& reference) {
    const Endpoint& a = reference.first;
    const Endpoint& b = reference.second ? *reference.second : reference.first;
    Area area{std::min(a.row.index, b.row.index), std::min(a.column.index, b.column.index),
              std::max(a.row.index, b.row.index), std::max(a.column.index, b.column.index)};
    if (reference.kind == ReferenceKind::Columns) {
        area.top = 1;
        area.bottom = kMaxRows;
    } else if (reference.kind == ReferenceKind::Rows) {
        area.left = 1;
        area.right = kMaxColumns;
    }
    return area;
}

} // namespace tarvex::sim::detail

namespace tarvex::sim {

std::optional<Area> ParseA1Area(std::u16string_view text) {
    std::size_t pos = 0;
    const auto reference = detail::ParseA1Reference(text, pos);
    if (!reference || pos != text.size())
        return std::nullopt;
    return detail::AreaOf(*reference);
}

std::u16string FormatA1(Cell cell) {
    std::u16string text = detail::ColumnLetters(cell.column);
    for (const char c : std::to_string(cell.row))
        text += static_cast<char16_t>(c);
    return text;
}

std::u16string FormatA1(Area area) {
    return detail::FormatA1Reference(detail::ReferenceFor(area, false, false));
}

} // namespace tarvex::sim

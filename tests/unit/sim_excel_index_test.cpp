// The simulated sheet's storage and text index: checked against plain reference models on
// random edits and searches, and on a large column.

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

#include "base/case_folding.h"
#include "base/text.h"
#include "sim/sheet/chunked_sequence.h"
#include "sim/sheet/sheet_cells.h"
#include "sim/sheet/text_table.h"
#include "sim_excel_support.h"

namespace tarvex::sim {
namespace {

using detail::ChunkedSequence;
using detail::Contains;
using detail::FindPattern;
using detail::FindRequest;
using detail::HiddenLines;
using detail::kMaxColumns;
using detail::kMaxRows;
using detail::SheetCells;

TEST(SimStorage, ChunkedSequenceKeepsOrderThroughSplitsAndMerges) {
    ChunkedSequence<std::uint64_t> sequence;
    std::set<std::uint64_t> model;
    std::mt19937_64 random(7);
    for (int step = 0; step < 60000; ++step) {
        // Inserts dominate at first, erasures later, so chunks both split and merge.
        const std::uint64_t key = random() % 20000;
        const bool insert = (random() % 100) < (step < 30000 ? 75 : 25);
        if (insert) {
            EXPECT_EQ(sequence.Insert(key), model.insert(key).second);
        } else {
            EXPECT_EQ(sequence.Erase(key), model.erase(key) == 1);
        }
    }
    ASSERT_EQ(sequence.Size(), model.size());
    std::vector<std::uint64_t> walked;
    for (auto at = sequence.Begin(); !sequence.IsEnd(at); at = sequence.Next(at))
        walked.push_back(sequence.At(at));
    EXPECT_TRUE(std::equal(walked.begin(), walked.end(), model.begin(), model.end()));
    for (std::uint64_t probe = 0; probe < 20001; probe += 97) {
        const auto at = sequence.LowerBound(probe);
        const auto expected = model.lower_bound(probe);
        ASSERT_EQ(sequence.IsEnd(at), expected == model.end());
        if (expected != model.end()) {
            EXPECT_EQ(sequence.At(at), *expected);
        }
        ChunkedSequence<std::uint64_t>::Position before;
        const auto upper = model.upper_bound(probe);
        ASSERT_EQ(sequence.LastAtOrBefore(probe, before), upper != model.begin());
        if (upper != model.begin()) {
            EXPECT_EQ(sequence.At(before), *std::prev(upper));
        }
    }
}

TEST(SimStorage, TextTableFindsEveryLiveTextThroughGrowthAndRemoval) {
    detail::TextTable table;
    std::map<std::u16string, detail::TextId> live;
    auto text = [](int n) {
        // Pairs of texts that differ only in case share a fold group.
        std::u16string t = u"t";
        t += base::Utf8ToUtf16(std::to_string(n / 2));
        if (n % 2)
            t[0] = u'T';
        return t;
    };
    for (int n = 0; n < 6000; ++n)
        live[text(n)] = table.Intern(text(n));
    std::mt19937 random(3);
    for (int n = 0; n < 6000; ++n) {
        if (random() % 2 == 0) {
            table.Release(live.at(text(n)));
            live.erase(text(n));
        }
    }
    for (int n = 6000; n < 7000; ++n) // reuses freed ids
        live[text(n)] = table.Intern(text(n));
    EXPECT_EQ(table.Size(), live.size());
    for (int n = 0; n < 7000; ++n) {
        const std::u16string t = text(n);
        std::vector<detail::TextId> exact;
        table.Matching(t, true, exact);
        const auto it = live.find(t);
        if (it == live.end()) {
            EXPECT_TRUE(exact.empty()) << n;
            continue;
        }
        ASSERT_EQ(exact, std::vector<detail::TextId>{it->second}) << n;
        EXPECT_EQ(table.Text(it->second), t);
        EXPECT_EQ(table.Intern(t), it->second);
        std::vector<detail::TextId> folded;
        table.Matching(t, false, folded);
        std::u16string other = t;
        other[0] = other[0] == u't' ? u'T' : u't';
        const std::size_t expected = 1 + live.count(other);
        EXPECT_EQ(folded.size(), expected) << n;
    }
}

// Find done the slow, obvious way: list the matching cells of the area in search
// order and pick the first after the start, wrapping around.
std::optional<Cell> ReferenceFind(const std::map<std::pair<int, int>, std::u16string>& cells,
                                  const FindPattern& pattern, const FindRequest& request) {
    std::vector<Cell> matches;
    for (const auto& [position, text] : cells) {
        const Cell cell{position.first, position.second};
        const bool hidden = request.passOver && request.passOver->Hides(cell);
        if (Contains(request.area, cell) && !hidden && pattern.Matches(text))
            matches.push_back(cell);
    }
    auto key = [&](Cell cell) {
        return request.byColumns ? std::pair(cell.column, cell.row)
                                 : std::pair(cell.row, cell.column);
    };
    std::sort(matches.begin(), matches.end(), [&](Cell a, Cell b) { return key(a) < key(b); });
    if (matches.empty())
        return std::nullopt;
    const auto start = key(request.after);
    if (!request.previous) {
        for (const Cell cell : matches) {
            if (key(cell) > start)
                return cell;
        }
        return matches.front();
    }
    for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
        if (key(*it) < start)
            return *it;
    }
    return matches.back();
}

TEST(SimStorage, FindAgreesWithAPlainScanOnRandomSheets) {
    const std::u16string texts[] = {u"a",  u"A",  u"ab", u"Ab", u"AB", u"b",
                                    u"a*", u"a?", u"ä",  u"Ä",  u"ba", u"abc"};
    const std::u16string whats[] = {u"a",  u"AB", u"ä",  u"a~*", u"a*", u"?",
                                    u"*b", u"b?", u"~?", u"abc", u"c"};
    std::mt19937 random(11);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    SheetCells sheet;
    std::map<std::pair<int, int>, std::u16string> model;
    HiddenLines hidden;
    for (int round = 0; round < 3000; ++round) {
        // Now and then other rows and columns are hidden, near the corner and at the edge.
        if (round % 200 == 0) {
            hidden = {};
            for (int i = pick(0, 3); i > 0; --i) {
                const int row = pick(0, 4) == 0 ? kMaxRows - pick(0, 2) : pick(1, 12);
                hidden.rows.Add(row, std::min(row + pick(0, 2), kMaxRows));
                hidden.columns.Add(pick(1, 12), pick(1, 12));
            }
        }
        // Cells cluster near the top-left corner, with a few far out, in the last row
        // and column, so areas of every shape meet some of them.
        const Cell cell{pick(0, 9) == 0 ? kMaxRows - pick(0, 2) : pick(1, 12),
                        pick(0, 9) == 0 ? kMaxColumns - pick(0, 2) : pick(1, 12)};
        const std::u16string text = pick(0, 4) == 0 ? u"" : texts[pick(0, 11)];
        sheet.SetText(cell, text);
        if (text.empty())
            model.erase({cell.row, cell.column});
        else
            model[{cell.row, cell.column}] = text;

        FindRequest request;
        switch (pick(0, 3)) {
        case 0:
            request.area = {1, pick(1, 12), kMaxRows, 0};
            break; // whole column
        case 1:
            request.area = {pick(1, 12), 1, 0, kMaxColumns};
            break; // whole row
        case 2:
            request.area = {1, pick(1, 6), kMaxRows, pick(7, 14)};
            break; // columns
        default:
            request.area = {pick(1, 6), pick(1, 6), pick(7, 14), pick(7, 14)};
            break;
        }
        if (request.area.right == 0)
            request.area.right = request.area.left;
        if (request.area.bottom == 0)
            request.area.bottom = request.area.top;
        request.after = {pick(request.area.top, std::min(request.area.bottom, 14)),
                         pick(request.area.left, std::min(request.area.right, 14))};
        if (pick(0, 5) == 0)
            request.after = {request.area.bottom, request.area.right};
        request.byColumns = pick(0, 1) == 1;
        request.previous = pick(0, 3) == 0;
        request.passOver = pick(0, 1) == 0 ? &hidden : nullptr;
        const FindPattern pattern(whats[pick(0, 10)], pick(0, 2) != 0, pick(0, 1) == 1);
        ASSERT_EQ(sheet.Find(pattern, request), ReferenceFind(model, pattern, request))
            << "round " << round;
    }
    std::vector<std::pair<Cell, std::u16string>> expected;
    for (const auto& [position, text] : model)
        expected.push_back({{position.first, position.second}, text});
    EXPECT_EQ(sheet.NonEmptyCells({1, 1, kMaxRows, kMaxColumns}), expected);
}

TEST(SimStorage, ALargeColumnIsSearchedAndWalkedInRowOrder) {
    SimExcel excel;
    excel.AddWorkbook(u"Book1");
    constexpr int kRows = 100000;
    for (int row = 1; row <= kRows; ++row)
        excel.SetText({row, 1}, u"item " + base::Utf8ToUtf16(std::to_string(row)));
    excel.SetText({kRows + 5, 1}, u"ITEM 17");

    const auto column = testing::RangeAt(excel, u"A:A");
    auto find = [&](std::u16string what, std::u16string_view after, bool matchCase) {
        return testing::AddressOf(column.Find(
            host::Variant(std::move(what)), testing::RangeAt(excel, after), host::excel::xlValues,
            host::excel::xlWhole, host::excel::xlByRows, host::excel::xlNext, matchCase, true));
    };
    EXPECT_EQ(find(u"item 50000", u"A50000", false), u"$A$50000");
    EXPECT_EQ(find(u"item 17", u"A17", false), u"$A$100005");
    EXPECT_EQ(find(u"item 17", u"A100005", false), u"$A$17");
    EXPECT_EQ(find(u"item 17", u"A17", true), u"$A$17");
    EXPECT_EQ(find(u"item 99*", u"A99999", false), u"$A$99");

    std::int32_t visited = 0;
    std::int32_t lastRow = 0;
    bool ordered = true;
    excel.ForEachInColumn(1, [&](std::int32_t row, const std::u16string& text) {
        ordered = ordered && row > lastRow && !text.empty();
        lastRow = row;
        ++visited;
    });
    EXPECT_TRUE(ordered);
    EXPECT_EQ(visited, kRows + 1);

    // Emptying every cell leaves nothing behind.
    excel.Clear({1, 1, kMaxRows, 1});
    EXPECT_FALSE(excel.UsedArea());
    EXPECT_EQ(find(u"item 17", u"A17", false), u"");
}

TEST(SimText, SimpleCaseFoldingComparesTexts) {
    EXPECT_TRUE(TextsEqual(u"ÄBC", u"äbc", false));
    EXPECT_FALSE(TextsEqual(u"ÄBC", u"äbc", true));
    EXPECT_FALSE(TextsEqual(u"Straße", u"STRASSE", false));
    EXPECT_TRUE(TextsEqual(u"ΣΑΣ", u"σας", false));
    EXPECT_TRUE(TextsEqual(u"ǅ", u"ǆ", false)); // a title-case letter
    EXPECT_TRUE(TextsEqual(u"\U00010400x", u"\U00010428X", false));
    EXPECT_FALSE(TextsEqual(u"\U00010400", u"\u0410\u0410", false)); // same length, not same
    EXPECT_FALSE(TextsEqual(u"a", u"ab", false));
    EXPECT_EQ(base::FoldCodePoint(U'K'), U'k');
    EXPECT_EQ(base::FoldCodePoint(0x212A), U'k');    // KELVIN SIGN
    EXPECT_EQ(base::FoldCodePoint(0x0101), 0x0101u); // already folded
    EXPECT_EQ(base::FoldCodePoint(0x0100), 0x0101u);
    EXPECT_EQ(base::FoldedHash(u"ÄBC"), base::FoldedHash(u"äbc"));
}

} // namespace
} // namespace tarvex::sim

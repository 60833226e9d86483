#pragma once

// The texts of one worksheet, each stored once, with the cells that hold it: the index that
// lets Find jump to the next cell holding a given text instead of reading every cell.
//
// Texts that fold to the same text (differ only in case) form a group; the group is found
// through a hash table on the folded text, and its members are chained. A whole-cell Find
// looks up the group (or, when case matters, the one member) and asks each member's
// occurrences for the next cell inside the area.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sheet/cell_order.h"

namespace tarvex::sim::detail {

using TextId = std::uint32_t;
inline constexpr TextId kNoText = UINT32_MAX;

/// The cells that hold one text, in both orders. One cell is kept inline: most texts of a
/// large sheet stand in one cell only.
class Occurrences {
public:
    std::size_t Count() const noexcept { return m_count; }
    void Add(Cell cell);
    void Remove(Cell cell);

    /// The smallest key in [low, high] inside `band`, in `order`; false when none.
    bool First(Order order, const Band& band, std::uint64_t low, std::uint64_t high,
               std::uint64_t& found) const;
    /// The largest such key.
    bool Last(Order order, const Band& band, std::uint64_t low, std::uint64_t high,
              std::uint64_t& found) const;

private:
    struct Many {
        ChunkedSequence<std::uint64_t> byRows;
        ChunkedSequence<std::uint64_t> byColumns;
    };

    bool SingleIn(Order order, const Band& band, std::uint64_t low, std::uint64_t high,
                  std::uint64_t& found) const;

    Cell m_single;                // the cell, while Count() is 1
    std::unique_ptr<Many> m_many; // set while Count() is 2 or more
    std::uint32_t m_count = 0;
};

/// Interned texts of one sheet.
class TextTable {
public:
    TextTable();

    /// The id of `text` (not empty), adding it when new.
    TextId Intern(std::u16string_view text);
    /// Drops a text that no cell holds any more.
    void Release(TextId id);

    const std::u16string& Text(TextId id) const noexcept { return Entry(id).text; }
    Occurrences& Where(TextId id) noexcept { return Entry(id).where; }
    const Occurrences& Where(TextId id) const noexcept { return Entry(id).where; }

    /// The ids of the texts equal to `text`: the exact one when case matters, else every
    /// text that folds to the same text. Appends to `ids`.
    void Matching(std::u16string_view text, bool matchCase, std::vector<TextId>& ids) const;

    std::size_t Size() const noexcept { return m_live; }

private:
    struct TextEntry {
        std::u16string text;
        std::uint32_t foldHash = 0;
        TextId nextVariant = kNoText; // the next text of the same fold group
        Occurrences where;
    };

    static constexpr std::size_t kBlockBits = 12;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;

    TextEntry& Entry(TextId id) noexcept {
        return m_blocks[id >> kBlockBits][id & (kBlockSize - 1)];
    }
    const TextEntry& Entry(TextId id) const noexcept {
        return m_blocks[id >> kBlockBits][id & (kBlockSize - 1)];
    }

    // The fold-group table: open addressing over group heads, linear probing.
    std::size_t FindSlot(std::u16string_view text, std::uint32_t hash) const noexcept;
    void InsertHead(TextId id);
    void EraseSlot(std::size_t slot) noexcept;
    void Grow();

    std::vector<std::unique_ptr<TextEntry[]>> m_blocks; // stable storage, no big moves
    TextId m_allocated = 0;
    std::vector<TextId> m_free;
    std::size_t m_live = 0;
    std::vector<TextId> m_slots; // kNoText where empty
    std::size_t m_heads = 0;
};

} // namespace tarvex::sim::detail

#include "sim/sheet/text_table.h"

#include "base/case_folding.h"

namespace tarvex::sim::detail {

using base::FoldedEqual;
using base::FoldedHash;
using base::FoldInPlace;

namespace {
constexpr std::size_t kNoSlot = SIZE_MAX;

bool InBand(std::uint64_t key, const Band& band) noexcept {
    const std::uint32_t major = MajorOf(key);
    const std::uint32_t minor = MinorOf(key);
    return major >= band.majorLow && major <= band.majorHigh && minor >= band.minorLow &&
           minor <= band.minorHigh;
}
} // namespace

void Occurrences::Add(Cell cell) {
    if (m_count == 0) {
        m_single = cell;
    } else {
        if (m_count == 1) {
            m_many = std::make_unique<Many>();
            m_many->byRows.Insert(KeyFor(m_single, Order::Rows));
            m_many->byColumns.Insert(KeyFor(m_single, Order::Columns));
        }
        m_many->byRows.Insert(KeyFor(cell, Order::Rows));
        m_many->byColumns.Insert(KeyFor(cell, Order::Columns));
    }
    ++m_count;
}

void Occurrences::Remove(Cell cell) {
    if (m_count == 0)
        return;
    if (m_count == 1) {
        m_count = 0;
        return;
    }
    m_many->byRows.Erase(KeyFor(cell, Order::Rows));
    m_many->byColumns.Erase(KeyFor(cell, Order::Columns));
    if (--m_count == 1) {
        m_single = CellFor(m_many->byRows.At(m_many->byRows.Begin()), Order::Rows);
        m_many.reset();
    }
}

bool Occurrences::SingleIn(Order order, const Band& band, std::uint64_t low, std::uint64_t high,
                           std::uint64_t& found) const {
    const std::uint64_t key = KeyFor(m_single, order);
    if (key < low || key > high || !InBand(key, band))
        return false;
    found = key;
    return true;
}

bool Occurrences::First(Order order, const Band& band, std::uint64_t low, std::uint64_t high,
                        std::uint64_t& found) const {
    if (m_count == 0)
        return false;
    if (m_count == 1)
        return SingleIn(order, band, low, high, found);
    const auto& keys = order == Order::Rows ? m_many->byRows : m_many->byColumns;
    return ForwardInBand(keys, band, low, high, [&found](std::uint64_t key) {
        found = key;
        return true;
    });
}

bool Occurrences::Last(Order order, const Band& band, std::uint64_t low, std::uint64_t high,
                       std::uint64_t& found) const {
    if (m_count == 0)
        return false;
    if (m_count == 1)
        return SingleIn(order, band, low, high, found);
    const auto& keys = order == Order::Rows ? m_many->byRows : m_many->byColumns;
    return BackwardInBand(keys, band, low, high, [&found](std::uint64_t key) {
        found = key;
        return true;
    });
}

TextTable::TextTable()
    : m_slots(1024, kNoText) {}

std::size_t TextTable::FindSlot(std::u16string_view text, std::uint32_t hash) const noexcept {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const TextId head = m_slots[i];
        if (head == kNoText)
            return kNoSlot;
        const TextEntry& entry = Entry(head);
        if (entry.foldHash == hash && FoldedEqual(entry.text, text))
            return i;
    }
}

TextId TextTable::Intern(std::u16string_view text) {
    const std::uint32_t hash = FoldedHash(text);
    const std::size_t slot = FindSlot(text, hash);
    if (slot != kNoSlot) {
        for (TextId id = m_slots[slot]; id != kNoText; id = Entry(id).nextVariant) {
            if (Entry(id).text == text)
                return id;
        }
    }

    TextId id;
    if (!m_free.empty()) {
        id = m_free.back();
        m_free.pop_back();
    } else {
        if ((m_allocated >> kBlockBits) == m_blocks.size())
            m_blocks.push_back(std::make_unique<TextEntry[]>(kBlockSize));
        id = m_allocated++;
    }
    TextEntry& entry = Entry(id);
    entry.text.assign(text);
    entry.foldHash = hash;
    entry.nextVariant = kNoText;
    if (slot != kNoSlot) {
        TextEntry& head = Entry(m_slots[slot]);
        entry.nextVariant = head.nextVariant;
        head.nextVariant = id;
    } else {
        InsertHead(id);
    }
    ++m_live;
    return id;
}

void TextTable::Release(TextId id) {
    TextEntry& entry = Entry(id);
    const std::size_t slot = FindSlot(entry.text, entry.foldHash);
    if (slot != kNoSlot) {
        if (m_slots[slot] == id) {
            if (entry.nextVariant != kNoText)
                m_slots[slot] = entry.nextVariant;
            else
                EraseSlot(slot);
        } else {
            for (TextId at = m_slots[slot]; at != kNoText; at = Entry(at).nextVariant) {
                if (Entry(at).nextVariant == id) {
                    Entry(at).nextVariant = entry.nextVariant;
                    break;
                }
            }
        }
    }
    std::u16string().swap(entry.text);
    entry.nextVariant = kNoText;
    m_free.push_back(id);
    --m_live;
}

void TextTable::Matching(std::u16string_view text, bool matchCase, std::vector<TextId>& ids) const {
    const std::size_t slot = FindSlot(text, FoldedHash(text));
    if (slot == kNoSlot)
        return;
    for (TextId id = m_slots[slot]; id != kNoText; id = Entry(id).nextVariant) {
        if (!matchCase) {
            ids.push_back(id);
        } else if (Entry(id).text == text) {
            ids.push_back(id);
            return;
        }
    }
}

void TextTable::InsertHead(TextId id) {
    if ((m_heads + 1) * 2 > m_slots.size())
        Grow();
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = Entry(id).foldHash & mask;
    while (m_slots[i] != kNoText)
        i = (i + 1) & mask;
    m_slots[i] = id;
    ++m_heads;
}

// Removes a head without tombstones: later entries of the same probe run move back into the
// gap when their home slot allows it, so every lookup still ends at the first empty slot.
void TextTable::EraseSlot(std::size_t slot) noexcept {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t gap = slot;
    for (std::size_t i = (slot + 1) & mask; m_slots[i] != kNoText; i = (i + 1) & mask) {
        const std::size_t home = Entry(m_slots[i]).foldHash & mask;
        // The entry at i may fill the gap when its home does not lie in (gap, i].
        const bool homeBetween = gap <= i ? (home > gap && home <= i) : (home > gap || home <= i);
        if (!homeBetween) {
            m_slots[gap] = m_slots[i];
            gap = i;
        }
    }
    m_slots[gap] = kNoText;
    --m_heads;
}

void TextTable::Grow() {
    std::vector<TextId> old(m_slots.size() * 2, kNoText);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const TextId id : old) {
        if (id == kNoText)
            continue;
        std::size_t i = Entry(id).foldHash & mask;
        while (m_slots[i] != kNoText)
            i = (i + 1) & mask;
        m_slots[i] = id;
    }
}

} // namespace tarvex::sim::detail

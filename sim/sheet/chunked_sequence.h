#pragma once

// ChunkedSequence: a sorted sequence of elements with 64-bit keys, kept in chunks of a few
// hundred elements. It is the storage under the simulated sheet: lookups and inserts are
// logarithmic, walking in key order is a plain array walk, and a million elements cost
// little more than the elements themselves (a tree would spend three pointers on each).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarvex::sim::detail {

/// The key of an element: the element itself for plain keys, its `key` member otherwise.
inline std::uint64_t KeyOf(std::uint64_t element) noexcept {
    return element;
}
template <class Element>
std::uint64_t KeyOf(const Element& element) noexcept {
    return element.key;
}

/// A sorted set of elements with unique keys, stored in chunks.
template <class Element>
class ChunkedSequence {
public:
    /// A place in the sequence; `chunk == chunk count` is the end.
    struct Position {
        std::size_t chunk = 0;
        std::size_t index = 0;
        friend bool operator==(const Position&, const Position&) = default;
    };

    std::size_t Size() const noexcept { return m_size; }
    bool Empty() const noexcept { return m_size == 0; }

    Position Begin() const noexcept { return {0, 0}; }
    Position End() const noexcept { return {m_chunks.size(), 0}; }
    bool IsEnd(Position at) const noexcept { return at.chunk >= m_chunks.size(); }
    const Element& At(Position at) const noexcept { return m_chunks[at.chunk][at.index]; }
    Element& At(Position at) noexcept { return m_chunks[at.chunk][at.index]; }

    /// The next position (End after the last element).
    Position Next(Position at) const noexcept {
        if (++at.index < m_chunks[at.chunk].size())
            return at;
        return {at.chunk + 1, 0};
    }

    /// The previous position; must not be called on the first element.
    Position Prev(Position at) const noexcept {
        if (at.index > 0)
            return {at.chunk, at.index - 1};
        return {at.chunk - 1, m_chunks[at.chunk - 1].size() - 1};
    }

    /// The first element whose key is `key` or greater, or End.
    Position LowerBound(std::uint64_t key) const noexcept {
        const std::size_t chunk = ChunkFor(key);
        if (chunk == m_chunks.size())
            return End();
        const auto& elements = m_chunks[chunk];
        const auto it = std::lower_bound(
            elements.begin(), elements.end(), key,
            [](const Element& element, std::uint64_t k) { return KeyOf(element) < k; });
        return {chunk, static_cast<std::size_t>(it - elements.begin())};
    }

    /// The last element whose key is `key` or less; false when there is none.
    bool LastAtOrBefore(std::uint64_t key, Position& found) const noexcept {
        const Position after = UpperBound(key);
        if (after == Begin() || m_size == 0)
            return false;
        found = Prev(after);
        return true;
    }

    /// The element with `key`, or null.
    const Element* Find(std::uint64_t key) const noexcept {
        const Position at = LowerBound(key);
        if (IsEnd(at) || KeyOf(At(at)) != key)
            return nullptr;
        return &At(at);
    }
    Element* Find(std::uint64_t key) noexcept {
        return const_cast<Element*>(static_cast<const ChunkedSequence*>(this)->Find(key));
    }

    /// Inserts `element`; false (and nothing changed) when its key is present already.
    bool Insert(const Element& element) {
        const std::uint64_t key = KeyOf(element);
        if (m_chunks.empty()) {
            m_chunks.emplace_back().push_back(element);
            ++m_size;
            return true;
        }
        std::size_t chunk = ChunkFor(key);
        if (chunk == m_chunks.size()) {
            // Past the last key: append. A full last chunk starts a new one instead of
            // splitting, so that filling in key order leaves every chunk full.
            if (m_chunks.back().size() >= kMaxChunk) {
                m_chunks.emplace_back().reserve(kMaxChunk);
                m_chunks.back().push_back(element);
            } else {
                m_chunks.back().push_back(element);
            }
            ++m_size;
            return true;
        }
        auto& elements = m_chunks[chunk];
        const auto it =
            std::lower_bound(elements.begin(), elements.end(), key,
                             [](const Element& e, std::uint64_t k) { return KeyOf(e) < k; });
        if (it != elements.end() && KeyOf(*it) == key)
            return false;
        elements.insert(it, element);
        ++m_size;
        if (elements.size() > kMaxChunk)
            Split(chunk);
        return true;
    }

    /// Removes the element with `key`; false when there is none.
    bool Erase(std::uint64_t key) {
        const Position at = LowerBound(key);
        if (IsEnd(at) || KeyOf(At(at)) != key)
            return false;
        auto& elements = m_chunks[at.chunk];
        elements.erase(elements.begin() + static_cast<std::ptrdiff_t>(at.index));
        --m_size;
        if (elements.empty())
            m_chunks.erase(m_chunks.begin() + static_cast<std::ptrdiff_t>(at.chunk));
        else if (elements.size() < kMaxChunk / 4)
            MergeWithNeighbour(at.chunk);
        return true;
    }

    void Clear() noexcept {
        m_chunks.clear();
        m_size = 0;
    }

private:
    static constexpr std::size_t kMaxChunk = 512;

    // The first chunk whose last key is `key` or greater (the chunk count when none is).
    std::size_t ChunkFor(std::uint64_t key) const noexcept {
        const auto it = std::lower_bound(m_chunks.begin(), m_chunks.end(), key,
                                         [](const std::vector<Element>& chunk, std::uint64_t k) {
                                             return KeyOf(chunk.back()) < k;
                                         });
        return static_cast<std::size_t>(it - m_chunks.begin());
    }

    Position UpperBound(std::uint64_t key) const noexcept {
        if (key == UINT64_MAX)
            return End();
        return LowerBound(key + 1);
    }

    void Split(std::size_t chunk) {
        auto& elements = m_chunks[chunk];
        const auto middle = elements.begin() + static_cast<std::ptrdiff_t>(elements.size() / 2);
        std::vector<Element> upper(middle, elements.end());
        elements.erase(middle, elements.end());
        m_chunks.insert(m_chunks.begin() + static_cast<std::ptrdiff_t>(chunk) + 1,
                        std::move(upper));
    }

    // Keeps chunks from thinning out after many erasures: a small chunk joins a neighbour
    // when the two fit in one.
    void MergeWithNeighbour(std::size_t chunk) {
        const std::size_t size = m_chunks[chunk].size();
        std::size_t into = chunk;
        std::size_t from = chunk;
        if (chunk + 1 < m_chunks.size() && m_chunks[chunk + 1].size() + size <= kMaxChunk)
            from = chunk + 1;
        else if (chunk > 0 && m_chunks[chunk - 1].size() + size <= kMaxChunk)
            into = chunk - 1;
        else
            return;
        auto& target = m_chunks[into];
        auto& source = m_chunks[from];
        target.insert(target.end(), source.begin(), source.end());
        m_chunks.erase(m_chunks.begin() + static_cast<std::ptrdiff_t>(from));
    }

    std::vector<std::vector<Element>> m_chunks;
    std::size_t m_size = 0;
};

} // namespace tarvex::sim::detail

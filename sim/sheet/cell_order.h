#pragma once

// Cells as 64-bit keys in one of the two orders Find walks (along rows, or down columns),
// and the walk over the keys of a sorted sequence that lie inside an area. A key holds the
// major coordinate (the row for row order) in its high half and the minor one in its low
// half, so an area is a band: a range of majors, and within each a range of minors.

#include <cstdint>

#include "sim/sheet/cell.h"
#include "sim/sheet/chunked_sequence.h"

namespace tarvex::sim::detail {

/// The order of a walk: along rows (then down), or down columns (then right).
enum class Order { Rows, Columns };

/// A key from its major and minor coordinates.
constexpr std::uint64_t MakeKey(std::uint32_t major, std::uint32_t minor) noexcept {
    return static_cast<std::uint64_t>(major) << 32 | minor;
}
constexpr std::uint32_t MajorOf(std::uint64_t key) noexcept {
    return static_cast<std::uint32_t>(key >> 32);
}
constexpr std::uint32_t MinorOf(std::uint64_t key) noexcept {
    return static_cast<std::uint32_t>(key);
}

/// The key of `cell` in `order`.
constexpr std::uint64_t KeyFor(Cell cell, Order order) noexcept {
    const auto row = static_cast<std::uint32_t>(cell.row);
    const auto column = static_cast<std::uint32_t>(cell.column);
    return order == Order::Rows ? MakeKey(row, column) : MakeKey(column, row);
}

/// The cell of `key` in `order`.
constexpr Cell CellFor(std::uint64_t key, Order order) noexcept {
    const auto major = static_cast<std::int32_t>(MajorOf(key));
    const auto minor = static_cast<std::int32_t>(MinorOf(key));
    return order == Order::Rows ? Cell{major, minor} : Cell{minor, major};
}

/// An area seen in one order.
struct Band {
    std::uint32_t majorLow, majorHigh, minorLow, minorHigh;

    std::uint64_t FirstKey() const noexcept { return MakeKey(majorLow, minorLow); }
    std::uint64_t LastKey() const noexcept { return MakeKey(majorHigh, minorHigh); }
};

/// `area` as a band in `order`.
constexpr Band BandFor(const Area& area, Order order) noexcept {
    const auto top = static_cast<std::uint32_t>(area.top);
    const auto bottom = static_cast<std::uint32_t>(area.bottom);
    const auto left = static_cast<std::uint32_t>(area.left);
    const auto right = static_cast<std::uint32_t>(area.right);
    return order == Order::Rows ? Band{top, bottom, left, right} : Band{left, right, top, bottom};
}

/// Visits, in ascending key order, the elements of `sequence` whose keys lie in [low, high]
/// and inside `band`, until `visit(element)` returns true. Returns whether it did. Keys
/// outside the band are skipped by jumping, never one by one: a row's cells left of the
/// band cost one lookup, not one step each.
template <class Element, class Visit>
bool ForwardInBand(const ChunkedSequence<Element>& sequence, const Band& band, std::uint64_t low,
                   std::uint64_t high, Visit&& visit) {
    if (low > high)
        return false;
    auto at = sequence.LowerBound(low);
    while (!sequence.IsEnd(at)) {
        const Element& element = sequence.At(at);
        const std::uint64_t key = KeyOf(element);
        if (key > high)
            return false;
        const std::uint32_t major = MajorOf(key);
        const std::uint32_t minor = MinorOf(key);
        if (major > band.majorHigh)
            return false;
        if (major < band.majorLow) {
            at = sequence.LowerBound(band.FirstKey());
        } else if (minor < band.minorLow) {
            at = sequence.LowerBound(MakeKey(major, band.minorLow));
        } else if (minor > band.minorHigh) {
            if (major == band.majorHigh)
                return false;
            at = sequence.LowerBound(MakeKey(major + 1, band.minorLow));
        } else {
            if (visit(element))
                return true;
            at = sequence.Next(at);
        }
    }
    return false;
}

/// As ForwardInBand, in descending key order.
template <class Element, class Visit>
bool BackwardInBand(const ChunkedSequence<Element>& sequence, const Band& band, std::uint64_t low,
                    std::uint64_t high, Visit&& visit) {
    if (low > high)
        return false;
    typename ChunkedSequence<Element>::Position at;
    if (!sequence.LastAtOrBefore(high, at))
        return false;
    for (;;) {
        const Element& element = sequence.At(at);
        const std::uint64_t key = KeyOf(element);
        if (key < low)
            return false;
        const std::uint32_t major = MajorOf(key);
        const std::uint32_t minor = MinorOf(key);
        if (major < band.majorLow)
            return false;
        std::uint64_t jump = 0;
        bool jumping = true;
        if (major > band.majorHigh) {
            jump = band.LastKey();
        } else if (minor > band.minorHigh) {
            jump = MakeKey(major, band.minorHigh);
        } else if (minor < band.minorLow) {
            if (major == band.majorLow)
                return false;
            jump = MakeKey(major - 1, band.minorHigh);
        } else {
            jumping = false;
            if (visit(element))
                return true;
        }
        if (jumping) {
            if (!sequence.LastAtOrBefore(jump, at))
                return false;
        } else {
            if (at == sequence.Begin())
                return false;
            at = sequence.Prev(at);
        }
    }
}

} // namespace tarvex::sim::detail

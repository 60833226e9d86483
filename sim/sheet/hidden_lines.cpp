#include "sim/sheet/hidden_lines.h"

#include <algorithm>
#include <limits>

namespace tarvex::sim::detail {

void LineSet::Add(std::int32_t first, std::int32_t last) {
    if (first > last)
        std::swap(first, last);
    // Merge every run that overlaps or touches first..last into one.
    auto it = m_runs.upper_bound(first);
    if (it != m_runs.begin() && std::prev(it)->second >= first - 1)
        --it;
    while (it != m_runs.end() && it->first <= last + 1) {
        first = std::min(first, it->first);
        last = std::max(last, it->second);
        it = m_runs.erase(it);
    }
    m_runs.emplace(first, last);
}

std::optional<std::pair<std::int32_t, std::int32_t>>
LineSet::RunAt(std::int32_t line) const noexcept {
    auto it = m_runs.upper_bound(line);
    if (it == m_runs.begin())
        return std::nullopt;
    --it;
    if (line > it->second)
        return std::nullopt;
    return std::pair{it->first, it->second};
}

namespace {
// The sets of major and minor lines in `order`.
std::pair<const LineSet*, const LineSet*> MajorMinor(const HiddenLines& hidden, Order order) {
    return order == Order::Rows ? std::pair{&hidden.rows, &hidden.columns}
                                : std::pair{&hidden.columns, &hidden.rows};
}

constexpr std::uint32_t kNoMinor = 0;
constexpr std::uint32_t kLastMinor = std::numeric_limits<std::uint32_t>::max();
} // namespace

std::uint64_t HiddenLines::KeyAfterRun(std::uint64_t key, Order order) const noexcept {
    const auto [majors, minors] = MajorMinor(*this, order);
    const auto major = MajorOf(key);
    if (const auto run = majors->RunAt(static_cast<std::int32_t>(major)))
        return MakeKey(static_cast<std::uint32_t>(run->second) + 1, kNoMinor);
    if (const auto run = minors->RunAt(static_cast<std::int32_t>(MinorOf(key))))
        return MakeKey(major, static_cast<std::uint32_t>(run->second) + 1);
    return key + 1;
}

std::optional<std::uint64_t> HiddenLines::KeyBeforeRun(std::uint64_t key,
                                                       Order order) const noexcept {
    const auto [majors, minors] = MajorMinor(*this, order);
    const auto major = MajorOf(key);
    if (const auto run = majors->RunAt(static_cast<std::int32_t>(major))) {
        if (run->first <= 1)
            return std::nullopt;
        return MakeKey(static_cast<std::uint32_t>(run->first) - 1, kLastMinor);
    }
    auto first = static_cast<std::int32_t>(MinorOf(key));
    if (const auto run = minors->RunAt(first))
        first = run->first;
    if (first > 1)
        return MakeKey(major, static_cast<std::uint32_t>(first) - 1);
    if (major <= 1)
        return std::nullopt;
    return MakeKey(major - 1, kLastMinor);
}

} // namespace tarvex::sim::detail

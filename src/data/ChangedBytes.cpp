#include "data/ChangedBytes.h"

#include <algorithm>
#include <limits>

namespace quorvan {

void ChangedBytes::Add(std::int64_t offset, std::int64_t length)
{
    if (length <= 0 || offset > std::numeric_limits<std::int64_t>::max() - length)
        return;
    const std::int64_t end = offset + length;
    if (!ranges_.empty()) {
        auto& last = ranges_.back();
        // Byte after byte, as edits and patches report them: grow the last range.
        if (offset >= last.first && offset <= last.second) {
            last.second = std::max(last.second, end);
            return;
        }
        if (offset < last.first)
            sorted_ = false;
    }
    ranges_.emplace_back(offset, end);
}

void ChangedBytes::Normalise() const
{
    if (sorted_)
        return;
    std::sort(ranges_.begin(), ranges_.end());
    std::size_t kept = 0;
    for (std::size_t i = 1; i < ranges_.size(); ++i) {
        if (ranges_[i].first <= ranges_[kept].second)
            ranges_[kept].second = std::max(ranges_[kept].second, ranges_[i].second);
        else
            ranges_[++kept] = ranges_[i];
    }
    ranges_.resize(kept + 1);
    sorted_ = true;
}

bool ChangedBytes::Intersects(std::int64_t first, std::int64_t end) const
{
    if (ranges_.empty() || first >= end)
        return false;
    Normalise();
    // The first range that ends after `first`: it intersects when it starts before `end`.
    const auto it = std::upper_bound(ranges_.begin(), ranges_.end(), first,
                                     [](std::int64_t value, const auto& range) { return value < range.second; });
    return it != ranges_.end() && it->first < end;
}

} // namespace quorvan

#pragma once
// A set of changed byte offsets, gathered from the document's bytesChanged
// reports (one byte at a time, or whole ranges) and asked about by range.
// Adjacent reports join as they come, so an edit of many neighbouring bytes
// stays a few ranges.

#include <cstdint>
#include <utility>
#include <vector>

namespace quorvan {

class ChangedBytes {
public:
    // Notes bytes [offset, offset + length); an empty or negative length notes nothing.
    void Add(std::int64_t offset, std::int64_t length);
    bool empty() const { return ranges_.empty(); }
    void Clear() { ranges_.clear(); sorted_ = true; }

    // True when any noted byte lies in [first, end).
    bool Intersects(std::int64_t first, std::int64_t end) const;

private:
    void Normalise() const;

    // [first, end) ranges; sorted and disjoint whenever sorted_ is set.
    mutable std::vector<std::pair<std::int64_t, std::int64_t>> ranges_;
    mutable bool sorted_ = true;
};

} // namespace quorvan

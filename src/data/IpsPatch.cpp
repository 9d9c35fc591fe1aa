#include "data/IpsPatch.h"

#include <algorithm>

namespace quorvan {

namespace {

struct Run {
    std::size_t begin = 0; // first differing byte
    std::size_t end = 0;   // one past the last
};

// Runs of differing bytes, neighbours merged where the unchanged bytes between
// them cost less than a second record header.
std::vector<Run> DifferingRuns(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b)
{
    std::vector<Run> runs;
    const std::size_t n = a.size();
    std::size_t i = 0;
    while (i < n) {
        if (a[i] == b[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < n && a[end] != b[end])
            ++end;
        if (!runs.empty() && i - runs.back().end < kIpsRecordHeader)
            runs.back().end = end;
        else
            runs.push_back({i, end});
        i = end;
    }
    return runs;
}

void PutRecord(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> image, std::size_t offset,
               std::size_t length)
{
    out.push_back(static_cast<std::uint8_t>(offset >> 16));
    out.push_back(static_cast<std::uint8_t>(offset >> 8));
    out.push_back(static_cast<std::uint8_t>(offset));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(length));
    const auto data = image.subspan(offset, length);
    out.insert(out.end(), data.begin(), data.end());
}

} // namespace

std::optional<std::vector<std::uint8_t>> BuildIpsPatch(std::span<const std::uint8_t> original,
                                                       std::span<const std::uint8_t> modified)
{
    if (original.size() != modified.size() || modified.size() > kIpsMaxImageLength)
        return std::nullopt;

    std::vector<std::uint8_t> out{'P', 'A', 'T', 'C', 'H'};
    for (const Run& run : DifferingRuns(original, modified)) {
        std::size_t pos = run.begin;
        // Start one unchanged byte earlier rather than at the end marker's
        // offset. Unmerged runs lie a record header apart, so this never
        // reaches into the previous record.
        if (pos == kIpsEofOffset)
            --pos;
        while (pos < run.end) {
            std::size_t length = std::min(kIpsMaxRecordLength, run.end - pos);
            // Split a long run so that the next piece does not start there either.
            if (pos + length < run.end && pos + length == kIpsEofOffset)
                --length;
            PutRecord(out, modified, pos, length);
            pos += length;
        }
    }
    out.insert(out.end(), {'E', 'O', 'F'});
    return out;
}

} // namespace quorvan

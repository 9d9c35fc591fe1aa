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

namespace quorvan {

namespace {

std::size_t BigEndian(std::span<const std::uint8_t> bytes)
{
    std::size_t value = 0;
    for (const std::uint8_t b : bytes)
        value = value << 8 | b;
    return value;
}

} // namespace

PatchResult ApplyIpsPatch(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch)
{
    using Status = PatchResult::Status;
    static constexpr std::uint8_t kHeader[] = {'P', 'A', 'T', 'C', 'H'};
    if (patch.size() < sizeof kHeader || !std::equal(std::begin(kHeader), std::end(kHeader), patch.begin()))
        return PatchResult::Refused(Status::NotAPatch, QStringLiteral("The file is not an IPS patch: it does not start with \"PATCH\"."));

    const auto cutShort = [](std::size_t at) {
        return PatchResult::Refused(Status::Malformed,
                                    QStringLiteral("The IPS patch is cut short: it ends at byte %1 inside a record, before its \"EOF\" end marker.")
                                        .arg(at));
    };
    // The records go into a copy, so that a refusal halfway changes nothing.
    std::vector<std::uint8_t> out(image.begin(), image.end());
    std::size_t written = 0;
    std::size_t pos = sizeof kHeader;
    for (;;) {
        if (patch.size() - pos < 3)
            return PatchResult::Refused(Status::Malformed,
                                        QStringLiteral("The IPS patch is cut short: its \"EOF\" end marker is missing."));
        const auto field = patch.subspan(pos, 3);
        pos += 3;
        if (field[0] == 'E' && field[1] == 'O' && field[2] == 'F')
            break;
        const std::size_t offset = BigEndian(field);
        if (patch.size() - pos < 2)
            return cutShort(patch.size());
        std::size_t length = BigEndian(patch.subspan(pos, 2));
        pos += 2;
        std::span<const std::uint8_t> data;
        std::uint8_t fill = 0;
        const bool run = length == 0;
        if (run) {
            if (patch.size() - pos < 3)
                return cutShort(patch.size());
            length = BigEndian(patch.subspan(pos, 2));
            fill = patch[pos + 2];
            pos += 3;
        } else {
            if (patch.size() - pos < length)
                return cutShort(patch.size());
            data = patch.subspan(pos, length);
            pos += length;
        }
        // An IPS may not lengthen the image: only the two image lengths are
        // accepted, and a patch of this game keeps its image's length.
        if (offset > out.size() || length > out.size() - offset)
            return PatchResult::Refused(Status::OutsideImage,
                                        QStringLiteral("The IPS patch writes past the end of the image: a record of %1 at %2, the image has %3.")
                                            .arg(PatchLengthText(length), PatchOffsetText(offset), PatchLengthText(out.size())));
        written += length;
        if (written > kIpsMaxWrittenBytes)
            return PatchResult::Refused(Status::TooLarge,
                                        QStringLiteral("The IPS patch writes more than %1 in all; it is not a patch of an image of this size.")
                                            .arg(PatchLengthText(kIpsMaxWrittenBytes)));
        const auto at = out.begin() + static_cast<std::ptrdiff_t>(offset);
        if (run)
            std::fill_n(at, length, fill);
        else
            std::copy(data.begin(), data.end(), at);
    }

    // After "EOF": nothing, or the length to cut the result to.
    const std::size_t rest = patch.size() - pos;
    if (rest == 3) {
        const std::size_t length = BigEndian(patch.subspan(pos, 3));
        if (length > out.size())
            return PatchResult::Refused(Status::BadLength,
                                        QStringLiteral("The IPS patch would lengthen the image to %1; an IPS patch may only shorten it.")
                                            .arg(PatchLengthText(length)));
        out.resize(length);
    } else if (rest != 0) {
        return PatchResult::Refused(Status::Malformed,
                                    QStringLiteral("The IPS patch has %1 after its \"EOF\" end marker; only a 3-byte length may follow it.")
                                        .arg(PatchLengthText(rest)));
    }
    PatchResult result;
    result.status = Status::Ok;
    result.bytes = std::move(out);
    return result;
}

} // namespace quorvan

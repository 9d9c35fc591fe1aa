#include "data/BpsPatch.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>

namespace quorvan {

namespace {

enum Command : std::uint64_t { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

constexpr std::array<std::uint8_t, 4> kMagic{'B', 'P', 'S', '1'};
constexpr std::size_t kTrailer = 12; // three CRC32s

// Shorter stretches cost more as an action of their own than as patch data.
constexpr std::size_t kMinSourceRead = 4;
constexpr std::size_t kMinRun = 4;
constexpr std::size_t kMinSourceCopy = 8;
constexpr int kHashBits = 16;

class Encoder {
public:
    void Number(std::uint64_t x)
    {
        for (;;) {
            const auto b = static_cast<std::uint8_t>(x & 0x7F);
            x >>= 7;
            if (x == 0) {
                out.push_back(static_cast<std::uint8_t>(b | 0x80));
                return;
            }
            out.push_back(b);
            --x;
        }
    }
    void Action(Command command, std::size_t length) { Number(std::uint64_t{length - 1} << 2 | command); }
    // A move of a copy cursor: the distance, with its sign in the lowest bit.
    void Move(std::int64_t delta)
    {
        const std::uint64_t magnitude = delta < 0 ? std::uint64_t(-(delta + 1)) + 1 : std::uint64_t(delta);
        Number(magnitude << 1 | (delta < 0 ? 1u : 0u));
    }
    void Crc(std::uint32_t crc)
    {
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<std::uint8_t>(crc >> shift));
    }

    std::vector<std::uint8_t> out;
};

std::size_t CommonLength(std::span<const std::uint8_t> a, std::size_t i, std::span<const std::uint8_t> b, std::size_t j)
{
    std::size_t n = 0;
    while (i + n < a.size() && j + n < b.size() && a[i + n] == b[j + n])
        ++n;
    return n;
}

std::uint32_t HashAt(std::span<const std::uint8_t> bytes, std::size_t at)
{
    std::uint64_t key = 0;
    for (std::size_t k = 0; k < kMinSourceCopy; ++k)
        key = key << 8 | bytes[at + k];
    return static_cast<std::uint32_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
}

// Where each 8-byte stretch of the source starts (the first of equal stretches;
// 0 = none, else the position + 1). Collisions are resolved by comparing.
std::vector<std::uint32_t> SourceIndex(std::span<const std::uint8_t> source)
{
    std::vector<std::uint32_t> index(std::size_t{1} << kHashBits, 0);
    if (source.size() < kMinSourceCopy || source.size() >= std::numeric_limits<std::uint32_t>::max())
        return index;
    for (std::size_t p = 0; p + kMinSourceCopy <= source.size(); ++p) {
        std::uint32_t& slot = index[HashAt(source, p)];
        if (slot == 0)
            slot = static_cast<std::uint32_t>(p + 1);
    }
    return index;
}

// Reads the patch front to back; every read is checked against the end of
// the actions (the start of the CRC32s).
class Decoder {
public:
    Decoder(std::span<const std::uint8_t> patch, std::size_t end) : patch_(patch), end_(end) {}

    bool atEnd() const { return pos_ >= end_; }
    std::size_t position() const { return pos_; }
    std::size_t left() const { return end_ - pos_; }
    void skip(std::size_t n) { pos_ += n; }

    // False when the patch ends inside the number or it does not fit in 57 bits
    // (far beyond any length or offset of an image).
    bool Number(std::uint64_t& value)
    {
        value = 0;
        std::uint64_t shift = 1;
        for (int k = 0; k < 8; ++k) {
            if (atEnd())
                return false;
            const std::uint8_t b = patch_[pos_++];
            value += (b & 0x7Fu) * shift;
            if (b & 0x80)
                return true;
            shift <<= 7;
            value += shift;
        }
        return false;
    }

private:
    std::span<const std::uint8_t> patch_;
    std::size_t end_;
    std::size_t pos_ = 0;
};

std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes)
{
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

QString CrcText(std::uint32_t crc)
{
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes)
{
    // zlib takes lengths as uInt: feed it in pieces that fit.
    uLong crc = crc32(0L, Z_NULL, 0);
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), 1u << 30);
        crc = crc32(crc, bytes.data(), static_cast<uInt>(piece));
        bytes = bytes.subspan(piece);
    }
    return static_cast<std::uint32_t>(crc);
}

std::vector<std::uint8_t> BuildBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
{
    Encoder e;
    e.out.assign(kMagic.begin(), kMagic.end());
    e.Number(source.size());
    e.Number(target.size());
    e.Number(0); // no metadata

    const std::vector<std::uint32_t> index = SourceIndex(source);
    std::int64_t sourceCursor = 0; // where the next source copy moves from
    std::int64_t targetCursor = 0; // and the next target copy
    std::int64_t lastShift = 0;    // source position minus target position of the last source copy
    std::size_t literal = 0;       // start of the bytes waiting to travel in the patch
    std::size_t i = 0;

    const auto flush = [&] {
        if (literal < i) {
            e.Action(TargetRead, i - literal);
            e.out.insert(e.out.end(), target.begin() + static_cast<std::ptrdiff_t>(literal),
                         target.begin() + static_cast<std::ptrdiff_t>(i));
        }
    };

    while (i < target.size()) {
        // The same bytes at the same offset: the cheapest action.
        const std::size_t same = i < source.size() ? CommonLength(source, i, target, i) : 0;
        if (same >= kMinSourceRead) {
            flush();
            e.Action(SourceRead, same);
            i += same;
            literal = i;
            continue;
        }
        // The same bytes elsewhere in the source: where the last copy left off
        // (data moved as a whole), or wherever the index finds them.
        std::size_t copyLength = 0;
        std::int64_t copyFrom = 0;
        const auto consider = [&](std::int64_t from) {
            if (from < 0 || static_cast<std::uint64_t>(from) >= source.size())
                return;
            const std::size_t n = CommonLength(source, static_cast<std::size_t>(from), target, i);
            if (n > copyLength) {
                copyLength = n;
                copyFrom = from;
            }
        };
        consider(static_cast<std::int64_t>(i) + lastShift);
        if (i + kMinSourceCopy <= target.size())
            if (const std::uint32_t slot = index[HashAt(target, i)]; slot != 0)
                consider(std::int64_t{slot} - 1);
        // A run of one value.
        std::size_t run = 1;
        while (i + run < target.size() && target[i + run] == target[i])
            ++run;

        if (copyLength >= kMinSourceCopy && copyLength >= run) {
            flush();
            e.Action(SourceCopy, copyLength);
            e.Move(copyFrom - sourceCursor);
            sourceCursor = copyFrom + static_cast<std::int64_t>(copyLength);
            lastShift = copyFrom - static_cast<std::int64_t>(i);
            i += copyLength;
            literal = i;
        } else if (run >= kMinRun) {
            // The run's value travels once (unless the byte before already
            // holds it) and is copied on from the byte before.
            if (i == 0 || target[i - 1] != target[i]) {
                ++i;
                --run;
            }
            flush();
            const auto from = static_cast<std::int64_t>(i) - 1;
            e.Action(TargetCopy, run);
            e.Move(from - targetCursor);
            targetCursor = from + static_cast<std::int64_t>(run);
            i += run;
            literal = i;
        } else {
            ++i;
        }
    }
    flush();

    e.Crc(Crc32(source));
    e.Crc(Crc32(target));
    e.Crc(Crc32(e.out));
    return std::move(e.out);
}

PatchResult ApplyBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch,
                          std::size_t maxTargetLength)
{
    using Status = PatchResult::Status;
    if (patch.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), patch.begin()))
        return PatchResult::Refused(Status::NotAPatch, QStringLiteral("The file is not a BPS patch: it does not start with \"BPS1\"."));
    // The header's three numbers take at least a byte each.
    if (patch.size() < kMagic.size() + 3 + kTrailer)
        return PatchResult::Refused(Status::Malformed,
                                    QStringLiteral("The BPS patch is cut short: %1 cannot hold its header and checksums.")
                                        .arg(PatchLengthText(patch.size())));

    // The patch's own checksum first: a damaged or cut-short file says so,
    // rather than whatever its damage happens to look like.
    const std::size_t end = patch.size() - kTrailer;
    const std::uint32_t sourceCrc = LittleEndian32(patch.subspan(end, 4));
    const std::uint32_t targetCrc = LittleEndian32(patch.subspan(end + 4, 4));
    const std::uint32_t patchCrc = LittleEndian32(patch.subspan(end + 8, 4));
    if (Crc32(patch.first(patch.size() - 4)) != patchCrc)
        return PatchResult::Refused(Status::ChecksumFailed,
                                    QStringLiteral("The BPS patch is damaged or incomplete: its own checksum does not match."));

    const auto malformed = [](const QString& what) {
        return PatchResult::Refused(Status::Malformed, QStringLiteral("The BPS patch is malformed: %1.").arg(what));
    };
    Decoder in(patch, end);
    in.skip(kMagic.size());
    std::uint64_t sourceLength = 0;
    std::uint64_t targetLength = 0;
    std::uint64_t metadataLength = 0;
    if (!in.Number(sourceLength) || !in.Number(targetLength) || !in.Number(metadataLength))
        return malformed(QStringLiteral("its header cannot be read"));
    if (sourceLength != source.size() || Crc32(source) != sourceCrc)
        return PatchResult::Refused(Status::WrongSource,
                                    QStringLiteral("The BPS patch was made for another image: it expects %1 with CRC32 %2, this image has %3 with CRC32 %4.")
                                        .arg(PatchLengthText(sourceLength), CrcText(sourceCrc),
                                             PatchLengthText(source.size()), CrcText(Crc32(source))));
    if (targetLength > maxTargetLength)
        return PatchResult::Refused(Status::BadLength,
                                    QStringLiteral("The BPS patch would make an image of %1; at most %2 are accepted.")
                                        .arg(PatchLengthText(targetLength), PatchLengthText(maxTargetLength)));
    if (metadataLength > in.left())
        return malformed(QStringLiteral("its metadata runs past its end"));
    in.skip(static_cast<std::size_t>(metadataLength));

    std::vector<std::uint8_t> out(static_cast<std::size_t>(targetLength));
    std::size_t written = 0;
    std::int64_t sourceCursor = 0;
    std::int64_t targetCursor = 0;
    const auto outside = [](const QString& what, std::size_t at) {
        return PatchResult::Refused(Status::OutsideImage,
                                    QStringLiteral("The BPS patch %1 (the action at patch byte %2).").arg(what).arg(at));
    };
    // Moves a copy cursor by the signed distance `d` (sign in its lowest bit);
    // false when it leaves [0, limit].
    const auto move = [](std::int64_t& cursor, std::uint64_t d, std::int64_t limit) {
        const auto distance = static_cast<std::int64_t>(d >> 1); // below 2^56
        cursor += (d & 1) ? -distance : distance;
        return cursor >= 0 && cursor <= limit;
    };

    while (!in.atEnd()) {
        const std::size_t at = in.position();
        std::uint64_t action = 0;
        if (!in.Number(action))
            return malformed(QStringLiteral("an action at byte %1 cannot be read").arg(at));
        const std::uint64_t length = (action >> 2) + 1;
        if (length > out.size() - written)
            return outside(QStringLiteral("writes past the end of the %1 it makes").arg(PatchLengthText(out.size())), at);
        const auto n = static_cast<std::size_t>(length);
        const auto dest = out.begin() + static_cast<std::ptrdiff_t>(written);
        std::uint64_t distance = 0;
        if ((action & 3) >= SourceCopy && !in.Number(distance))
            return malformed(QStringLiteral("the copy offset of the action at byte %1 cannot be read").arg(at));
        switch (action & 3) {
        case SourceRead:
            if (written + n > source.size())
                return outside(QStringLiteral("reads past the end of the image"), at);
            std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(written), n, dest);
            break;
        case TargetRead:
            if (n > in.left())
                return malformed(QStringLiteral("the data of the action at byte %1 runs past its end").arg(at));
            std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(in.position()), n, dest);
            in.skip(n);
            break;
        case SourceCopy: {
            if (!move(sourceCursor, distance, static_cast<std::int64_t>(source.size())) ||
                n > source.size() - static_cast<std::size_t>(sourceCursor))
                return outside(QStringLiteral("copies from outside the image"), at);
            std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(sourceCursor), n, dest);
            sourceCursor += static_cast<std::int64_t>(n);
            break;
        }
        case TargetCopy: {
            // Only bytes already written may be read; the copy goes byte by
            // byte, so that it may overlap what it writes (a run).
            if (!move(targetCursor, distance, static_cast<std::int64_t>(written)) ||
                static_cast<std::size_t>(targetCursor) >= written)
                return outside(QStringLiteral("copies from a part of its result not yet written"), at);
            auto from = static_cast<std::size_t>(targetCursor);
            for (std::size_t k = 0; k < n; ++k)
                out[written + k] = out[from + k];
            targetCursor += static_cast<std::int64_t>(n);
            break;
        }
        }
        written += n;
    }
    if (written != out.size())
        return malformed(QStringLiteral("its actions make %1 of the %2 it announces")
                             .arg(PatchLengthText(written), PatchLengthText(out.size())));
    if (Crc32(out) != targetCrc)
        return PatchResult::Refused(Status::ChecksumFailed,
                                    QStringLiteral("The image the BPS patch makes fails its checksum: CRC32 %1, the patch expects %2.")
                                        .arg(CrcText(Crc32(out)), CrcText(targetCrc)));
    PatchResult result;
    result.status = Status::Ok;
    result.bytes = std::move(out);
    return result;
}

} // namespace quorvan

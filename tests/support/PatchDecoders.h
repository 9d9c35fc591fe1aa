#pragma once
// Patch readers and a BPS writer of the tests' own, written from the formats
// alone, to check what the program writes and to make patches by hand.

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvan::test {

using Bytes = std::vector<std::uint8_t>;

// CRC32, bit by bit (reflected polynomial 0xEDB88320).
inline std::uint32_t TestCrc32(std::span<const std::uint8_t> bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

struct DecodedPatch {
    QString error;             // empty when the patch decoded and applied cleanly
    Bytes image;               // the result
    std::array<int, 4> actions{}; // BPS: how many actions of each kind
    int records = 0;           // IPS: how many records
};

// IPS: "PATCH", records (3-byte offset, 2-byte length, data; length 0 = run),
// "EOF", an optional 3-byte length to cut to. Records may not leave the image.
inline DecodedPatch DecodeIps(const Bytes& image, const Bytes& patch)
{
    DecodedPatch d;
    d.image = image;
    const auto be = [&patch](std::size_t at, int n) {
        std::size_t v = 0;
        for (int k = 0; k < n; ++k)
            v = v << 8 | patch[at + static_cast<std::size_t>(k)];
        return v;
    };
    if (patch.size() < 8 || Bytes(patch.begin(), patch.begin() + 5) != Bytes{'P', 'A', 'T', 'C', 'H'}) {
        d.error = QStringLiteral("no header");
        return d;
    }
    std::size_t pos = 5;
    for (;;) {
        if (pos + 3 > patch.size()) {
            d.error = QStringLiteral("no EOF");
            return d;
        }
        if (be(pos, 3) == 0x454F46)
            break;
        if (pos + 5 > patch.size()) {
            d.error = QStringLiteral("cut in a record header");
            return d;
        }
        const std::size_t offset = be(pos, 3);
        std::size_t length = be(pos + 3, 2);
        pos += 5;
        const bool run = length == 0;
        if (run && pos + 3 <= patch.size())
            length = be(pos, 2);
        if (pos + (run ? 3 : length) > patch.size() || offset + length > d.image.size()) {
            d.error = QStringLiteral("record cut or past the image");
            return d;
        }
        for (std::size_t k = 0; k < length; ++k)
            d.image[offset + k] = run ? patch[pos + 2] : patch[pos + k];
        pos += run ? 3 : length;
        ++d.records;
    }
    if (patch.size() == pos + 6 && be(pos + 3, 3) <= d.image.size())
        d.image.resize(be(pos + 3, 3));
    else if (patch.size() != pos + 3)
        d.error = QStringLiteral("bytes after EOF");
    return d;
}

// BPS, with every check the format asks for.
inline DecodedPatch DecodeBps(const Bytes& source, const Bytes& patch)
{
    DecodedPatch d;
    const auto fail = [&d](const char* why) {
        d.error = QString::fromLatin1(why);
        d.image.clear();
        return d;
    };
    if (patch.size() < 19 || Bytes(patch.begin(), patch.begin() + 4) != Bytes{'B', 'P', 'S', '1'})
        return fail("no header");
    const std::size_t end = patch.size() - 12;
    const auto le = [&patch](std::size_t at) {
        return std::uint32_t{patch[at]} | std::uint32_t{patch[at + 1]} << 8 | std::uint32_t{patch[at + 2]} << 16 |
               std::uint32_t{patch[at + 3]} << 24;
    };
    if (TestCrc32(std::span(patch).first(patch.size() - 4)) != le(end + 8))
        return fail("patch crc");
    std::size_t pos = 4;
    bool bad = false;
    const auto number = [&]() -> std::uint64_t {
        std::uint64_t value = 0, shift = 1;
        for (int k = 0; k < 9; ++k) {
            if (pos >= end) {
                bad = true;
                return 0;
            }
            const std::uint8_t b = patch[pos++];
            value += (b & 0x7F) * shift;
            if (b & 0x80)
                return value;
            shift <<= 7;
            value += shift;
        }
        bad = true;
        return 0;
    };
    const std::uint64_t sourceSize = number(), targetSize = number(), metadata = number();
    if (bad || sourceSize != source.size() || TestCrc32(source) != le(end))
        return fail("source");
    if (targetSize > 0x1000000 || metadata > end - pos)
        return fail("header");
    pos += metadata;
    d.image.resize(targetSize);
    std::int64_t out = 0, sourceRel = 0, targetRel = 0;
    while (pos < end) {
        const std::uint64_t n = number();
        const auto length = static_cast<std::int64_t>((n >> 2) + 1);
        if (bad || out + length > static_cast<std::int64_t>(targetSize))
            return fail("action");
        const int kind = static_cast<int>(n & 3);
        ++d.actions[static_cast<std::size_t>(kind)];
        for (std::int64_t k = 0; k < length; ++k) {
            const auto o = static_cast<std::size_t>(out + k);
            if (kind == 0) {
                if (out + k >= static_cast<std::int64_t>(source.size()))
                    return fail("source read");
                d.image[o] = source[o];
            } else if (kind == 1) {
                if (pos >= end)
                    return fail("target read");
                d.image[o] = patch[pos++];
            } else {
                if (k == 0) {
                    const std::uint64_t m = number();
                    const auto delta = static_cast<std::int64_t>(m >> 1) * ((m & 1) ? -1 : 1);
                    (kind == 2 ? sourceRel : targetRel) += delta;
                }
                std::int64_t& rel = kind == 2 ? sourceRel : targetRel;
                const std::int64_t limit = kind == 2 ? static_cast<std::int64_t>(source.size()) : out + k;
                if (bad || rel < 0 || rel >= limit)
                    return fail("copy");
                d.image[o] = kind == 2 ? source[static_cast<std::size_t>(rel)] : d.image[static_cast<std::size_t>(rel)];
                ++rel;
            }
        }
        out += length;
    }
    if (out != static_cast<std::int64_t>(targetSize))
        return fail("short");
    if (TestCrc32(d.image) != le(end + 4))
        return fail("target crc");
    return d;
}

// A BPS patch made action by action.
class BpsWriter {
public:
    BpsWriter(std::uint64_t sourceSize, std::uint64_t targetSize, const Bytes& metadata = {})
    {
        out_ = {'B', 'P', 'S', '1'};
        Number(sourceSize);
        Number(targetSize);
        Number(metadata.size());
        Data(metadata);
    }
    BpsWriter& Number(std::uint64_t x)
    {
        for (;;) {
            const auto b = static_cast<std::uint8_t>(x & 0x7F);
            x >>= 7;
            if (x == 0) {
                out_.push_back(static_cast<std::uint8_t>(b | 0x80));
                return *this;
            }
            out_.push_back(b);
            --x;
        }
    }
    BpsWriter& Action(int kind, std::uint64_t length) { return Number((length - 1) << 2 | static_cast<unsigned>(kind)); }
    BpsWriter& Move(std::int64_t delta)
    {
        return Number((static_cast<std::uint64_t>(delta < 0 ? -delta : delta) << 1) | (delta < 0 ? 1u : 0u));
    }
    BpsWriter& Data(const Bytes& bytes)
    {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // The three CRC32s; the patch's own is computed here.
    Bytes Finish(std::uint32_t sourceCrc, std::uint32_t targetCrc) const
    {
        Bytes patch = out_;
        for (const std::uint32_t crc : {sourceCrc, targetCrc})
            for (int shift = 0; shift < 32; shift += 8)
                patch.push_back(static_cast<std::uint8_t>(crc >> shift));
        const std::uint32_t own = TestCrc32(patch);
        for (int shift = 0; shift < 32; shift += 8)
            patch.push_back(static_cast<std::uint8_t>(own >> shift));
        return patch;
    }

private:
    Bytes out_;
};

} // namespace quorvan::test

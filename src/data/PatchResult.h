#pragma once
// The outcome of applying a patch to an image: the patched bytes, or why the
// patch was refused, in one line a user can read.

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

namespace quorvan {

struct PatchResult {
    enum class Status {
        Ok,             // bytes holds the patched image
        NotAPatch,      // neither an IPS nor a BPS file
        Malformed,      // cut short, or a field that cannot be read
        ChecksumFailed, // the patch's own checksum, or its result's, does not match
        WrongSource,    // made for another image (size or checksum of the source)
        OutsideImage,   // writes or reads outside the image
        BadLength,      // the result would not be an image of an accepted length
        TooLarge,       // more work than any patch of such an image needs
    };
    Status status = Status::Malformed;
    QString message;                 // why it was refused, one line
    std::vector<std::uint8_t> bytes; // the patched image when Ok

    bool ok() const { return status == Status::Ok; }

    static PatchResult Refused(Status status, QString message)
    {
        PatchResult result;
        result.status = status;
        result.message = std::move(message);
        return result;
    }
};

// How the messages write numbers: offsets in hex ("0x3A010"), lengths in
// decimal with digit groups ("262,288 bytes").
inline QString PatchOffsetText(std::uint64_t offset)
{
    return QStringLiteral("0x") + QString::number(offset, 16).toUpper();
}

inline QString PatchLengthText(std::uint64_t length)
{
    QString digits = QString::number(length);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits + (length == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
}

} // namespace quorvan

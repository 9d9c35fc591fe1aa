#include "data/PatchApply.h"

#include "data/BpsPatch.h"
#include "data/EditHistory.h"
#include "data/FileWriter.h"
#include "data/IpsPatch.h"
#include "data/RomDocument.h"
#include "data/Stages.h"

#include <QFileInfo>

#include <algorithm>
#include <string_view>
#include <utility>

namespace quorvan {

namespace {

bool AcceptedLength(std::size_t length)
{
    return length == kImageLengthPlain || length == kImageLengthShifted;
}

} // namespace

std::optional<PatchFormat> PatchFormatOf(std::span<const std::uint8_t> patch)
{
    const auto startsWith = [patch](std::string_view magic) {
        return patch.size() >= magic.size() && std::equal(magic.begin(), magic.end(), patch.begin());
    };
    if (startsWith("PATCH"))
        return PatchFormat::Ips;
    if (startsWith("BPS1"))
        return PatchFormat::Bps;
    return std::nullopt;
}

std::optional<PatchFormat> PatchFormatOfName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ips"))
        return PatchFormat::Ips;
    if (suffix == QLatin1String("bps"))
        return PatchFormat::Bps;
    return std::nullopt;
}

PatchFile ReadPatchFile(const QString& path)
{
    // Through the file layer's reader, as images are read: a pipe or device
    // (/dev/zero, /dev/ptmx) is refused by what it is, before it is opened,
    // and at most the limit is read, whatever size the file claims.
    PatchFile result;
    ReadResult read = ReadWholeFile(path, kMaxPatchFileLength);
    switch (read.status) {
    case ReadResult::Status::Ok:
        result.bytes = std::move(read.bytes);
        break;
    case ReadResult::Status::TooLarge:
        result.error = QStringLiteral("It is larger than %1, far too large for a patch of an image.")
                           .arg(PatchLengthText(kMaxPatchFileLength));
        break;
    case ReadResult::Status::Missing:
    case ReadResult::Status::NotRegular:
    case ReadResult::Status::Failed:
        result.error = read.reason;
        break;
    }
    return result;
}

PatchResult ApplyPatch(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch)
{
    const auto format = PatchFormatOf(patch);
    if (!format)
        return PatchResult::Refused(PatchResult::Status::NotAPatch,
                                    QStringLiteral("The file is not a patch: it starts neither with \"PATCH\" (IPS) nor with \"BPS1\" (BPS)."));
    PatchResult result = *format == PatchFormat::Ips ? ApplyIpsPatch(image, patch)
                                                     : ApplyBpsPatch(image, patch, kImageLengthPlain);
    if (result.ok() && !AcceptedLength(result.bytes.size()))
        return PatchResult::Refused(PatchResult::Status::BadLength,
                                    QStringLiteral("The patched image would be %1 long; only images of %2 or %3 are accepted.")
                                        .arg(PatchLengthText(result.bytes.size()), PatchLengthText(kImageLengthPlain),
                                             PatchLengthText(kImageLengthShifted)));
    return result;
}

PatchResult ApplyPatchToDocument(RomDocument& document, std::span<const std::uint8_t> patch, std::size_t* changed)
{
    if (changed != nullptr)
        *changed = 0;
    RomBuffer& image = document.image();
    PatchResult result = ApplyPatch(image.bytes(), patch);
    if (!result.ok())
        return result;
    if (result.bytes.size() != image.size())
        return PatchResult::Refused(PatchResult::Status::BadLength,
                                    QStringLiteral("The patch changes the image's length from %1 to %2; an open image keeps its length, so apply it from the command line (--apply-patch) to a new file.")
                                        .arg(PatchLengthText(image.size()), PatchLengthText(result.bytes.size())));
    // Only the bytes that differ are written: they are the undo step, and a
    // patch already in the image makes no step at all.
    EditStep step(document.history(), QStringLiteral("Apply Patch"));
    std::size_t count = 0;
    for (std::size_t i = 0; i < result.bytes.size(); ++i) {
        if (image.bytes()[i] != result.bytes[i]) {
            image.write(static_cast<std::int64_t>(i), result.bytes[i]);
            ++count;
        }
    }
    if (changed != nullptr)
        *changed = count;
    return result;
}

} // namespace quorvan

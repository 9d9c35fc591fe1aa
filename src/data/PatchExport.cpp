#include "data/PatchExport.h"

#include "data/BpsPatch.h"
#include "data/IpsPatch.h"
#include "data/RomDocument.h"
#include "data/RomFile.h"

#include <QDir>

#include <algorithm>

namespace quorvan {

PatchBase ChoosePatchBase(const RomDocument& document, const QString& cleanOriginalPath)
{
    PatchBase base;
    const auto opened = document.openedBytes();
    base.bytes.assign(opened.begin(), opened.end());
    if (cleanOriginalPath.isEmpty())
        return base;
    base.cleanOriginal = QDir::toNativeSeparators(cleanOriginalPath);
    // Read as an Open would: a file of neither accepted length is no image.
    LoadResult clean = LoadRomFile(cleanOriginalPath);
    switch (clean.status) {
    case LoadResult::Status::ReadFailed:
        base.whyNotClean = clean.error;
        return base;
    case LoadResult::Status::BadSize:
        base.whyNotClean = QStringLiteral("It is not an image of an accepted length.");
        return base;
    case LoadResult::Status::Ok:
        break;
    }
    if (clean.bytes.size() != document.image().size()) {
        base.whyNotClean = QStringLiteral("Its length differs from the open image's.");
        return base;
    }
    base.kind = PatchBase::Kind::CleanOriginal;
    base.bytes = std::move(clean.bytes);
    return base;
}

std::optional<std::vector<std::uint8_t>> BuildPatch(PatchFormat format, std::span<const std::uint8_t> base,
                                                    std::span<const std::uint8_t> modified)
{
    if (format == PatchFormat::Bps)
        return BuildBpsPatch(base, modified);
    return BuildIpsPatch(base, modified);
}

PatchBuild BuildPatchOf(PatchFormat format, const RomDocument& document, const PatchBase& base)
{
    PatchBuild build;
    const auto now = document.image().bytes();
    if (base.bytes.size() == now.size() && std::equal(now.begin(), now.end(), base.bytes.begin())) {
        build.status = PatchBuild::Status::NothingChanged;
        return build;
    }
    auto patch = BuildPatch(format, base.bytes, now);
    if (!patch)
        return build;
    build.status = PatchBuild::Status::Ok;
    build.bytes = std::move(*patch);
    return build;
}

std::optional<QString> WritePatchFile(const QString& path, std::span<const std::uint8_t> bytes)
{
    return SaveRomFile(path, bytes);
}

} // namespace quorvan

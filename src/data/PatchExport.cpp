#include "data/PatchExport.h"

#include "data/IpsPatch.h"
#include "data/RomDocument.h"
#include "data/RomFile.h"

#include <algorithm>

namespace quorvan {

PatchBuild BuildIpsPatchOf(const RomDocument& document)
{
    PatchBuild build;
    const auto opened = document.openedBytes();
    const auto now = document.image().bytes();
    auto patch = BuildIpsPatch(opened, now);
    if (!patch)
        return build;
    if (opened.size() == now.size() && std::equal(now.begin(), now.end(), opened.begin())) {
        build.status = PatchBuild::Status::NothingChanged;
        return build;
    }
    build.status = PatchBuild::Status::Ok;
    build.bytes = std::move(*patch);
    return build;
}

std::optional<QString> WritePatchFile(const QString& path, std::span<const std::uint8_t> bytes)
{
    return SaveRomFile(path, bytes);
}

} // namespace quorvan

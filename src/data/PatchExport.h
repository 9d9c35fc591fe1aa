#pragma once
// Patches of the document's changes, for sharing a hack without the image.

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvan {

class RomDocument;

struct PatchBuild {
    enum class Status {
        Ok,             // bytes holds the patch
        NothingChanged, // the image equals the bytes as opened
        Impossible,     // the format cannot hold these images (e.g. too long)
    };
    Status status = Status::Impossible;
    std::vector<std::uint8_t> bytes;
};

// The IPS patch from the image as opened to the image as it is now.
PatchBuild BuildIpsPatchOf(const RomDocument& document);

// Writes a patch file whole, through the same guarded writer as the image.
// Returns the reason on failure.
std::optional<QString> WritePatchFile(const QString& path, std::span<const std::uint8_t> bytes);

} // namespace quorvan

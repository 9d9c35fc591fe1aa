#pragma once
// Patches of the document's changes, for sharing a hack without the image.

#include "data/PatchApply.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvan {

class RomDocument;

// The image a patch is made against: the user's clean original when one is
// set, readable and of the open image's length; otherwise the open image as
// it was opened (which holds only the edits of this sitting).
struct PatchBase {
    enum class Kind { CleanOriginal, AsOpened };
    Kind kind = Kind::AsOpened;
    std::vector<std::uint8_t> bytes;
    QString cleanOriginal; // the path that was set (native separators); may be empty
    QString whyNotClean;   // why a path that was set is not used; empty otherwise
};
PatchBase ChoosePatchBase(const RomDocument& document, const QString& cleanOriginalPath);

struct PatchBuild {
    enum class Status {
        Ok,             // bytes holds the patch
        NothingChanged, // the image equals the base
        Impossible,     // the format cannot hold these images (e.g. too long)
    };
    Status status = Status::Impossible;
    std::vector<std::uint8_t> bytes;
};

// The patch from `base` to the image as it is now.
PatchBuild BuildPatchOf(PatchFormat format, const RomDocument& document, const PatchBase& base);

// The patch between two images given as bytes (the command line's
// --create-patch): nothing when the format cannot hold them (an IPS between
// images of different lengths).
std::optional<std::vector<std::uint8_t>> BuildPatch(PatchFormat format, std::span<const std::uint8_t> base,
                                                    std::span<const std::uint8_t> modified);

// Writes a patch file whole, through the same guarded writer as the image.
// Returns the reason on failure.
std::optional<QString> WritePatchFile(const QString& path, std::span<const std::uint8_t> bytes);

} // namespace quorvan

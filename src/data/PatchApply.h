#pragma once
// Applying a patch file (IPS or BPS, told apart by its first bytes) to an
// image: to bytes, for the command line, or to the open document as one edit.

#include "data/PatchResult.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvan {

class RomDocument;

enum class PatchFormat { Ips, Bps };

// The format a patch's first bytes name; nothing for neither.
std::optional<PatchFormat> PatchFormatOf(std::span<const std::uint8_t> patch);
// The format a file name's extension names (".ips", ".bps", any case).
std::optional<PatchFormat> PatchFormatOfName(const QString& path);

// Patch files longer than this are refused unread: a patch of an image of a
// quarter MiB has no business being larger.
inline constexpr std::size_t kMaxPatchFileLength = 0x1000000;

struct PatchFile {
    std::vector<std::uint8_t> bytes;
    QString error; // why it could not be read; empty when it was
    bool ok() const { return error.isEmpty(); }
};
// Reads a patch file whole with ReadWholeFile: anything but a regular file is
// refused at once, unopened, and so is a file longer than kMaxPatchFileLength.
PatchFile ReadPatchFile(const QString& path);

// Applies the patch to a copy of `image`. Besides the refusals of the IPS and
// BPS readers, a result that is not of one of the two accepted image lengths
// is refused (BadLength).
PatchResult ApplyPatch(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch);

// Applies the patch to the document's image as one undo step: every changed
// byte goes through RomBuffer::write. A result of another length than the open
// image's is refused (BadLength): an edit never changes the image's length.
// On any refusal the document is unchanged. `changed` counts the bytes written.
PatchResult ApplyPatchToDocument(RomDocument& document, std::span<const std::uint8_t> patch,
                                 std::size_t* changed = nullptr);

} // namespace quorvan

#pragma once
// BPS patches: "BPS1", the source, target and metadata lengths as variable-
// length numbers, the metadata, then actions that build the target from the
// source, from bytes carried in the patch and from target bytes already
// written, and last the CRC32s of the source, the target and the patch itself.

#include "data/PatchResult.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvan {

// The patch that turns `source` into `target` (of any lengths), without
// metadata. Bytes equal at the same offset are read from the source, runs of
// one value are written once and copied on from the byte before (a target
// copy at distance 1), other stretches found in the source (the same data
// moved, e.g. between the two image layouts) are copied from there, and the
// rest travels in the patch. It is a plain encoder, not the smallest patch.
std::vector<std::uint8_t> BuildBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target);

// Applies a BPS patch to `source`. Refused (nothing in `bytes`): no "BPS1"
// header (NotAPatch); the patch's own CRC32 does not match (ChecksumFailed:
// damaged or cut short); the source's length or CRC32 are not the patch's
// (WrongSource); a target longer than `maxTargetLength` (BadLength, refused
// before anything is allocated); an action reading outside the source or the
// target written so far, or writing past the target's length (OutsideImage);
// a number that does not fit, metadata or data past the end, or a target not
// filled to its length (Malformed); the result's CRC32 not the patch's
// (ChecksumFailed).
PatchResult ApplyBpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch,
                          std::size_t maxTargetLength);

// The CRC32 used by BPS (zlib's).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

} // namespace quorvan

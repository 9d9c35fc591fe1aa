#pragma once
// IPS patches: "PATCH", then records of a 3-byte big-endian offset, a 2-byte
// big-endian length and that many bytes to put there (length 0: a 2-byte run
// length and the one byte to repeat), then "EOF", optionally followed by a
// 3-byte big-endian length to cut the result to.

#include "data/PatchResult.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvan {

inline constexpr std::size_t kIpsMaxRecordLength = 0xFFFF;
// A record may not start here: its offset bytes would read as the end marker.
inline constexpr std::size_t kIpsEofOffset = 0x454F46;
// Offsets are three bytes wide.
inline constexpr std::size_t kIpsMaxImageLength = 0x1000000;
// Bytes a record costs besides its data.
inline constexpr std::size_t kIpsRecordHeader = 5;
// A reader's bound on the bytes all records together may write. A patch of an
// image rewrites each byte about once; a run record of 8 bytes can write 64 KiB,
// so without a bound a small hostile file could keep the reader busy for hours.
inline constexpr std::size_t kIpsMaxWrittenBytes = 0x1000000;

// The patch that turns `original` into `modified`: every differing byte, runs
// that lie closer together than a record header merged into one record, no
// record longer than kIpsMaxRecordLength and none starting at kIpsEofOffset.
// Empty (no value) when the two differ in length or are too long for IPS
// offsets. Equal inputs give the empty patch "PATCHEOF".
std::optional<std::vector<std::uint8_t>> BuildIpsPatch(std::span<const std::uint8_t> original,
                                                       std::span<const std::uint8_t> modified);

// Applies an IPS patch to a copy of `image`. Refused (nothing in `bytes`):
// no "PATCH" header (NotAPatch); a file cut short, or anything but nothing or
// a 3-byte length after "EOF" (Malformed); a record that ends past the end of
// the image (OutsideImage); a length after "EOF" longer than the image
// (BadLength: an IPS may shorten an image but never lengthen it); records
// writing more than kIpsMaxWrittenBytes in all (TooLarge). The result is the
// image's length, or the shorter length given after "EOF".
PatchResult ApplyIpsPatch(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch);

} // namespace quorvan

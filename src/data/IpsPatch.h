#pragma once
// IPS patches: "PATCH", then records of a 3-byte big-endian offset, a 2-byte
// big-endian length and that many bytes to put there, then "EOF".

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

// The patch that turns `original` into `modified`: every differing byte, runs
// that lie closer together than a record header merged into one record, no
// record longer than kIpsMaxRecordLength and none starting at kIpsEofOffset.
// Empty (no value) when the two differ in length or are too long for IPS
// offsets. Equal inputs give the empty patch "PATCHEOF".
std::optional<std::vector<std::uint8_t>> BuildIpsPatch(std::span<const std::uint8_t> original,
                                                       std::span<const std::uint8_t> modified);

} // namespace quorvan

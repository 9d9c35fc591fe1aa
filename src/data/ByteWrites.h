#pragma once
// A list of single-byte writes: what an edit computed without a window hands
// to the document's one write function (RomBuffer::write), inside the undo
// step of the gesture that asked for it.

#include "data/RomBuffer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quorvan {

struct ByteWrite {
    std::int64_t offset = 0;
    std::uint8_t value = 0;
    bool operator==(const ByteWrite&) const = default;
};

using ByteWrites = std::vector<ByteWrite>;

// Writes them in order through RomBuffer::write, all or none: when any offset
// lies outside the image nothing is written and the result is false.
bool WriteBytes(RomBuffer& image, std::span<const ByteWrite> writes);

// The same for a plain copy of an image (the command line's).
bool WriteBytes(std::vector<std::uint8_t>& image, std::span<const ByteWrite> writes);

} // namespace quorvan

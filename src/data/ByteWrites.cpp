#include "data/ByteWrites.h"

#include <algorithm>

namespace quorvan {

namespace {

bool AllInside(std::size_t size, std::span<const ByteWrite> writes)
{
    return std::all_of(writes.begin(), writes.end(), [size](const ByteWrite& w) {
        return w.offset >= 0 && w.offset < static_cast<std::int64_t>(size);
    });
}

} // namespace

bool WriteBytes(RomBuffer& image, std::span<const ByteWrite> writes)
{
    // Checked first, so that a refused list leaves no half-made edit behind.
    if (!AllInside(image.size(), writes))
        return false;
    for (const ByteWrite& w : writes)
        image.write(w.offset, w.value);
    return true;
}

bool WriteBytes(std::vector<std::uint8_t>& image, std::span<const ByteWrite> writes)
{
    if (!AllInside(image.size(), writes))
        return false;
    for (const ByteWrite& w : writes)
        image[static_cast<std::size_t>(w.offset)] = w.value;
    return true;
}

} // namespace quorvan

#include "graphics/MemoryPicture.h"

#include "graphics/clsNesTiles.h"

#include <algorithm>
#include <cstring>

namespace quorvan {

MemoryPicture::MemoryPicture(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0u)
{
}

int MemoryPicture::SetBits(const BitmapInfoHeader& header, const std::uint32_t* bits, int lines)
{
    ++setBitsCalls_;
    const int sourceWidth = header.biWidth;
    const int rows = std::min(lines, height_);
    const int columns = std::min(sourceWidth, width_);
    if (bits == nullptr || rows <= 0 || columns <= 0)
        return 0;
    for (int r = 0; r < rows; ++r) {
        std::memcpy(pixels_.data() + static_cast<std::ptrdiff_t>(r) * width_,
                    bits + static_cast<std::ptrdiff_t>(r) * sourceWidth,
                    static_cast<std::size_t>(columns) * sizeof(std::uint32_t));
    }
    return rows;
}

std::uint32_t MemoryPicture::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

} // namespace quorvan

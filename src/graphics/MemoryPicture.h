#pragma once
// A picture without a widget: a W x H buffer of 0x00RRGGBB pixels that keeps
// what the tile renderer gives it, the way a picture box's back buffer does,
// and counts the calls. For drawing off screen (tests, benchmarks, exports).

#include "graphics/PictureTarget.h"

#include <cstdint>
#include <vector>

namespace quorvan {

class MemoryPicture : public PictureTarget {
public:
    // A negative size counts as 0 (the renderer refuses to set up for an empty
    // picture). The pixels start black.
    MemoryPicture(int width, int height);

    int ScaleWidth() const override { return width_; }
    int ScaleHeight() const override { return height_; }
    int Width() const override { return width_; }

    // Copies min(lines, H) rows of min(header width, W) pixels, each source row
    // header-width pixels long; a narrower buffer fills only its own columns.
    // Returns the number of rows copied.
    int SetBits(const BitmapInfoHeader& header, const std::uint32_t* bits, int lines) override;
    void Refresh() override { ++refreshes_; }

    // The pixels, row by row (W x H entries).
    const std::vector<std::uint32_t>& shown() const { return pixels_; }
    std::uint32_t pixel(int x, int y) const;

    int setBitsCalls() const { return setBitsCalls_; }
    int refreshes() const { return refreshes_; }

private:
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
    int setBitsCalls_ = 0;
    int refreshes_ = 0;
};

} // namespace quorvan

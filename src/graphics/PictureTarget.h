#pragma once
// What the tile renderer needs of a picture: its size in pixels, a way to take
// a finished top-down 32-bit buffer into its back buffer, and a repaint.
// The windows' picture boxes implement it; tests use a plain in-memory one.

#include <cstdint>

namespace quorvan {

struct BitmapInfoHeader;

class PictureTarget {
public:
    virtual ~PictureTarget() = default;

    virtual int ScaleWidth() const = 0;  // inner (drawing) width in pixels
    virtual int ScaleHeight() const = 0; // inner (drawing) height in pixels
    virtual int Width() const = 0;       // outer width in pixels

    // Copies `lines` rows of the buffer described by `header` (top-down,
    // 0x00RRGGBB per pixel, row length = header width) into the back buffer,
    // unchanged. Returns the number of rows copied.
    virtual int SetBits(const BitmapInfoHeader& header, const std::uint32_t* bits, int lines) = 0;

    // Schedules a repaint from the back buffer.
    virtual void Refresh() = 0;
};

} // namespace quorvan

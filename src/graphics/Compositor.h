#pragma once
// Composing blocks, rooms and block-table pages straight into 32-bit pixels,
// with no widget and no program-wide state: everything drawn is read from the
// StageSource passed in. The pixels, and the faults counted, are exactly those
// of drawing every block with DrawBlock into a scratch picture and copying it
// into place, so a view can switch over without any visible change:
//
//   RenderFaults faults;
//   ComposeRoom(picEditor->backBuffer(), {RomImage.bytes(), Stages, CurrentStage}, room, 2, faults);
//   EnsureNesTiles().NoteFaults(faults); // so the "Drawing Problems" check sees them
//
// Pixels are written as 0x00RRGGBB (the top byte 0), the layout the picture
// boxes keep in their Format_RGB32 back buffers.

#include "data/Stages.h"
#include "graphics/RenderFaults.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvan {

// What a drawing reads: the image bytes, the stage table in effect and the
// stage row. A row outside 0..10 is drawn as row 0, one bad read per block.
struct StageSource {
    std::span<const std::uint8_t> image;
    const StageTable& stages;
    int stage = 0;
};

// A caller's pixel buffer: `height` rows of `width` pixels, top row first, row
// r starting at pixels + r * stride.
struct PixelView {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0; // in pixels, at least width

    bool valid() const { return pixels != nullptr && width > 0 && height > 0 && stride >= width; }
};

// The pixels of a Format_RGB32 image (detached first); an invalid view for a
// null image or any other format.
PixelView ViewOf(QImage& image);

inline constexpr int kBlockSide = 16;      // a block is 16 x 16 pixels at scale 1
inline constexpr int kMaxComposeScale = 16;
inline constexpr int kTablePageColumns = 2;
inline constexpr int kTablePageRows = 8;
inline constexpr int kTablePageBlocks = kTablePageColumns * kTablePageRows;
inline constexpr int kTablePages = 256 / kTablePageBlocks;

// Each function below returns false, and draws and counts nothing, when the
// target is not valid, the scale lies outside 1..kMaxComposeScale or the
// block, room or page number lies outside its range. Otherwise it returns true
// and adds the faults met to `faults`: a block with bytes outside the image or
// of a row outside the table is one bad read, a tile with bytes outside the
// image one bad tile (drawn in kFaultColour), and every tile pixel whose colour
// number is above 63 one bad colour pixel (drawn in kFaultColour). Whatever
// falls outside the target is clipped away but still counted, as the views
// count every block they draw.

// Block `block` (0..255) at `scale`, its top-left corner at (x, y).
bool ComposeBlock(PixelView target, const StageSource& source, std::int32_t block, int scale, int x, int y,
                  RenderFaults& faults);
bool ComposeBlock(QImage& target, const StageSource& source, std::int32_t block, int scale, int x, int y,
                  RenderFaults& faults);

// Room `room` (0..255): 16 x 12 blocks, the block of column c and row w from
// byte RoomData + room * 192 + w * 16 + c, drawn at (c, w) * 16 * scale. A cell
// whose byte lies outside the image is filled with kFaultColour and counted
// as one bad read.
bool ComposeRoom(PixelView target, const StageSource& source, int room, int scale, RenderFaults& faults);
bool ComposeRoom(QImage& target, const StageSource& source, int room, int scale, RenderFaults& faults);

// A new 256 * scale by 192 * scale Format_RGB32 picture of the room; a null
// image for arguments ComposeRoom refuses.
QImage RoomImage(const StageSource& source, int room, int scale, RenderFaults& faults);

// Page `page` (0..15) of the block table: blocks page * 16 + r * 2 + c for
// column c (0..1) and row r (0..7), drawn at (c, r) * 16 * scale. The table
// view uses scale 2.
bool ComposeTablePage(PixelView target, const StageSource& source, int page, int scale, RenderFaults& faults);
bool ComposeTablePage(QImage& target, const StageSource& source, int page, int scale, RenderFaults& faults);

} // namespace quorvan

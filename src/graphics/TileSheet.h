#pragma once
// The tile sheet's pictures, drawn into a caller's pixel buffer with the
// compositor's tile decoding, so that a tile shows exactly the pixels the
// views give it:
//  - the sheet: the stage's 256 tiles, tile t at column t mod 16, row t div 16,
//    each at scale 2 in a 16-pixel cell, with a white line drawn over the
//    first pixel row and column of every cell (as the editor grid is): 256 x 256;
//  - one tile at scale 16 with a white line over the first pixel row and
//    column of every pixel's square: 128 x 128.
// Pixel value v has the colour of number Palettes + 4 * palette + v of the
// stage row (palette 0..3); pixels are 0x00RRGGBB like the compositor's.
// Faults are counted as the compositor counts them: a palette byte outside
// the image (read as 0) is one bad read, a tile with bytes outside the image
// one bad tile (drawn in kFaultColour), a pixel whose colour number is above
// 63 one bad colour pixel (drawn in kFaultColour).

#include "data/ChangedBytes.h"
#include "data/RoomCells.h"
#include "graphics/Compositor.h"
#include "graphics/StageTiles.h"

#include <QRect>

#include <cstdint>
#include <optional>

namespace quorvan {

inline constexpr int kSheetColumns = 16;
inline constexpr int kSheetScale = 2;
inline constexpr int kSheetCell = kTileSide * kSheetScale;    // 16 pixels
inline constexpr int kSheetSide = kSheetColumns * kSheetCell; // 256 pixels
inline constexpr int kTileZoomScale = 16;
inline constexpr int kTileZoomSide = kTileSide * kTileZoomScale; // 128 pixels
inline constexpr std::uint32_t kSheetGridColour = 0xFFFFFF;

// The colours of pixel values 0..3 in palette `palette` (0..3) of the stage
// row, as the sheet draws them (and the swatches beside the zoomed tile show).
// A palette out of range reads as palette 0.
TileColours SheetColours(const StageSource& source, int palette, RenderFaults& faults);

// Each drawing below draws at (0, 0) of `target` and returns false, drawing
// and counting nothing, when the target is invalid or smaller than the
// picture, the stage row lies outside 0..10, the palette outside 0..3 or the
// tile outside 0..255.

// The whole sheet (kSheetSide square).
bool DrawTileSheet(PixelView target, const StageSource& source, int palette, RenderFaults& faults);

// Only the cells of `tiles` (grid lines included), leaving the others as they are.
bool DrawSheetTiles(PixelView target, const StageSource& source, int palette, const TileMask& tiles,
                    RenderFaults& faults);

// Tile `tile` at scale 16 with its pixel grid (kTileZoomSide square).
bool DrawTileZoom(PixelView target, const StageSource& source, int palette, int tile, RenderFaults& faults);

// The tile whose cell holds sheet pixel (x, y); -1 outside the sheet.
int SheetTileAt(int x, int y);

// The cell of tile `tile` (0..255) in the sheet, grid line included; a null
// rectangle for a tile out of range.
QRect SheetCellRect(int tile);

// The tile pixel (column, row) under pixel (x, y) of the zoomed tile; nothing
// outside it.
std::optional<CellPos> ZoomPixelAt(int x, int y);

// The tiles whose picture in the sheet reads a byte of `changed`: those whose
// 16 bytes it holds, and all of them when it holds one of the palette's four
// colour numbers.
TileMask SheetTilesTouched(const StageSource& source, int palette, const ChangedBytes& changed);

} // namespace quorvan

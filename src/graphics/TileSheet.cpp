#include "graphics/TileSheet.h"

#include "graphics/BlockParts.h"
#include "graphics/NesColours.h"

#include <algorithm>

namespace quorvan {

namespace {

bool PaletteAllowed(int palette)
{
    return palette >= 0 && palette < 4;
}

bool Fits(const PixelView& target, int side)
{
    return target.valid() && target.width >= side && target.height >= side;
}

std::uint32_t* At(const PixelView& target, int x, int y)
{
    return target.pixels + static_cast<std::ptrdiff_t>(y) * target.stride + x;
}

// Decodes the tile into the square at `out`, as the compositor decodes a
// block's tiles, and counts its faults.
void DrawTile(const StageSource& source, const TilePalette& palette, int tile, std::uint32_t* out,
              std::ptrdiff_t stride, int scale, RenderFaults& faults)
{
    const std::optional<TilePlanes> planes = ReadTilePlanes(source.image, source.stages, source.stage, tile);
    if (!planes) {
        FillTile(kFaultColour, out, stride, scale);
        ++faults.badTiles;
        return;
    }
    palette.Decode(*planes, out, stride, scale);
    faults.badColourPixels += CountPixelsOfColour(*planes, palette.colours(), kFaultColour);
}

// One cell of the sheet: the tile, then the grid line over its first pixel
// row and column.
void DrawCell(const PixelView& target, const StageSource& source, const TilePalette& palette, int tile,
              RenderFaults& faults)
{
    const QRect cell = SheetCellRect(tile);
    std::uint32_t* corner = At(target, cell.x(), cell.y());
    DrawTile(source, palette, tile, corner, target.stride, kSheetScale, faults);
    std::fill_n(corner, kSheetCell, kSheetGridColour);
    for (int y = 1; y < kSheetCell; ++y)
        corner[static_cast<std::ptrdiff_t>(y) * target.stride] = kSheetGridColour;
}

bool SheetArguments(const PixelView& target, const StageSource& source, int palette, int side)
{
    return Fits(target, side) && IsStageRow(source.stage) && PaletteAllowed(palette);
}

// The decoding table of the palette's colours: built once per palette, not
// at every redraw (a stroke redraws a tile at every step).
const TilePalette& PaletteFor(const TileColours& colours)
{
    thread_local TilePaletteCache cache;
    return cache.For(colours);
}

} // namespace

TileColours SheetColours(const StageSource& source, int palette, RenderFaults& faults)
{
    const int row = IsStageRow(source.stage) ? source.stage : 0;
    const std::int64_t first =
        std::int64_t{source.stages[static_cast<std::size_t>(row)].Palettes} + 4 * (PaletteAllowed(palette) ? palette : 0);
    const auto size = static_cast<std::int64_t>(source.image.size());
    TileColours colours{};
    bool outside = false;
    for (std::size_t v = 0; v < colours.size(); ++v) {
        const std::int64_t offset = first + static_cast<std::int64_t>(v);
        const bool inside = offset >= 0 && offset < size;
        outside = outside || !inside;
        colours[v] = NesColourOrFault(inside ? source.image[static_cast<std::size_t>(offset)] : 0u);
    }
    faults.badReads += outside ? 1 : 0;
    return colours;
}

bool DrawTileSheet(PixelView target, const StageSource& source, int palette, RenderFaults& faults)
{
    TileMask all;
    return DrawSheetTiles(target, source, palette, all.set(), faults);
}

bool DrawSheetTiles(PixelView target, const StageSource& source, int palette, const TileMask& tiles,
                    RenderFaults& faults)
{
    if (!SheetArguments(target, source, palette, kSheetSide))
        return false;
    const TilePalette& table = PaletteFor(SheetColours(source, palette, faults));
    for (int tile = 0; tile < kStageTiles; ++tile)
        if (tiles.test(static_cast<std::size_t>(tile)))
            DrawCell(target, source, table, tile, faults);
    return true;
}

bool DrawTileZoom(PixelView target, const StageSource& source, int palette, int tile, RenderFaults& faults)
{
    if (!SheetArguments(target, source, palette, kTileZoomSide) || tile < 0 || tile >= kStageTiles)
        return false;
    const TilePalette& table = PaletteFor(SheetColours(source, palette, faults));
    DrawTile(source, table, tile, target.pixels, target.stride, kTileZoomScale, faults);
    for (int y = 0; y < kTileZoomSide; ++y) {
        std::uint32_t* line = At(target, 0, y);
        if (y % kTileZoomScale == 0) {
            std::fill_n(line, kTileZoomSide, kSheetGridColour);
            continue;
        }
        for (int x = 0; x < kTileZoomSide; x += kTileZoomScale)
            line[x] = kSheetGridColour;
    }
    return true;
}

int SheetTileAt(int x, int y)
{
    if (x < 0 || y < 0 || x >= kSheetSide || y >= kSheetSide)
        return -1;
    return (y / kSheetCell) * kSheetColumns + x / kSheetCell;
}

QRect SheetCellRect(int tile)
{
    if (tile < 0 || tile >= kStageTiles)
        return {};
    return {(tile % kSheetColumns) * kSheetCell, (tile / kSheetColumns) * kSheetCell, kSheetCell, kSheetCell};
}

std::optional<CellPos> ZoomPixelAt(int x, int y)
{
    if (x < 0 || y < 0 || x >= kTileZoomSide || y >= kTileZoomSide)
        return std::nullopt;
    return CellPos{x / kTileZoomScale, y / kTileZoomScale};
}

TileMask SheetTilesTouched(const StageSource& source, int palette, const ChangedBytes& changed)
{
    TileMask touched;
    if (changed.empty() || !IsStageRow(source.stage))
        return touched;
    const std::int64_t colours = std::int64_t{source.stages[static_cast<std::size_t>(source.stage)].Palettes} +
                                 4 * (PaletteAllowed(palette) ? palette : 0);
    if (changed.Intersects(colours, colours + 4))
        return touched.set();
    for (int tile = 0; tile < kStageTiles; ++tile) {
        const std::int64_t offset = TileOffset(source.stages, source.stage, tile);
        if (changed.Intersects(offset, offset + kTileBytes))
            touched.set(static_cast<std::size_t>(tile));
    }
    return touched;
}

} // namespace quorvan

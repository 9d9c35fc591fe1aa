#pragma once
// The 8x8 tiles of a stage as the tile sheet shows and edits them: where each
// tile's 16 bytes lie, which tiles stages share, pixel values, the writes that
// give a tile new pixels, how many blocks name a tile, and the sheet's info text.
//
// A stage is a row of the stage table (rows 0..8 are stages 1..9 of the Level
// menu). Tiles 0x80..0xFF of rows 0..7 are row 0's, the shared set (the rule of
// TileBase, which drawing reads through), so a write to one of them shows in
// every one of stages 1..8; row 8 has all 256 tiles of its own.

#include "data/ByteWrites.h"
#include "data/CellInfo.h"
#include "data/RoomCells.h"
#include "data/Stages.h"
#include "graphics/TileDecoder.h"

#include <bitset>
#include <cstdint>
#include <optional>
#include <span>

namespace quorvan {

inline constexpr int kStageTiles = 256;
inline constexpr int kTileBytes = 16;
inline constexpr int kTileSide = 8;
inline constexpr int kFirstSharedTile = 0x80;
inline constexpr int kSharingStages = 8; // rows 0..7 draw tiles 0x80..0xFF from row 0

// A set of tile numbers, bit t for tile t.
using TileMask = std::bitset<kStageTiles>;

// True for tiles 0x80..0xFF of rows 0..7: tiles every one of stages 1..8 draws.
constexpr bool IsSharedTile(int stage, int tile)
{
    return stage >= 0 && stage < kSharingStages && tile >= kFirstSharedTile && tile < kStageTiles;
}

// The offset of the first of the 16 bytes of tile `tile` (0..255) of stage row
// `stage` (0..10); -1 for a row or tile out of range. It may lie outside the image.
std::int64_t TileOffset(const StageTable& stages, int stage, int tile);

// The tile's 16 bytes; nothing when any of them lies outside the image or the
// row or tile is out of range.
std::optional<TilePlanes> ReadTilePlanes(std::span<const std::uint8_t> image, const StageTable& stages, int stage,
                                         int tile);

// The value (0..3) of pixel (column, row), both 0..7, of a tile.
int PixelValue(const TilePlanes& planes, int column, int row);

// Gives pixel (column, row), both 0..7, the value `value` (0..3, higher bits
// ignored): bit 0 of the value at bit 7 - column of plane 0's byte `row`, bit 1
// at the same bit of plane 1's (byte 8 + row). Positions out of range change nothing.
void SetPixelValue(TilePlanes& planes, int column, int row, int value);

// The writes that make the tile hold `planes`: only the bytes that differ, in
// offset order. Empty when nothing differs or the tile lies outside the image.
ByteWrites TileWrites(std::span<const std::uint8_t> image, const StageTable& stages, int stage, int tile,
                      const TilePlanes& planes);

// The writes that give every pixel of `pixels` (column, row; positions outside
// 0..7 are passed over) the value `value` (0..3) in the tile: TileWrites of the
// tile with those pixels set. A stroke's straight line between two pointer
// positions is LineCells(from, to).
ByteWrites PixelWrites(std::span<const std::uint8_t> image, const StageTable& stages, int stage, int tile,
                       std::span<const CellPos> pixels, int value);

// How many of the 256 blocks of stage row `stage` name `tile` in any of their
// four tile numbers (a block counts once; bytes outside the image name none).
// The palette (0..3) of block `block` (0..255) of `stage`; nothing when its
// attribute byte lies outside the image or the block number is out of range.
std::optional<int> BlockPalette(std::span<const std::uint8_t> image, const StageInfo& stage, int block);

int CountTileUses(std::span<const std::uint8_t> image, const StageTable& stages, int stage, int tile);

// The sheet's info text for a tile, in the style of CellInfo.h:
//   Tile 0C  @ 0x2A8D0  Blocks 3
// (tile number in hex, the offset of its first byte, how many of the stage's
// blocks name it) and, for the shared set in stages 1..8, "  Shared by stages 1-8".
// A tile whose bytes lie outside the image says so instead of the offset.
InfoText TileInfo(std::span<const std::uint8_t> image, const StageTable& stages, int stage, int tile);

} // namespace quorvan

#include "graphics/StageTiles.h"

#include "graphics/BlockParts.h"

#include <algorithm>

namespace quorvan {

namespace {

bool TileAllowed(int tile)
{
    return tile >= 0 && tile < kStageTiles;
}

bool Inside(std::span<const std::uint8_t> image, std::int64_t offset, std::int64_t length)
{
    return offset >= 0 && offset <= static_cast<std::int64_t>(image.size()) - length;
}

} // namespace

std::int64_t TileOffset(const StageTable& stages, int stage, int tile)
{
    if (!IsStageRow(stage) || !TileAllowed(tile))
        return -1;
    // The base drawing reads from: one rule for where a tile lies.
    return std::int64_t{TileBase(stages, stage, static_cast<std::uint8_t>(tile))} + std::int64_t{kTileBytes} * tile;
}

std::optional<TilePlanes> ReadTilePlanes(std::span<const std::uint8_t> image, const StageTable& stages, int stage,
                                         int tile)
{
    const std::int64_t offset = TileOffset(stages, stage, tile);
    if (offset < 0 || !Inside(image, offset, kTileBytes))
        return std::nullopt;
    TilePlanes planes;
    std::copy_n(image.begin() + offset, kTileBytes, planes.begin());
    return planes;
}

int PixelValue(const TilePlanes& planes, int column, int row)
{
    if (column < 0 || column >= kTileSide || row < 0 || row >= kTileSide)
        return 0;
    const int bit = 7 - column;
    const auto r = static_cast<std::size_t>(row);
    return ((planes[r] >> bit) & 1) | (((planes[r + 8] >> bit) & 1) << 1);
}

void SetPixelValue(TilePlanes& planes, int column, int row, int value)
{
    if (column < 0 || column >= kTileSide || row < 0 || row >= kTileSide)
        return;
    const auto mask = static_cast<std::uint8_t>(1u << (7 - column));
    const auto r = static_cast<std::size_t>(row);
    const auto set = [mask](std::uint8_t& byte, bool on) {
        byte = static_cast<std::uint8_t>(on ? byte | mask : byte & ~mask);
    };
    set(planes[r], (value & 1) != 0);
    set(planes[r + 8], (value & 2) != 0);
}

ByteWrites TileWrites(std::span<const std::uint8_t> image, const StageTable& stages, int stage, int tile,
                      const TilePlanes& planes)
{
    const std::optional<TilePlanes> now = ReadTilePlanes(image, stages, stage, tile);
    if (!now)
        return {};
    const std::int64_t offset = TileOffset(stages, stage, tile);
    ByteWrites writes;
    for (std::size_t i = 0; i < planes.size(); ++i)
        if ((*now)[i] != planes[i])
            writes.push_back({offset + static_cast<std::int64_t>(i), planes[i]});
    return writes;
}

ByteWrites PixelWrites(std::span<const std::uint8_t> image, const StageTable& stages, int stage, int tile,
                       std::span<const CellPos> pixels, int value)
{
    std::optional<TilePlanes> planes = ReadTilePlanes(image, stages, stage, tile);
    if (!planes)
        return {};
    for (const CellPos& pixel : pixels)
        SetPixelValue(*planes, pixel.column, pixel.row, value);
    return TileWrites(image, stages, stage, tile, *planes);
}

int CountTileUses(std::span<const std::uint8_t> image, const StageTable& stages, int stage, int tile)
{
    if (!IsStageRow(stage) || !TileAllowed(tile))
        return 0;
    const std::int64_t first = stages[static_cast<std::size_t>(stage)].BlockTiles;
    const auto size = static_cast<std::int64_t>(image.size());
    int uses = 0;
    for (std::int64_t block = 0; block < kStageTiles; ++block) {
        bool names = false;
        for (std::int64_t k = 0; k < 4 && !names; ++k) {
            const std::int64_t offset = first + 4 * block + k;
            names = offset >= 0 && offset < size && image[static_cast<std::size_t>(offset)] == tile;
        }
        uses += names ? 1 : 0;
    }
    return uses;
}

InfoText TileInfo(std::span<const std::uint8_t> image, const StageTable& stages, int stage, int tile)
{
    InfoText text;
    text.Add("Tile ").Hex(static_cast<std::uint64_t>(tile & 0xFF), 2);
    const std::int64_t offset = TileOffset(stages, stage, tile);
    if (offset < 0 || !Inside(image, offset, kTileBytes))
        text.Add("  ").Add(kPastTheEnd);
    else
        text.Add("  @ 0x").Hex(static_cast<std::uint64_t>(offset), 5);
    text.Add("  Blocks ").Decimal(static_cast<std::uint64_t>(CountTileUses(image, stages, stage, tile)));
    if (IsSharedTile(stage, tile))
        text.Add("  Shared by stages 1-8");
    return text;
}

std::optional<int> BlockPalette(std::span<const std::uint8_t> image, const StageInfo& stage, int block)
{
    const std::int64_t at = std::int64_t{stage.BlockAttributes} + block;
    if (block < 0 || block > 255 || at < 0 || at >= static_cast<std::int64_t>(image.size()))
        return std::nullopt;
    return image[static_cast<std::size_t>(at)] % 4;
}

} // namespace quorvan

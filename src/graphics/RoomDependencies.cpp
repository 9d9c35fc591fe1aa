#include "graphics/RoomDependencies.h"

#include "data/Level.h"
#include "graphics/BlockParts.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <limits>

namespace quorvan {

namespace {

constexpr std::int64_t kTileBytes = 16;

const StageInfo& RowOf(const StageSource& source)
{
    return source.stages[static_cast<std::size_t>(IsStageRow(source.stage) ? source.stage : 0)];
}

// Whether any byte a block of the stage may read changed: its definitions,
// its palettes, its own tile set or the shared one. Most edits (cells of a
// room) touch none of them, and are told so without looking at each block.
bool AnyBlockBytesTouched(const StageSource& source, const StageInfo& info, const ChangedBytes& changed)
{
    const std::int64_t tiles = info.BlockTiles;
    const std::int64_t attributes = info.BlockAttributes;
    const std::int64_t palettes = info.Palettes;
    const std::int64_t ownSet = info.TileData;
    const std::int64_t sharedSet = source.stages[0].TileData;
    constexpr std::int64_t kSetBytes = 256 * kTileBytes;
    return changed.Intersects(tiles, tiles + 4 * 256) || changed.Intersects(attributes, attributes + 256) ||
           changed.Intersects(palettes, palettes + 16) || changed.Intersects(ownSet, ownSet + kSetBytes) ||
           changed.Intersects(sharedSet, sharedSet + kSetBytes);
}

} // namespace

BlockSet TouchedBlocks(const StageSource& source, const ChangedBytes& changed)
{
    BlockSet touched;
    const StageInfo& info = RowOf(source);
    if (changed.empty() || !AnyBlockBytesTouched(source, info, changed))
        return touched;
    // What a block reads, asked of the change once for the stage rather than
    // once per block: which of the 256 tiles (where ReadBlockParts finds
    // them), which of the four palettes, and whether any block's own bytes.
    const int row = IsStageRow(source.stage) ? source.stage : 0;
    std::bitset<256> tileTouched;
    for (int tile = 0; tile < 256; ++tile) {
        const std::int64_t offset = kTileBytes * tile + TileBase(source.stages, row, static_cast<std::uint8_t>(tile));
        tileTouched.set(static_cast<std::size_t>(tile),
                        offset >= 0 && offset <= std::numeric_limits<std::int32_t>::max() &&
                            changed.Intersects(offset, offset + kTileBytes));
    }
    std::array<bool, 4> paletteTouched{};
    for (std::size_t p = 0; p < paletteTouched.size(); ++p) {
        const std::int64_t colours = std::int64_t{info.Palettes} + 4 * static_cast<std::int64_t>(p);
        paletteTouched[p] = changed.Intersects(colours, colours + 4);
    }
    const std::int64_t tiles = info.BlockTiles;
    const std::int64_t attributes = info.BlockAttributes;
    const bool definitions =
        changed.Intersects(tiles, tiles + 4 * 256) || changed.Intersects(attributes, attributes + 256);
    // A byte outside the image reads as 0, as drawing reads it.
    const auto size = static_cast<std::int64_t>(source.image.size());
    const auto read = [&](std::int64_t offset) -> std::uint8_t {
        return offset >= 0 && offset < size ? source.image[static_cast<std::size_t>(offset)] : 0;
    };
    for (int block = 0; block < 256; ++block) {
        const std::int64_t numbers = tiles + 4 * std::int64_t{block};
        const std::int64_t attribute = attributes + block;
        bool hit = definitions && (changed.Intersects(numbers, numbers + 4) || changed.Intersects(attribute, attribute + 1));
        hit = hit || paletteTouched[read(attribute) % 4];
        for (int k = 0; k < 4 && !hit; ++k)
            hit = tileTouched.test(read(numbers + k));
        touched.set(static_cast<std::size_t>(block), hit);
    }
    return touched;
}

RoomCells TouchedCells(const StageSource& source, int room, const ChangedBytes& changed, const BlockSet& blocks)
{
    RoomCells touched;
    if (changed.empty())
        return touched;
    const StageInfo& info = RowOf(source);
    const std::int64_t first = RoomCellOffset(info, room, 0, 0);
    const auto size = static_cast<std::int64_t>(source.image.size());
    const bool anyBlock = blocks.any();
    if (!anyBlock && !changed.Intersects(first, first + kRoomBytes))
        return touched;
    for (int cell = 0; cell < kRoomCells; ++cell) {
        const std::int64_t offset = first + cell;
        const bool inside = offset >= 0 && offset < size;
        if (changed.Intersects(offset, offset + 1) ||
            (anyBlock && inside && blocks.test(source.image[static_cast<std::size_t>(offset)])))
            touched.set(static_cast<std::size_t>(cell));
    }
    return touched;
}

RoomSet TouchedRooms(const StageSource& source, int lastRoom, const ChangedBytes& changed)
{
    RoomSet touched;
    if (changed.empty())
        return touched;
    const StageInfo& info = RowOf(source);
    const BlockSet blockTouched = TouchedBlocks(source, changed);

    const auto size = static_cast<std::int64_t>(source.image.size());
    const int last = std::min(lastRoom, 255);
    const bool anyBlock = blockTouched.any();
    for (int room = 0; room <= last; ++room) {
        const std::int64_t first = RoomCellOffset(info, room, 0, 0);
        if (changed.Intersects(first, first + kRoomBytes)) {
            touched.set(static_cast<std::size_t>(room));
            continue;
        }
        if (!anyBlock)
            continue;
        for (std::int64_t offset = std::max<std::int64_t>(first, 0); offset < std::min(first + kRoomBytes, size);
             ++offset) {
            if (blockTouched.test(source.image[static_cast<std::size_t>(offset)])) {
                touched.set(static_cast<std::size_t>(room));
                break;
            }
        }
    }
    return touched;
}

bool RoomListTouched(const StageSource& source, const ChangedBytes& changed)
{
    const StageInfo& info = RowOf(source);
    return changed.Intersects(info.RoomList, info.RoomData);
}

} // namespace quorvan

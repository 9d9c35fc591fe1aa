#include "graphics/RoomDependencies.h"

#include "data/Level.h"
#include "graphics/BlockParts.h"

#include <algorithm>
#include <array>

namespace quorvan {

namespace {

constexpr std::int64_t kTileBytes = 16;

const StageInfo& RowOf(const StageSource& source)
{
    return source.stages[static_cast<std::size_t>(IsStageRow(source.stage) ? source.stage : 0)];
}

// Whether block `block` draws from a changed byte.
bool BlockTouched(const StageSource& source, const StageInfo& info, int block, const ChangedBytes& changed)
{
    const std::int64_t tiles = std::int64_t{info.BlockTiles} + 4 * std::int64_t{block};
    if (changed.Intersects(tiles, tiles + 4))
        return true;
    const std::int64_t attribute = std::int64_t{info.BlockAttributes} + block;
    if (changed.Intersects(attribute, attribute + 1))
        return true;
    const BlockParts parts = ReadBlockParts(source.image, source.stages, source.stage, block);
    const std::int64_t colours = std::int64_t{info.Palettes} + 4 * std::int64_t{parts.attribute % 4};
    if (changed.Intersects(colours, colours + 4))
        return true;
    return std::any_of(parts.tileOffsets.begin(), parts.tileOffsets.end(), [&](std::int32_t offset) {
        return offset >= 0 && changed.Intersects(offset, offset + kTileBytes);
    });
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
    for (int block = 0; block < 256; ++block)
        touched.set(static_cast<std::size_t>(block), BlockTouched(source, info, block, changed));
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

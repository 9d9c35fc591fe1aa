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

} // namespace

RoomSet TouchedRooms(const StageSource& source, int lastRoom, const ChangedBytes& changed)
{
    RoomSet touched;
    if (changed.empty())
        return touched;
    const StageInfo& info = RowOf(source);
    std::array<bool, 256> blockTouched{};
    for (int block = 0; block < 256; ++block)
        blockTouched[static_cast<std::size_t>(block)] = BlockTouched(source, info, block, changed);

    const auto size = static_cast<std::int64_t>(source.image.size());
    const int last = std::min(lastRoom, 255);
    for (int room = 0; room <= last; ++room) {
        const std::int64_t first = RoomCellOffset(info, room, 0, 0);
        if (changed.Intersects(first, first + kRoomBytes)) {
            touched.set(static_cast<std::size_t>(room));
            continue;
        }
        for (std::int64_t offset = std::max<std::int64_t>(first, 0); offset < std::min(first + kRoomBytes, size);
             ++offset) {
            if (blockTouched[source.image[static_cast<std::size_t>(offset)]]) {
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

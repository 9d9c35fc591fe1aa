#include "data/BlockUsage.h"

#include "data/Level.h"

namespace quorvan {

namespace {

bool Inside(std::span<const std::uint8_t> bytes, std::int64_t offset)
{
    return offset >= 0 && offset < static_cast<std::int64_t>(bytes.size());
}

// Calls visit(cell, block) for each cell of `room` whose byte lies inside the
// image. A room's cells are consecutive bytes, so only its ends need checking.
template <typename Visit>
void ForEachCell(std::span<const std::uint8_t> image, const StageInfo& stage, int room, Visit visit)
{
    const std::int64_t first = RoomCellOffset(stage, room, 0, 0);
    for (int cell = 0; cell < kRoomCells; ++cell) {
        const std::int64_t offset = first + cell;
        if (Inside(image, offset))
            visit(cell, image[static_cast<std::size_t>(offset)]);
    }
}

} // namespace

int StageRoomCount(const StageInfo& stage, std::span<const std::uint8_t> image)
{
    return int{MaxRoomInList(stage, image)} + 1;
}

std::optional<std::uint8_t> CellBlockAt(std::span<const std::uint8_t> image, const StageInfo& stage, int room, int row,
                                      int column)
{
    const std::int64_t offset = RoomCellOffset(stage, room, row, column);
    if (!Inside(image, offset))
        return std::nullopt;
    return image[static_cast<std::size_t>(offset)];
}

RoomCells UsesInRoom(std::span<const std::uint8_t> image, const StageInfo& stage, int room, int block)
{
    RoomCells cells;
    ForEachCell(image, stage, room, [&](int cell, std::uint8_t value) {
        if (value == block)
            cells.set(static_cast<std::size_t>(cell));
    });
    return cells;
}

std::array<int, 256> UseCounts(std::span<const std::uint8_t> image, const StageInfo& stage)
{
    std::array<int, 256> counts{};
    const int rooms = StageRoomCount(stage, image);
    for (int room = 0; room < rooms; ++room)
        ForEachCell(image, stage, room, [&](int, std::uint8_t value) { ++counts[value]; });
    return counts;
}

int CountUses(std::span<const std::uint8_t> image, const StageInfo& stage, int block)
{
    if (block < 0 || block > 255)
        return 0;
    return UseCounts(image, stage)[static_cast<std::size_t>(block)];
}

std::optional<CellPosition> FindUse(std::span<const std::uint8_t> image, const StageInfo& stage, int block, int from)
{
    if (block < 0 || block > 255)
        return std::nullopt;
    const int total = StageRoomCount(stage, image) * kRoomCells;
    int index = from % total;
    if (index < 0)
        index += total;
    for (int looked = 0; looked < total; ++looked) {
        const CellPosition cell = CellPosition::FromIndex(index);
        const std::optional<std::uint8_t> value = CellBlockAt(image, stage, cell.room, cell.row, cell.column);
        if (value && *value == block)
            return cell;
        index = index + 1 == total ? 0 : index + 1;
    }
    return std::nullopt;
}

RoomCells ChangedCells(std::span<const std::uint8_t> image, std::span<const std::uint8_t> opened,
                       const StageInfo& stage, int room)
{
    RoomCells cells;
    const std::int64_t first = RoomCellOffset(stage, room, 0, 0);
    ForEachCell(image, stage, room, [&](int cell, std::uint8_t value) {
        const std::int64_t offset = first + cell;
        if (Inside(opened, offset) && opened[static_cast<std::size_t>(offset)] != value)
            cells.set(static_cast<std::size_t>(cell));
    });
    return cells;
}

RoomMarks MarksOfRoom(std::span<const std::uint8_t> image, std::span<const std::uint8_t> opened,
                      const StageInfo& stage, int room, const MarkOptions& options)
{
    RoomMarks marks;
    if (options.usesOf >= 0 && options.usesOf <= 255)
        marks.uses = UsesInRoom(image, stage, room, options.usesOf);
    if (options.changes)
        marks.changed = ChangedCells(image, opened, stage, room);
    if (options.found && options.found->room == room)
        marks.found = options.found->cell();
    return marks;
}

} // namespace quorvan

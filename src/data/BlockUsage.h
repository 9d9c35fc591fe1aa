#pragma once
// Where blocks are used in a stage's rooms, and which room cells were changed.
//
// "The stage's rooms" are rooms 0 up to the highest room of the stage's room
// list (MaxRoomInList): the rooms the room scroll bar reaches. Cells are read
// through the same offsets as drawing (RoomCellOffset, 64-bit, so rooms above
// 169 are reached); a cell whose byte lies outside the image holds no block
// and is neither counted, found nor read.

#include "data/Stages.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>

namespace quorvan {

inline constexpr int kRoomCells = kRoomColumns * kRoomRows; // 192 cells, row by row

// A set of cells of one room: bit row * 16 + column.
using RoomCells = std::bitset<kRoomCells>;

// A cell of a stage's rooms.
struct CellPosition {
    int room = 0;
    int row = 0;
    int column = 0;

    // Index in room, row, column order over the stage's rooms.
    int index() const { return room * kRoomCells + row * kRoomColumns + column; }
    int cell() const { return row * kRoomColumns + column; }
    static CellPosition FromIndex(int index)
    {
        return {index / kRoomCells, index % kRoomCells / kRoomColumns, index % kRoomColumns};
    }
    bool operator==(const CellPosition&) const = default;
};

// The number of the stage's rooms: MaxRoomInList + 1 (1..255).
int StageRoomCount(const StageInfo& stage, std::span<const std::uint8_t> image);

// The block a cell holds, or nothing when its byte lies outside the image.
std::optional<std::uint8_t> CellBlockAt(std::span<const std::uint8_t> image, const StageInfo& stage, int room, int row,
                                      int column);

// The cells of room `room` that hold block `block`.
RoomCells UsesInRoom(std::span<const std::uint8_t> image, const StageInfo& stage, int room, int block);

// How many cells of the stage's rooms hold each block, in one pass.
std::array<int, 256> UseCounts(std::span<const std::uint8_t> image, const StageInfo& stage);
// How many cells of the stage's rooms hold block `block`.
int CountUses(std::span<const std::uint8_t> image, const StageInfo& stage, int block);

// The first cell holding `block`, searching the stage's rooms from cell index
// `from` (CellPosition::index(); taken modulo the number of cells) in room,
// row, column order and wrapping around once, so that every cell is looked at
// exactly once; nothing when no cell holds it.
std::optional<CellPosition> FindUse(std::span<const std::uint8_t> image, const StageInfo& stage, int block, int from);

// The cells of room `room` whose byte differs from the same byte of `opened`
// (the image as it was opened). Cells outside either image are not marked.
RoomCells ChangedCells(std::span<const std::uint8_t> image, std::span<const std::uint8_t> opened,
                       const StageInfo& stage, int room);

// What to mark over the stage's rooms.
struct MarkOptions {
    bool changes = false;              // cells that differ from the image as opened
    int usesOf = -1;                   // cells holding this block (0..255), -1 for none
    std::optional<CellPosition> found; // the cell the last search found
};

// The marks of one room.
struct RoomMarks {
    RoomCells uses;    // cells holding the highlighted block
    RoomCells changed; // cells that differ from the image as opened
    int found = -1;    // the found cell (row * 16 + column), or -1

    bool any() const { return uses.any() || changed.any() || found >= 0; }
    bool operator==(const RoomMarks&) const = default;
};

RoomMarks MarksOfRoom(std::span<const std::uint8_t> image, std::span<const std::uint8_t> opened,
                      const StageInfo& stage, int room, const MarkOptions& options);

} // namespace quorvan

#pragma once
// Cells of a room as the painting gestures see them: positions, rectangles,
// the straight line a fast stroke covers, the area a fill reaches, rectangles
// of block numbers (what is copied and pasted), and writing a set of cells
// into a room through RomBuffer::write.
//
// A cell is (column, row) of a room of kRoomColumns x kRoomRows; positions
// outside the room are allowed where noted (a stroke may leave the room and
// come back).

#include "data/RomBuffer.h"
#include "data/Stages.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvan {

struct CellPos {
    int column = 0;
    int row = 0;
    bool operator==(const CellPos&) const = default;
};

// A rectangle of cells: `columns` x `rows` cells from (column, row). Empty
// when either count is 0 or less.
struct CellRect {
    int column = 0;
    int row = 0;
    int columns = 0;
    int rows = 0;

    bool operator==(const CellRect&) const = default;
    bool empty() const { return columns <= 0 || rows <= 0; }
    int count() const { return empty() ? 0 : columns * rows; }
    bool contains(CellPos cell) const
    {
        return cell.column >= column && cell.column < column + columns && cell.row >= row && cell.row < row + rows;
    }
    // The smallest rectangle holding both cells.
    static CellRect Spanning(CellPos a, CellPos b);
    // The part of this rectangle inside `other` (empty when they do not meet).
    CellRect intersected(const CellRect& other) const;
};

inline constexpr CellRect kWholeRoom{0, 0, kRoomColumns, kRoomRows};

// The cell nearest to `cell` inside the room.
CellPos ClampToRoom(CellPos cell);

// The cells of the straight line from `from` to `to`, both ends included, in
// order from `from` (Bresenham's line: consecutive cells touch, by a side or
// a corner). Ends more than 64 cells outside the room are first cut back to
// a box that far around it (to the nearest cell there), so the work stays
// small whatever the positions; a pointer never strays that far in a stroke.
std::vector<CellPos> LineCells(CellPos from, CellPos to);
// The same without `from`: the cells a stroke reaches when the pointer moves
// on from `from` (painted already) to `to`.
std::vector<CellPos> LineCellsAfter(CellPos from, CellPos to);

// A rectangle of block numbers, row by row, top row first: what Copy takes
// from a room and Paste puts into one. At most one room in size.
struct CellBlock {
    int columns = 0;
    int rows = 0;
    std::vector<std::uint8_t> blocks; // columns * rows numbers

    bool operator==(const CellBlock&) const = default;
    // 1..16 columns, 1..12 rows and exactly that many numbers.
    bool valid() const;
    std::uint8_t at(int column, int row) const
    {
        return blocks[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                      static_cast<std::size_t>(column)];
    }
};

// One cell of a room to be given a block.
struct CellWrite {
    CellPos cell;
    std::uint8_t block = 0;
    bool operator==(const CellWrite&) const = default;
};

// The block numbers of a room as the image holds them; -1 for a cell whose
// byte lies outside the image.
using RoomBlocks = std::array<int, kRoomBytes>;
RoomBlocks ReadRoomBlocks(const RomBuffer& image, const StageInfo& stage, int room);

// The cells of `rect` (inside the room) as a block of numbers; nothing when
// the rectangle is empty, leaves the room or has a cell outside the image.
std::optional<CellBlock> ReadRoomCells(const RomBuffer& image, const StageInfo& stage, int room, const CellRect& rect);

// The 4-connected area (neighbours by a side, not a corner) of cells holding
// the same block as `start`, `start` included; empty when `start` lies outside
// the room or its byte outside the image. Cells outside the image belong to
// no area.
std::vector<CellPos> FillArea(const RoomBlocks& blocks, CellPos start);

// The writes of pasting `cells` with its top-left cell at `at`, clipped at the
// room's edges (`at` may lie outside the room).
std::vector<CellWrite> PasteWrites(const CellBlock& cells, CellPos at);

// Every cell of `rect` (clipped to the room) given `block`.
std::vector<CellWrite> FillWrites(const CellRect& rect, std::uint8_t block);

// Writes cells of room `room` through RomBuffer::write, all or none: when any
// of them lies outside the room or its byte outside the image, nothing is
// written. Cells that already hold their block are not written.
struct RoomWriteResult {
    int written = 0; // bytes changed
    int outside = 0; // cells whose byte lies outside the image (or the room)
    bool ok() const { return outside == 0; }
};
RoomWriteResult WriteRoomCells(RomBuffer& image, const StageInfo& stage, int room, std::span<const CellWrite> writes);

} // namespace quorvan

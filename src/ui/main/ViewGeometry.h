#pragma once
// Where things are in the main window's two views: the level view shows a
// room as 16 x 12 cells, the block table a page of 2 x 8 blocks; every cell is
// a 16x16 block drawn at scale 2.

#include "data/Level.h"
#include "data/RoomCells.h"
#include "graphics/Compositor.h"

namespace quorvan::view {

inline constexpr int kCell = 32;       // one block on screen, in pixels
inline constexpr int kBlockScale = 2;
// The table's page of kTablePageColumns x kTablePageRows blocks is the compositor's.
inline constexpr int kGridLines = 16;  // grid lines d = 0..15 on each axis, whatever the picture's size

// Mouse buttons and keys as the picture boxes report them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kShiftKey = 1;
inline constexpr int kCtrlKey = 2;

// The cell under pixel (x, y), or false when it lies outside a grid of
// `columns` x `rows` cells.
inline bool CellAt(int x, int y, int columns, int rows, int& column, int& row)
{
    if (x < 0 || y < 0)
        return false;
    column = x / kCell;
    row = y / kCell;
    return column < columns && row < rows;
}

// The cell of the level view under pixel (x, y), rounding down, so that a
// pointer left of or above the view gives a negative cell (it may lie
// outside the room while a button is held).
inline CellPos CellUnder(int x, int y)
{
    const auto down = [](int v) { return v >= 0 ? v / kCell : -((-(v + 1)) / kCell) - 1; };
    return {down(x), down(y)};
}

} // namespace quorvan::view

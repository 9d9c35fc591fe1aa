#pragma once
// Where things are in the main window's two views: the level view shows a
// room as 16 x 12 cells, the block table a page of 2 x 8 blocks; every cell is
// a 16x16 block drawn at scale 2.

#include "data/Level.h"
#include "graphics/Compositor.h"

namespace quorvan::view {

inline constexpr int kCell = 32;       // one block on screen, in pixels
inline constexpr int kBlockScale = 2;
// The table's page of kTablePageColumns x kTablePageRows blocks is the compositor's.
inline constexpr int kGridLines = 16;  // grid lines d = 0..15 on each axis, whatever the picture's size

// Mouse buttons as the picture boxes report them.
inline constexpr int kLeftButton = 1;

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

} // namespace quorvan::view

#pragma once
// Helpers of the tests of what the editor shows about a level (numbers under
// the pointer, block usage, changed cells, the stage overview). Offsets come
// from the stage table written out here, not from the program's, and block
// usage from a plain scan of the image bytes.

#include "data/BlockUsage.h"
#include "demo/DemoImage.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quorvan::test {

// The offsets of stage row `row` (0..8) in effect for an image of `layout`.
struct WrittenOutStage {
    std::int64_t rooms, tiles, attributes, palettes, roomList, tileData;

    WrittenOutStage(DemoLayout layout, int row)
    {
        const std::int64_t bank = std::int64_t{row} * 0x2000;
        const std::int64_t shift = layout == DemoLayout::Shifted ? 0x200 : 0;
        rooms = bank + 0x58 + shift;
        tiles = bank + 0x16D8 + shift;
        attributes = bank + 0x1AD8 + shift;
        palettes = bank + 0x10 + shift;
        roomList = bank + 0x30 + shift;
        tileData = (row == 0 ? 0x29010 : row == 8 ? 0x2E010 : 0x2A010 + std::int64_t{row - 1} * 0x800) + shift;
    }

    std::int64_t cell(int room, int y, int x) const { return rooms + std::int64_t{room} * 192 + y * 16 + x; }
};

// The highest room the stage's list names (255 does not count), read here.
inline int ListedLastRoom(const std::vector<std::uint8_t>& image, const WrittenOutStage& stage)
{
    int last = 0;
    for (std::int64_t i = stage.roomList; i < stage.rooms; ++i)
        if (image[static_cast<std::size_t>(i)] != 0xFF)
            last = std::max(last, int{image[static_cast<std::size_t>(i)]});
    return last;
}

// Every cell of the stage's rooms holding `block`, in room, row, column order.
inline std::vector<CellPosition> CellsHolding(const std::vector<std::uint8_t>& image, const WrittenOutStage& stage,
                                              int block)
{
    std::vector<CellPosition> cells;
    const int last = ListedLastRoom(image, stage);
    for (int room = 0; room <= last; ++room)
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                const std::int64_t offset = stage.cell(room, y, x);
                if (offset < static_cast<std::int64_t>(image.size()) && image[static_cast<std::size_t>(offset)] == block)
                    cells.push_back({room, y, x});
            }
    return cells;
}

// Puts `block` into exactly `cells` of the stage's rooms: every other cell that
// held it gets `other` instead.
inline void PlantBlock(std::vector<std::uint8_t>& image, const WrittenOutStage& stage, int block, int other,
                       const std::vector<CellPosition>& cells)
{
    for (const CellPosition& cell : CellsHolding(image, stage, block))
        image[static_cast<std::size_t>(stage.cell(cell.room, cell.row, cell.column))] = static_cast<std::uint8_t>(other);
    for (const CellPosition& cell : cells)
        image[static_cast<std::size_t>(stage.cell(cell.room, cell.row, cell.column))] = static_cast<std::uint8_t>(block);
}

// Makes the stage's room list name rooms 0..last only.
inline void SetRoomList(std::vector<std::uint8_t>& image, const WrittenOutStage& stage, int last)
{
    for (std::int64_t i = stage.roomList; i < stage.rooms; ++i)
        image[static_cast<std::size_t>(i)] = 0xFF;
    image[static_cast<std::size_t>(stage.roomList)] = static_cast<std::uint8_t>(last);
}

// The texts under the pointer, built here with the C library's formatting.
inline QString ExpectedCellText(int room, int y, int x, int block, std::int64_t offset)
{
    return QString::asprintf("Room %02X  X %X  Y %X  Block %02X  @ 0x%05llX", room, x, y, block,
                             static_cast<unsigned long long>(offset));
}

inline QString ExpectedBlockText(const std::vector<std::uint8_t>& image, const WrittenOutStage& stage, int block,
                                 int uses)
{
    const auto at = [&](std::int64_t offset) { return int{image[static_cast<std::size_t>(offset)]}; };
    const std::int64_t tiles = stage.tiles + 4 * block;
    const int attribute = at(stage.attributes + block);
    return QString::asprintf("Block %02X  Tiles %02X %02X %02X %02X  Pal %d  Flags %02X  @ 0x%05llX  used %d", block,
                             at(tiles), at(tiles + 1), at(tiles + 2), at(tiles + 3), attribute & 3, attribute >> 2,
                             static_cast<unsigned long long>(tiles), uses);
}

} // namespace quorvan::test

#include "data/Stages.h"

namespace quorvan {

StageTable BaseStages()
{
    StageTable table{};
    for (int row = 0; row <= 8; ++row) {
        const std::int32_t bank = row * 0x2000;
        StageInfo& s = table[static_cast<std::size_t>(row)];
        s.RoomData = bank + 0x58;
        s.BlockTiles = bank + 0x16D8;
        s.BlockAttributes = bank + 0x1AD8;
        s.AttributesEnd = bank + 0x1BD8;
        s.AuxOffset = bank + 0x1A14;
        s.Palettes = bank + 0x10;
        s.PalettesEnd = bank + 0x20;
        s.RoomList = bank + 0x30;
        if (row == 0)
            s.TileData = 0x29010;
        else if (row == 8)
            s.TileData = 0x2E010; // not the 0x2D810 the pattern of rows 1..7 would give
        else
            s.TileData = 0x2A010 + (row - 1) * 0x800;
    }
    // Row 9 shares bank 0, with its rooms 18 rooms further on and its own tile set.
    table[9] = table[0];
    table[9].RoomData = 0x0DD8;
    table[9].TileData = 0x28010;
    return table;
}

std::optional<StageTable> StagesForLength(std::size_t length)
{
    StageTable table = BaseStages();
    if (length == kImageLengthPlain)
        return table;
    if (length != kImageLengthShifted)
        return std::nullopt;
    for (StageInfo& s : table) {
        s.RoomData += kShiftedLayoutOffset;
        s.BlockTiles += kShiftedLayoutOffset;
        s.BlockAttributes += kShiftedLayoutOffset;
        s.Palettes += kShiftedLayoutOffset;
        s.PalettesEnd += kShiftedLayoutOffset;
        s.RoomList += kShiftedLayoutOffset;
        s.TileData += kShiftedLayoutOffset;
        // AttributesEnd, AuxOffset and Spare keep their base values.
    }
    return table;
}

} // namespace quorvan

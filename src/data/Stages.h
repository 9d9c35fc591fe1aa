#pragma once
// The stage table: for each stage, where its rooms, blocks, palettes, room list
// and tiles lie inside the image.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quorvan {

struct StageInfo {
    std::int32_t RoomData = 0;        // room 0; room r at RoomData + r * 192
    std::int32_t BlockTiles = 0;      // 4 tile numbers per block
    std::int32_t BlockAttributes = 0; // 1 attribute byte per block (palette = low 2 bits)
    std::int32_t AttributesEnd = 0;   // just past the attribute table (not read)
    std::int32_t AuxOffset = 0;       // BlockTiles + 0x33C (not read)
    std::array<std::int32_t, 4> Spare{}; // always 0
    std::int32_t Palettes = 0;        // 16 palette bytes
    std::int32_t PalettesEnd = 0;     // just past the palettes (not read)
    std::int32_t RoomList = 0;        // room numbers up to RoomData - 1; 255 = none
    std::int32_t TileData = 0;        // 16 bytes per 8x8 tile

    bool operator==(const StageInfo&) const = default;
};

inline constexpr int kStageRows = 11;     // rows 0..10
inline constexpr int kMenuStages = 9;     // rows 0..8 are reachable from the Level menu
inline constexpr int kRoomBytes = 192;    // 16 x 12 block numbers
inline constexpr int kRoomColumns = 16;
inline constexpr int kRoomRows = 12;

using StageTable = std::array<StageInfo, kStageRows>;

// The two accepted image lengths.
inline constexpr std::size_t kImageLengthPlain = 0x40090;   // data right after the 16-byte header
inline constexpr std::size_t kImageLengthShifted = 0x30210; // 512 more bytes ahead of the data
inline constexpr std::int32_t kShiftedLayoutOffset = 0x200;

// The base values of the table (rows 0..9 filled, row 10 all zero).
StageTable BaseStages();

// The offsets in effect for an image of the given length, always derived from
// the base values; nothing for a length that is not accepted.
std::optional<StageTable> StagesForLength(std::size_t length);

} // namespace quorvan

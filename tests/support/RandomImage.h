#pragma once
// Randomised images for comparing the fast drawing paths with the
// block-by-block one: the demo image of a layout with its rooms, block tiles,
// attributes, palettes (about one byte in six above 63) and tile data
// overwritten with random bytes, and optionally a stage table whose tables lie
// near the image's end.

#include "demo/DemoImage.h"
#include "data/Level.h"
#include "data/Stages.h"

#include <cstdint>
#include <random>
#include <vector>

namespace quorvan::test {

enum class Tweak { None, RoomsNearEnd, TilesNearEnd, RowZeroTilesNearEnd, BlocksNearEnd, CleanPalettes };

// An image of the given layout with random rooms, block tiles, attributes,
// palettes (about one byte in six above 63) and tile data, and its stage table.
struct RandomImage {
    std::vector<std::uint8_t> bytes;
    StageTable stages;

    RandomImage(bool shifted, std::uint64_t seed, Tweak tweak)
    {
        bytes = GenerateDemoImage({seed, shifted ? DemoLayout::Shifted : DemoLayout::Plain});
        stages = *StagesForLength(bytes.size());
        std::mt19937_64 random(seed);
        auto fill = [&](std::int64_t from, std::int64_t count, int high) {
            for (std::int64_t i = from; i < from + count; ++i)
                bytes[std::size_t(i)] = std::uint8_t(random() % std::uint64_t(high));
        };
        for (const StageInfo& s : stages) {
            fill(s.RoomData, 8 * kRoomBytes, 256);
            fill(s.BlockTiles, 4 * 256, 256);
            fill(s.BlockAttributes, 256, 256);
            for (int i = 0; i < 16; ++i)
                bytes[std::size_t(s.Palettes + i)] =
                    std::uint8_t(random() % 6 == 0 && tweak != Tweak::CleanPalettes ? 64 + random() % 192 : random() % 64);
            fill(s.TileData, 0x1000, 256);
        }
        const auto size = std::int32_t(bytes.size());
        for (int row = 0; row < kStageRows; ++row) {
            StageInfo& s = stages[std::size_t(row)];
            switch (tweak) {
            case Tweak::RoomsNearEnd: s.RoomData = size - 100 - 254 * kRoomBytes; break; // room 254 runs off the end
            case Tweak::TilesNearEnd: s.TileData = size - 0x7F8; break;                  // tiles from 0x80 on lie outside
            case Tweak::RowZeroTilesNearEnd: if (row == 0) s.TileData = size - 0xC08; break;
            case Tweak::BlocksNearEnd: s.BlockTiles = size - 4 * 200 - 2; s.BlockAttributes = size - 180; break;
            default: break;
            }
        }
    }
};

} // namespace quorvan::test

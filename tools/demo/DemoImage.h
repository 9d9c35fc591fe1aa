#pragma once
// Synthetic cartridge images, made by us, deterministic from a seed. They carry
// no game data; they exist so the editor, its tests and its benchmarks have
// something to open. Content is chosen to make mistakes visible: every block is
// distinct, tiles are not symmetric, each palette's colours are distinct, room
// lists name several rooms in no particular order, and rooms use many blocks.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvan {

enum class DemoLayout { Plain, Shifted }; // 0x40090 or 0x30210 bytes

struct DemoOptions {
    std::uint64_t seed = 1;
    DemoLayout layout = DemoLayout::Plain;
};

// Highest room number the room list of each stage row 0..8 names, for a seed.
int DemoMaxRoom(std::uint64_t seed, int stage);

std::vector<std::uint8_t> GenerateDemoImage(const DemoOptions& options);

} // namespace quorvan

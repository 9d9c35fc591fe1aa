#include "data/DemoImage.h"

#include "data/Stages.h"

#include <algorithm>
#include <numeric>

namespace quorvan {

namespace {

// splitmix64: small, fast and the same on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 56); }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

void Put(std::vector<std::uint8_t>& image, std::int64_t offset, std::uint8_t value)
{
    if (offset >= 0 && offset < static_cast<std::int64_t>(image.size()))
        image[static_cast<std::size_t>(offset)] = value;
}

// A tile with all four pixel values, no mirror symmetry, different for each (set, index).
void WriteTile(std::vector<std::uint8_t>& image, std::int64_t offset, Random& random)
{
    for (int r = 0; r < 16; ++r)
        Put(image, offset + r, random.byte());
    // Make the top-left pixel differ from the top-right and bottom-left ones,
    // so that a flipped tile can never match.
    Put(image, offset + 0, static_cast<std::uint8_t>(image[static_cast<std::size_t>(offset)] | 0x80));
    Put(image, offset + 0, static_cast<std::uint8_t>(image[static_cast<std::size_t>(offset)] & ~0x01));
    Put(image, offset + 7, static_cast<std::uint8_t>(image[static_cast<std::size_t>(offset + 7)] & ~0x80));
    Put(image, offset + 8, static_cast<std::uint8_t>(image[static_cast<std::size_t>(offset + 8)] & ~0x80));
}

} // namespace

int DemoMaxRoom(std::uint64_t seed, int stage)
{
    // Between 3 and 14 rooms, varying by stage and seed.
    return 2 + static_cast<int>((seed * 7 + static_cast<std::uint64_t>(stage) * 5) % 12);
}

std::vector<std::uint8_t> GenerateDemoImage(const DemoOptions& options)
{
    const bool shifted = options.layout == DemoLayout::Shifted;
    std::vector<std::uint8_t> image(shifted ? kImageLengthShifted : kImageLengthPlain, 0);
    const StageTable stages = *StagesForLength(image.size());
    Random random(options.seed * 0x100000001B3ull + 0xC0FFEE);

    // iNES-style header; the editor never reads it.
    const std::uint8_t header[16] = {'N', 'E', 'S', 0x1A, 8, 0, static_cast<std::uint8_t>(shifted ? 0x04 : 0x00)};
    std::copy(std::begin(header), std::end(header), image.begin());
    for (std::size_t i = 16; i < (shifted ? 16u + 512u : 16u); ++i)
        image[i] = random.byte();

    // Tile sets: row 0 and rows 8, 9 have 256 tiles, rows 1..7 the 128 of their own.
    for (int row = 0; row <= 9; ++row) {
        const int count = (row == 0 || row >= 8) ? 256 : 128;
        for (int t = 0; t < count; ++t)
            WriteTile(image, stages[static_cast<std::size_t>(row)].TileData + 16 * t, random);
    }

    for (int row = 0; row <= 8; ++row) {
        const StageInfo& s = stages[static_cast<std::size_t>(row)];

        // Four palettes, each of four distinct colours from the 0..63 range,
        // avoiding the duplicated near-blacks so every colour is told apart.
        std::vector<std::uint8_t> pool;
        for (std::uint8_t n = 0; n < 64; ++n)
            if ((n & 0x0F) < 0x0E && n != 0x20)
                pool.push_back(n);
        for (std::size_t i = pool.size(); i > 1; --i)
            std::swap(pool[i - 1], pool[static_cast<std::size_t>(random.below(static_cast<int>(i)))]);
        for (int i = 0; i < 16; ++i)
            Put(image, s.Palettes + i, pool[static_cast<std::size_t>(i)]);

        // Blocks: tile 0 of block b is b itself, so every block is distinct.
        for (int b = 0; b < 256; ++b) {
            Put(image, s.BlockTiles + 4 * b + 0, static_cast<std::uint8_t>(b));
            Put(image, s.BlockTiles + 4 * b + 1, static_cast<std::uint8_t>((b * 7 + 3 + row) & 0xFF));
            Put(image, s.BlockTiles + 4 * b + 2, static_cast<std::uint8_t>((b * 13 + 0x41) & 0xFF));
            Put(image, s.BlockTiles + 4 * b + 3, random.byte());
            const auto palette = static_cast<std::uint8_t>((b + row) % 4);
            const auto flags = static_cast<std::uint8_t>(random.below(64));
            Put(image, s.BlockAttributes + b, static_cast<std::uint8_t>(flags * 4 + palette));
        }

        // Room list: the rooms 0..max in shuffled order, then 255s.
        const int maxRoom = DemoMaxRoom(options.seed, row);
        std::vector<std::uint8_t> rooms(static_cast<std::size_t>(maxRoom + 1));
        std::iota(rooms.begin(), rooms.end(), std::uint8_t{0});
        for (std::size_t i = rooms.size(); i > 1; --i)
            std::swap(rooms[i - 1], rooms[static_cast<std::size_t>(random.below(static_cast<int>(i)))]);
        const std::int32_t listLength = s.RoomData - s.RoomList;
        for (std::int32_t i = 0; i < listLength; ++i)
            Put(image, s.RoomList + i, i < static_cast<std::int32_t>(rooms.size()) ? rooms[static_cast<std::size_t>(i)] : 0xFF);

        // Rooms: a floor and walls of a few blocks, with many other blocks scattered in.
        for (int room = 0; room <= maxRoom; ++room) {
            const std::int64_t base = s.RoomData + std::int64_t{room} * kRoomBytes;
            for (int w = 0; w < kRoomRows; ++w) {
                for (int c = 0; c < kRoomColumns; ++c) {
                    std::uint8_t block;
                    if (w == kRoomRows - 1 || c == 0 || c == kRoomColumns - 1)
                        block = static_cast<std::uint8_t>(0x10 + room);
                    else
                        block = static_cast<std::uint8_t>((room * 37 + w * 16 + c + random.below(4)) & 0xFF);
                    Put(image, base + w * kRoomColumns + c, block);
                }
            }
        }
    }
    return image;
}

} // namespace quorvan

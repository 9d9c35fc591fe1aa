#include "demo/DemoImage.h"

#include "data/Stages.h"

#include <algorithm>
#include <array>
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

// Pixel values of one 8x8 tile, row by row.
using TilePixels = std::array<std::array<int, 8>, 8>;

// 3x5 digits for the glyph tiles, one row of three bits per entry.
constexpr std::array<std::array<std::uint8_t, 5>, 16> kDigits = {{
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {2, 5, 7, 5, 5}, {6, 5, 6, 5, 6},
    {7, 4, 4, 4, 7}, {6, 5, 5, 5, 6}, {7, 4, 6, 4, 7}, {7, 4, 6, 4, 4},
}};

// Tile `t` of tile set `set`: one of eight families chosen by t mod 8 (bricks,
// a numbered plate, stripes, a ball, grass over earth, checks, a gradient, a
// crate), varied by the set and the tile number so that sets and tiles differ.
// No family is its own mirror image, left to right or top to bottom.
TilePixels MakeTile(int set, int t, Random& random)
{
    TilePixels p{};
    const int family = t % 8;
    const int variant = t / 8;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            int v = 0;
            switch (family) {
            case 0: { // bricks, rows offset by half a brick
                const bool mortar = y % 4 == 3 || x == ((y / 4) % 2 == 0 ? 0 : 4);
                v = mortar ? 1 : (y % 4 == 0 && x % 4 == 1 ? 3 : 2);
                break;
            }
            case 1: { // a plate with the tile number in hexadecimal
                const int digit = x < 4 ? (t >> 4) & 0xF : t & 0xF;
                const int column = x < 4 ? x - 1 : x - 5;
                const bool on = y >= 1 && y <= 5 && column >= 0 && column < 3 &&
                                (kDigits[static_cast<std::size_t>(digit)][static_cast<std::size_t>(y - 1)] >> (2 - column) & 1);
                v = on ? 3 : (y == 7 || x == 7 ? 2 : 1);
                break;
            }
            case 2: // diagonal stripes, their phase set by the set and the tile
                v = ((x + y + set + variant) / 2) % 4;
                break;
            case 3: { // a ball with a highlight
                const int dx = 2 * x - 7, dy = 2 * y - 7;
                const int d = dx * dx + dy * dy;
                v = d > 49 ? 0 : (d > 30 ? 1 : (dx < -1 && dy < -1 ? 3 : 2));
                break;
            }
            case 4: // grass over earth, the edge varying with the tile number
                v = y < 2 + ((x + variant) % 3 == 0 ? 1 : 0) ? 3 : ((x * 3 + y * 5 + variant) % 7 == 0 ? 1 : 2);
                break;
            case 5: // checks of 2x2 pixels
                v = ((x / 2 + y / 2 + set) % 2) ? 1 : 2;
                break;
            case 6: // a gradient from top to bottom, with a star
                v = (x == variant % 7 && y == variant % 3) ? 3 : std::min(2, (y + variant % 3) / 3);
                break;
            default: { // a crate
                const bool edge = x == 0 || y == 0 || x == 7 || y == 7;
                v = edge ? 1 : (x == y ? 3 : 2);
                break;
            }
            }
            p[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = v;
        }
    }
    // One pixel of grain in the families whose pattern repeats, so that the
    // tiles of a set differ from one another.
    if (family == 0 || family == 4 || family == 5)
        p[static_cast<std::size_t>(1 + random.below(6))][static_cast<std::size_t>(1 + random.below(6))] = 1;
    return p;
}

void WriteTile(std::vector<std::uint8_t>& image, std::int64_t offset, const TilePixels& pixels)
{
    for (int y = 0; y < 8; ++y) {
        unsigned plane0 = 0, plane1 = 0;
        for (int x = 0; x < 8; ++x) {
            const int v = pixels[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            plane0 |= static_cast<unsigned>(v & 1) << (7 - x);
            plane1 |= static_cast<unsigned>((v >> 1) & 1) << (7 - x);
        }
        Put(image, offset + y, static_cast<std::uint8_t>(plane0));
        Put(image, offset + y + 8, static_cast<std::uint8_t>(plane1));
    }
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
            WriteTile(image, stages[static_cast<std::size_t>(row)].TileData + 16 * t, MakeTile(row, t, random));
    }

    for (int row = 0; row <= 8; ++row) {
        const StageInfo& s = stages[static_cast<std::size_t>(row)];

        // Four palettes of one hue each, from dark to light, with the lightest as
        // the colour of pixel value 0; the four hues differ, so the stage's 16
        // palette bytes are distinct. Palette 0 is the sky, 1 the ground, 2 the
        // objects and 3 the plates and checks.
        const int hue = (row * 5 + static_cast<int>(options.seed % 12)) % 12;
        for (int p = 0; p < 4; ++p) {
            const int h = 1 + (hue + p * 3) % 12;
            const std::array<int, 4> shades{0x30, 0x00, 0x10, 0x20};
            for (int i = 0; i < 4; ++i)
                Put(image, s.Palettes + 4 * p + i, static_cast<std::uint8_t>(shades[static_cast<std::size_t>(i)] + h));
        }

        // Blocks: tile 0 of block b is b itself, so every block is distinct, and
        // its other three tiles are of the same family (equal mod 8), so that a
        // block reads as one thing: bricks, a plate, a ball, grass, ...
        for (int b = 0; b < 256; ++b) {
            Put(image, s.BlockTiles + 4 * b + 0, static_cast<std::uint8_t>(b));
            Put(image, s.BlockTiles + 4 * b + 1, static_cast<std::uint8_t>((b + 8 * (1 + row)) & 0xFF));
            Put(image, s.BlockTiles + 4 * b + 2, static_cast<std::uint8_t>((b + 0x40) & 0xFF));
            Put(image, s.BlockTiles + 4 * b + 3, static_cast<std::uint8_t>((b + 8 * random.below(32)) & 0xFF));
            constexpr std::array<std::uint8_t, 8> kFamilyPalette{1, 3, 0, 2, 1, 3, 0, 2};
            const auto palette = kFamilyPalette[static_cast<std::size_t>(b % 8)];
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

        // Rooms laid out like a level: sky of stripes and gradients, a floor of
        // grass over bricks, platforms, balls and crates, plates that number
        // the room. Blocks of one kind are drawn from many block numbers.
        const auto of = [&random](int family) { return static_cast<std::uint8_t>(family + 8 * random.below(32)); };
        for (int room = 0; room <= maxRoom; ++room) {
            const std::int64_t base = s.RoomData + std::int64_t{room} * kRoomBytes;
            const int platformRow = 4 + (room + row) % 4;
            const int platformStart = (room * 5 + row * 3) % 10;
            for (int w = 0; w < kRoomRows; ++w) {
                for (int c = 0; c < kRoomColumns; ++c) {
                    std::uint8_t block;
                    if (w == kRoomRows - 1)
                        block = of(0); // bricks
                    else if (w == kRoomRows - 2)
                        block = of(4); // grass
                    else if (w == platformRow && c >= platformStart && c < platformStart + 5)
                        block = of(c == platformStart ? 7 : 0);
                    else if (w == platformRow - 1 && c == platformStart + 2)
                        block = of(3); // a ball on the platform
                    else if (w == 0 && c < 2)
                        block = static_cast<std::uint8_t>(1 + 8 * ((room + 5 + c) % 32)); // a numbered plate
                    else if (w == kRoomRows - 3 && (c + room) % 6 == 0)
                        block = of(7); // crates on the floor
                    else
                        block = of(w < 4 ? 6 : 2); // sky
                    Put(image, base + w * kRoomColumns + c, block);
                }
            }
        }
    }
    return image;
}

} // namespace quorvan

#pragma once
// Decoding 8x8 NES tiles (16 bytes in two bit planes) into 32-bit pixels. The
// tile renderer and the compositor both decode through here, so that every
// picture of a tile comes out the same.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace quorvan {

// A tile's 16 bytes: rows 0..7 of plane 0, then rows 0..7 of plane 1. Bit 7 of
// a row byte is the leftmost pixel; a pixel's value is its plane-0 bit plus
// twice its plane-1 bit.
using TilePlanes = std::array<std::uint8_t, 16>;

// The colours (0x00RRGGBB) of pixel values 0, 1, 2 and 3.
using TileColours = std::array<std::uint32_t, 4>;

// How many of the tile's 64 pixels have each value 0..3.
std::array<int, 4> CountPixelValues(const TilePlanes& planes);

// How many of the tile's 64 pixels (before scaling) come out in `colour`.
inline std::uint64_t CountPixelsOfColour(const TilePlanes& planes, const TileColours& colours, std::uint32_t colour)
{
    if (colours[0] != colour && colours[1] != colour && colours[2] != colour && colours[3] != colour)
        return 0; // the usual case, decided without counting
    const std::array<int, 4> counts = CountPixelValues(planes);
    std::uint64_t total = 0;
    for (std::size_t v = 0; v < 4; ++v)
        if (colours[v] == colour)
            total += static_cast<std::uint64_t>(counts[v]);
    return total;
}

// True when the two sets hold the same colours in the same order.
inline bool SameColours(const TileColours& a, const TileColours& b)
{
    // Element by element: a library comparison may become a call to memcmp,
    // which costs more than the tile itself.
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && a[3] == b[3];
}

// Scale-1 decoding of a whole tile with the processor's vector unit, where it
// has one that pays (x86-64 with AVX2): the 16 tile bytes at `bytes`, the four
// colours of pixel values 0..3 at `colours`, under Decode's contract.
using VectorTileDecoder = void (*)(const std::uint8_t* bytes, const std::uint32_t* colours, std::uint32_t* out,
                                   std::ptrdiff_t stride);

namespace detail {
// Chosen once at start-up; null where no vector decoder applies. Read through
// VectorDecoder(), changed only through UseVectorTileDecoder().
extern VectorTileDecoder vectorTileDecoder;
} // namespace detail

inline VectorTileDecoder VectorDecoder()
{
    return detail::vectorTileDecoder;
}

// Decodes with the vector decoder where there is one (`use`, the default) or
// always with the portable table path (tests compare the two). Returns
// whether the vector decoder is in use now.
bool UseVectorTileDecoder(bool use);

// One palette laid out for decoding: a table that turns the plane bits of four
// neighbouring pixels (a nibble of each plane byte) into their four colours,
// so that a tile row is two table reads and two stores.
class TilePalette {
public:
    explicit TilePalette(const TileColours& colours);

    const TileColours& colours() const { return colours_; }

    // Draws the tile with every pixel a scale x scale square: tile pixel (c, r)
    // covers out[(r * scale + dy) * stride + c * scale + dx], dx and dy 0..scale-1.
    // The caller guarantees scale >= 1, stride >= 8 * scale and that all those
    // entries lie inside its buffer; nothing else is written.
    void Decode(const TilePlanes& planes, std::uint32_t* out, std::ptrdiff_t stride, int scale) const
    {
        Decode(planes.data(), out, stride, scale);
    }

    // The same for the 16 tile bytes at `bytes`, read where they lie.
    void Decode(const std::uint8_t* bytes, std::uint32_t* out, std::ptrdiff_t stride, int scale) const
    {
        // Scale 1 is a handful of instructions, kept inline so that a call does
        // not cost as much as the tile; the vector decoder builds each screen
        // row in one register and stores it at once.
        if (scale == 1) {
            if (const VectorTileDecoder vector = VectorDecoder()) {
                vector(bytes, colours_.data(), out, stride);
                return;
            }
        }
        const RowIndices rows = IndicesOf(bytes);
        if (scale != 1) {
            DecodeScaled(rows, out, stride, scale);
            return;
        }
        // Straight 16-byte copies from the table, which compilers turn into
        // vector moves: as many stores as copying finished pixels would take.
        for (std::size_t r = 0; r < 8; ++r) {
            std::uint32_t* line = out + static_cast<std::ptrdiff_t>(r) * stride;
            std::memcpy(line, quads_[rows.Left(r)].data(), 16);
            std::memcpy(line + 4, quads_[rows.Right(r)].data(), 16);
        }
    }

private:
    // Table indices of the left and right half of every row, one byte per row
    // in the order of the tile's bytes: both planes are read as eight-byte
    // words and every operation stays inside its byte.
    struct RowIndices {
        std::uint64_t left = 0;
        std::uint64_t right = 0;

        // Row r's byte, taken by shifting (cheaper than storing and reloading).
        static std::size_t Row(std::uint64_t word, std::size_t r)
        {
            const std::size_t shift = std::endian::native == std::endian::little ? 8 * r : 56 - 8 * r;
            return static_cast<std::size_t>((word >> shift) & 0xFF);
        }
        std::size_t Left(std::size_t r) const { return Row(left, r); }
        std::size_t Right(std::size_t r) const { return Row(right, r); }
    };

    static RowIndices IndicesOf(const std::uint8_t* bytes)
    {
        constexpr std::uint64_t kLow = 0x0F0F0F0F0F0F0F0FULL;
        std::uint64_t plane0 = 0;
        std::uint64_t plane1 = 0;
        std::memcpy(&plane0, bytes, 8);
        std::memcpy(&plane1, bytes + 8, 8);
        return {((plane0 >> 4) & kLow) | (plane1 & ~kLow), (plane0 & kLow) | ((plane1 << 4) & ~kLow)};
    }

    void DecodeScaled(const RowIndices& rows, std::uint32_t* out, std::ptrdiff_t stride, int scale) const;
    template <std::size_t Scale>
    void DecodeFixed(const RowIndices& rows, std::uint32_t* out, std::ptrdiff_t stride) const;
    void DecodeAnyScale(const RowIndices& rows, std::uint32_t* out, std::ptrdiff_t stride, int scale) const;

    TileColours colours_;
    // Entry n: the four pixels whose plane-0 bits are n & 15 and plane-1 bits
    // n >> 4 (most significant bit = leftmost pixel), left to right.
    std::array<std::array<std::uint32_t, 4>, 256> quads_{};
};

// Fills the square a tile covers with one colour, under Decode's contract.
void FillTile(std::uint32_t colour, std::uint32_t* out, std::ptrdiff_t stride, int scale);

// The last few palettes drawn with. A block's four tiles share one palette and
// a stage has four, so tables are built once per palette rather than per tile.
class TilePaletteCache {
public:
    // The palette of these colours. The reference stays valid until the next call.
    const TilePalette& For(const TileColours& colours)
    {
        // Consecutive tiles mostly share a palette (the four tiles of a block).
        if (last_ != nullptr && SameColours(last_->colours(), colours))
            return *last_;
        return Find(colours);
    }

private:
    const TilePalette& Find(const TileColours& colours);

    std::array<std::unique_ptr<TilePalette>, 4> slots_;
    std::size_t next_ = 0;
    const TilePalette* last_ = nullptr;
};

} // namespace quorvan

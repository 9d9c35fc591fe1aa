#include "graphics/TileDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvan {

namespace {

// The two planes as eight-byte words. Every operation on them below stays
// inside its byte, so the result does not depend on the machine's byte order.
struct PlaneWords {
    std::uint64_t plane0;
    std::uint64_t plane1;
};

PlaneWords LoadPlanes(const TilePlanes& planes)
{
    PlaneWords words{};
    std::memcpy(&words.plane0, planes.data(), 8);
    std::memcpy(&words.plane1, planes.data() + 8, 8);
    return words;
}

} // namespace

std::array<int, 4> CountPixelValues(const TilePlanes& planes)
{
    const PlaneWords w = LoadPlanes(planes);
    const int ones = std::popcount(w.plane0 & ~w.plane1);
    const int twos = std::popcount(~w.plane0 & w.plane1);
    const int threes = std::popcount(w.plane0 & w.plane1);
    return {64 - ones - twos - threes, ones, twos, threes};
}

TilePalette::TilePalette(const TileColours& colours) : colours_(colours)
{
    // Two neighbouring pixels first: pair k has plane-0 bits k & 3 and plane-1
    // bits k >> 2 (the higher bit the left pixel). A quad is two pairs.
    std::array<std::array<std::uint32_t, 2>, 16> pairs{};
    for (std::uint32_t k = 0; k < 16; ++k) {
        pairs[k][0] = colours_[((k >> 1) & 1u) | (((k >> 3) & 1u) << 1)];
        pairs[k][1] = colours_[(k & 1u) | (((k >> 2) & 1u) << 1)];
    }
    for (std::uint32_t n = 0; n < 256; ++n) {
        const std::uint32_t plane0 = n & 15u;
        const std::uint32_t plane1 = n >> 4;
        const std::uint32_t left = (plane0 >> 2) | ((plane1 >> 2) << 2);
        const std::uint32_t right = (plane0 & 3u) | ((plane1 & 3u) << 2);
        std::memcpy(quads_[n].data(), pairs[left].data(), 8);
        std::memcpy(quads_[n].data() + 2, pairs[right].data(), 8);
    }
}

void TilePalette::DecodeScaled(const RowIndices& rows, std::uint32_t* out, std::ptrdiff_t stride, int scale) const
{
    // The usual zooms get copies of known length, which compilers inline as
    // vector moves; the level view and the block table draw at 2, the tile
    // editor at 8.
    switch (scale) {
    case 2: DecodeFixed<2>(rows, out, stride); break;
    case 4: DecodeFixed<4>(rows, out, stride); break;
    case 8: DecodeFixed<8>(rows, out, stride); break;
    default: DecodeAnyScale(rows, out, stride, scale); break;
    }
}

namespace {

// Four pixels, sixteen bytes: small enough for compilers to keep in one
// vector register and store with one move.
using Run = std::array<std::uint32_t, 4>;

void Store(std::uint32_t* to, const Run& run)
{
    std::memcpy(to, run.data(), sizeof run);
}

} // namespace

template <std::size_t Scale>
void TilePalette::DecodeFixed(const RowIndices& rows, std::uint32_t* out, std::ptrdiff_t stride) const
{
    static_assert(Scale == 2 || Scale % 4 == 0, "screen rows are built from runs of four pixels");
    for (std::size_t r = 0; r < 8; ++r) {
        const std::array<const Run*, 2> halves{&quads_[rows.Left(r)], &quads_[rows.Right(r)]};
        std::uint32_t* first = out + static_cast<std::ptrdiff_t>(r * Scale) * stride;
        // Every screen row of the tile row is stored straight from the table
        // entries (rebuilding a run costs less than storing it aside).
        for (std::size_t dy = 0; dy < Scale; ++dy) {
            std::uint32_t* line = first + static_cast<std::ptrdiff_t>(dy) * stride;
            for (std::size_t h = 0; h < 2; ++h) {
                const Run& q = *halves[h];
                std::uint32_t* half = line + h * 4 * Scale;
                if constexpr (Scale == 2) {
                    Store(half, Run{q[0], q[0], q[1], q[1]});
                    Store(half + 4, Run{q[2], q[2], q[3], q[3]});
                } else {
                    for (std::size_t c = 0; c < 4; ++c) {
                        const Run same{q[c], q[c], q[c], q[c]};
                        for (std::size_t k = 0; k < Scale; k += 4)
                            Store(half + c * Scale + k, same);
                    }
                }
            }
        }
    }
}

void TilePalette::DecodeAnyScale(const RowIndices& rows, std::uint32_t* out, std::ptrdiff_t stride, int scale) const
{
    const auto s = static_cast<std::size_t>(scale);
    for (std::size_t r = 0; r < 8; ++r) {
        std::array<std::uint32_t, 8> pixels;
        std::memcpy(pixels.data(), quads_[rows.Left(r)].data(), 16);
        std::memcpy(pixels.data() + 4, quads_[rows.Right(r)].data(), 16);
        // The first screen row of the tile row is built pixel by pixel; the
        // other scale - 1 rows are copies of it.
        std::uint32_t* first = out + static_cast<std::ptrdiff_t>(r * s) * stride;
        for (std::size_t c = 0; c < 8; ++c)
            std::fill_n(first + c * s, s, pixels[c]);
        for (std::size_t dy = 1; dy < s; ++dy)
            std::copy_n(first, 8 * s, first + static_cast<std::ptrdiff_t>(dy) * stride);
    }
}

void FillTile(std::uint32_t colour, std::uint32_t* out, std::ptrdiff_t stride, int scale)
{
    const auto span = static_cast<std::size_t>(8 * scale);
    for (std::size_t r = 0; r < span; ++r)
        std::fill_n(out + static_cast<std::ptrdiff_t>(r) * stride, span, colour);
}

const TilePalette& TilePaletteCache::Find(const TileColours& colours)
{
    for (const auto& slot : slots_) {
        if (slot && SameColours(slot->colours(), colours)) {
            last_ = slot.get();
            return *slot;
        }
    }
    // Replace the oldest entry.
    auto& slot = slots_[next_];
    next_ = (next_ + 1) % slots_.size();
    slot = std::make_unique<TilePalette>(colours);
    last_ = slot.get();
    return *slot;
}

} // namespace quorvan

#include "graphics/clsNesTiles.h"

#include "data/modGlobals.h"
#include "graphics/NesColours.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quorvan {

namespace {

// For a plane byte, bit k moved to bit 4k: one 4-bit lane per pixel.
constexpr std::array<std::uint32_t, 256> MakeSpreadBits()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t byte = 0; byte < 256; ++byte)
        for (std::uint32_t bit = 0; bit < 8; ++bit)
            table[byte] |= ((byte >> bit) & 1u) << (4 * bit);
    return table;
}

constexpr std::array<std::uint32_t, 256> kSpreadBits = MakeSpreadBits();

} // namespace

std::array<std::uint32_t, 64> NesPalette{};
std::unique_ptr<clsNesTiles> NesTiles;
BitmapInfoHeader SurfaceHeader{};
std::vector<std::uint32_t> SurfaceBits;

clsNesTiles& EnsureNesTiles()
{
    if (!NesTiles)
        NesTiles = std::make_unique<clsNesTiles>();
    return *NesTiles;
}

void ResetGraphicsGlobals()
{
    NesPalette.fill(0);
    NesTiles.reset();
    SurfaceHeader = {};
    SurfaceBits.clear();
    SurfaceBits.shrink_to_fit();
}

namespace {
// ResetGlobals() returns the drawing state to the start too.
[[maybe_unused]] const bool kResetRegistered = (RegisterGlobalsReset(&ResetGraphicsGlobals), true);
} // namespace

clsNesTiles::clsNesTiles()
{
    BuildColourTable();
}

void clsNesTiles::BuildColourTable()
{
    // Both copies hold the same values: ours for drawing, NesPalette for the editors.
    colours_ = kNesColours;
    NesPalette = kNesColours;
}

bool clsNesTiles::Init(PictureTarget& Tilebox, BitmapInfoHeader& pBih, std::vector<std::uint32_t>& bits)
{
    targetPicture_ = &Tilebox;
    const std::int64_t w = Tilebox.ScaleWidth();
    const std::int64_t h = Tilebox.ScaleHeight();
    // (3W - 3)(H - 1) entries: more than the W x H shown for every picture in use.
    const std::int64_t entries = (3 * w - 3) * (h - 1);
    constexpr std::int64_t kMaxEntries = std::numeric_limits<std::int32_t>::max();
    if (w <= 0 || h <= 0 || entries <= 0 || entries > kMaxEntries || entries < w * h) {
        ready_ = false;
        return true;
    }
    BitmapInfoHeader header;
    header.biSize = sizeof(BitmapInfoHeader);
    header.biWidth = static_cast<std::int32_t>(w);
    header.biHeight = static_cast<std::int32_t>(-h);
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = 0;
    header.biSizeImage = static_cast<std::uint32_t>(entries);
    pBih = header;

    // A fresh, zeroed buffer. The allocation is kept when the size is
    // unchanged, and the zeroing is one memset rather than an element loop.
    const auto count = static_cast<std::size_t>(entries);
    if (bits.size() != count)
        bits.resize(count);
    std::memset(bits.data(), 0, count * sizeof(std::uint32_t));
    ready_ = true;
    return false;
}

bool clsNesTiles::DrawTile(std::vector<std::uint32_t>& BitMapBuffer, std::span<const std::uint8_t> Tiledata,
                           std::int32_t Loc, std::uint8_t BackColour, std::uint8_t Colour1, std::uint8_t Colour2,
                           std::uint8_t Colour3, std::int32_t x, std::int32_t y, std::uint8_t Mulitply)
{
    if (!ready_ || targetPicture_ == nullptr)
        return false;
    const std::array<std::uint8_t, 4> numbers{BackColour, Colour1, Colour2, Colour3};
    std::array<std::uint32_t, 4> colours{};
    for (std::size_t i = 0; i < numbers.size(); ++i)
        colours[i] = numbers[i] < colours_.size() ? colours_[numbers[i]] : kFaultColour;
    // The row length is read at every call, from the picture's outer width.
    const std::int64_t rowLength = targetPicture_->Width();
    return PlotTile(BitMapBuffer, Tiledata, Loc, colours, x, y, Mulitply, rowLength);
}

bool clsNesTiles::PlotTile(std::vector<std::uint32_t>& buffer, std::span<const std::uint8_t> tiledata,
                           std::int64_t loc, const std::array<std::uint32_t, 4>& colours, std::int64_t x,
                           std::int64_t y, int scale, std::int64_t rowLength)
{
    // Tile bytes outside the data cannot be decoded: the whole tile is drawn in
    // the fault colour instead of reading outside the array.
    const bool tileInside = loc >= 0 && loc + 16 <= static_cast<std::int64_t>(tiledata.size());
    std::array<std::uint8_t, 16> planes{};
    if (tileInside)
        std::copy_n(tiledata.begin() + static_cast<std::ptrdiff_t>(loc), 16, planes.begin());

    // Colour of every tile pixel, row by row; bit 7 is the leftmost pixel.
    // Every entry is written below, so the array needs no clearing.
    std::array<std::uint32_t, 64> pixels;
    std::uint64_t faultPixels = 0;
    if (tileInside) {
        for (std::size_t r = 0; r < 8; ++r) {
            // Spread both plane bytes to one 4-bit lane per pixel, leftmost pixel
            // in the top lane, so each pixel value is two bits of one word.
            const std::uint32_t lanes = kSpreadBits[planes[r]] | (kSpreadBits[planes[r + 8]] << 1);
            for (std::size_t c = 0; c < 8; ++c)
                pixels[r * 8 + c] = colours[(lanes >> (28 - 4 * c)) & 3u];
        }
        // No table entry equals the fault colour, so it marks colour numbers above 63.
        if (std::find(colours.begin(), colours.end(), kFaultColour) != colours.end())
            faultPixels = static_cast<std::uint64_t>(std::count(pixels.begin(), pixels.end(), kFaultColour));
        faults_.badColourPixels += faultPixels;
    } else {
        pixels.fill(kFaultColour);
        ++faults_.badTiles;
    }
    const bool faulty = !tileInside || faultPixels > 0;

    if (scale <= 0)
        return !faulty; // a zero scale writes nothing
    const std::int64_t size = static_cast<std::int64_t>(buffer.size());
    const std::int64_t span = 8 * static_cast<std::int64_t>(scale);
    const std::int64_t first = y * rowLength + x;
    const std::int64_t last = (y + span - 1) * rowLength + x + span - 1;

    if (first >= 0 && last < size && rowLength >= span) {
        // Every target entry lies inside the buffer and no two of them coincide,
        // so the order of writing does not matter. Scales 1 and 2 (the block
        // table and the level view) get loops of their own.
        std::uint32_t* out = buffer.data() + (y * rowLength + x);
        if (scale == 1) {
            for (std::size_t r = 0; r < 8; ++r)
                std::copy_n(pixels.data() + r * 8, 8, out + static_cast<std::int64_t>(r) * rowLength);
        } else if (scale == 2) {
            for (std::size_t r = 0; r < 8; ++r) {
                std::uint32_t* top = out + static_cast<std::int64_t>(2 * r) * rowLength;
                std::uint32_t* bottom = top + rowLength;
                for (std::size_t c = 0; c < 8; ++c) {
                    const std::uint32_t colour = pixels[r * 8 + c];
                    top[2 * c] = top[2 * c + 1] = bottom[2 * c] = bottom[2 * c + 1] = colour;
                }
            }
        } else {
            for (int r = 0; r < 8; ++r) {
                for (int dy = 0; dy < scale; ++dy) {
                    std::uint32_t* row = out + (std::int64_t{r} * scale + dy) * rowLength;
                    for (int c = 0; c < 8; ++c)
                        std::fill_n(row + c * scale, scale, pixels[static_cast<std::size_t>(r * 8 + c)]);
                }
            }
        }
        return !faulty;
    }

    // Some entry lies outside the buffer, or the tile is wider than a row: write
    // in the tile's own order (row, column, then the square's rows and columns)
    // and stop at the first entry past the end. An entry before the start is
    // treated alike rather than written outside the buffer.
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            const std::uint32_t colour = pixels[static_cast<std::size_t>(r * 8 + c)];
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    const std::int64_t entry = (y + r * scale + dy) * rowLength + x + c * scale + dx;
                    if (entry < 0 || entry >= size)
                        return false;
                    buffer[static_cast<std::size_t>(entry)] = colour;
                }
            }
        }
    }
    return !faulty;
}

std::int32_t clsNesTiles::RenderPic(const BitmapInfoHeader& pbmi, const std::vector<std::uint32_t>& bits)
{
    if (!ready_ || targetPicture_ == nullptr)
        return 0;
    const int lines = targetPicture_->ScaleHeight();
    // Never hand over more rows than the buffer holds.
    const std::int64_t width = pbmi.biWidth;
    if (width <= 0 || lines <= 0 || width * lines > static_cast<std::int64_t>(bits.size()))
        return 0;
    const int copied = targetPicture_->SetBits(pbmi, bits.data(), lines);
    targetPicture_->Refresh();
    return copied;
}

} // namespace quorvan

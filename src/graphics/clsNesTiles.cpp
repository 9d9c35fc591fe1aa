#include "graphics/clsNesTiles.h"

#include "data/modGlobals.h"
#include "graphics/NesColours.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quorvan {

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

inline const clsNesTiles::ChosenPalette& clsNesTiles::Choose(std::uint8_t c0, std::uint8_t c1, std::uint8_t c2,
                                                     std::uint8_t c3)
{
    const std::uint32_t numbers = c0 | (std::uint32_t{c1} << 8) | (std::uint32_t{c2} << 16) | (std::uint32_t{c3} << 24);
    if (chosen_.palette == nullptr || chosen_.numbers != numbers)
        ChooseAnew(numbers, {c0, c1, c2, c3});
    return chosen_;
}

// Inline: DrawTile is its only caller, and at scale 1 a call costs as much as the tile.
inline bool clsNesTiles::PlotTile(std::vector<std::uint32_t>& buffer, std::span<const std::uint8_t> tiledata,
                                  std::int64_t loc, const ChosenPalette& chosen, std::int64_t x, std::int64_t y,
                                  int scale, std::int64_t rowLength)
{
    // Tile bytes outside the data cannot be decoded: the whole tile is drawn in
    // the fault colour instead of reading outside the array.
    const bool tileInside = loc >= 0 && loc + 16 <= static_cast<std::int64_t>(tiledata.size());
    const std::uint8_t* tile = tileInside ? tiledata.data() + loc : nullptr;
    std::uint64_t faultPixels = 0;
    if (!tileInside) {
        ++faults_.badTiles;
    } else if (chosen.faulty) {
        // No table entry equals the fault colour, so it marks colour numbers above 63.
        TilePlanes planes;
        std::copy_n(tile, planes.size(), planes.begin());
        faultPixels = CountPixelsOfColour(planes, chosen.palette->colours(), kFaultColour);
        faults_.badColourPixels += faultPixels;
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
        // so the order of writing does not matter.
        std::uint32_t* out = buffer.data() + first;
        if (tileInside)
            chosen.palette->Decode(tile, out, rowLength, scale);
        else
            FillTile(kFaultColour, out, rowLength, scale);
        return !faulty;
    }

    return PlotTileInOrder(buffer, tile, *chosen.palette, x, y, scale, rowLength) && !faulty;
}

bool clsNesTiles::PlotTileInOrder(std::vector<std::uint32_t>& buffer, const std::uint8_t* tile,
                                  const TilePalette& palette, std::int64_t x, std::int64_t y, int scale,
                                  std::int64_t rowLength)
{
    // Some entry lies outside the buffer, or the tile is wider than a row: write
    // in the tile's own order (row, column, then the square's rows and columns)
    // and stop at the first entry past the end. An entry before the start is
    // treated alike rather than written outside the buffer.
    std::array<std::uint32_t, 64> pixels;
    if (tile != nullptr)
        palette.Decode(tile, pixels.data(), 8, 1);
    else
        pixels.fill(kFaultColour);
    const std::int64_t size = static_cast<std::int64_t>(buffer.size());
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
    return true;
}

bool clsNesTiles::DrawTileChecked(std::vector<std::uint32_t>& buffer, std::span<const std::uint8_t> tiledata,
                                  std::int32_t loc, std::uint8_t c0, std::uint8_t c1, std::uint8_t c2, std::uint8_t c3,
                                  std::int32_t x, std::int32_t y, std::uint8_t scale)
{
    if (!ready_ || targetPicture_ == nullptr)
        return false;
    const ChosenPalette& chosen = Choose(c0, c1, c2, c3);
    // The row length is read at every call, from the picture's outer width.
    const std::int64_t rowLength = targetPicture_->Width();
    return PlotTile(buffer, tiledata, loc, chosen, x, y, scale, rowLength);
}

void clsNesTiles::ChooseAnew(std::uint32_t numbers, const std::array<std::uint8_t, 4>& each)
{
    std::array<std::uint32_t, 4> colours{};
    bool faulty = false;
    for (std::size_t i = 0; i < each.size(); ++i) {
        faulty = faulty || each[i] >= colours_.size();
        colours[i] = each[i] < colours_.size() ? colours_[each[i]] : kFaultColour;
    }
    chosen_ = {numbers, &palettes_.For(colours), faulty};
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

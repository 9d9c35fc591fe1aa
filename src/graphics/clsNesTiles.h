#pragma once
// The NES tile renderer: decodes 8x8 two-plane tiles into a 32-bit pixel
// buffer (the shared draw surface) and hands the finished buffer to a picture.

#include "graphics/PictureTarget.h"
#include "graphics/RenderFaults.h"
#include "graphics/TileDecoder.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace quorvan {

// The 40-byte bitmap header that describes the draw surface.
struct BitmapInfoHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0; // negative: top-down, row 0 at the top
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "the header is 40 bytes");

class clsNesTiles {
public:
    clsNesTiles(); // builds the colour table

    // Decodes the tile at Tiledata[Loc .. Loc + 15] with the four colour numbers
    // at (x, y) of the bound picture, each tile pixel a Mulitply x Mulitply square.
    // Returns true when every pixel was written from sound data; false before a
    // successful Init (nothing written), when a pixel fell beyond the buffer's
    // end (drawing stops there, earlier pixels stay), or when a colour number
    // above 63 or tile bytes outside Tiledata made pixels come out in
    // kFaultColour (they are still drawn, and counted in Faults()).
    // Rows are not clipped: the row length is the picture's outer width.
    inline bool DrawTile(std::vector<std::uint32_t>& BitMapBuffer, std::span<const std::uint8_t> Tiledata,
                         std::int32_t Loc, std::uint8_t BackColour, std::uint8_t Colour1, std::uint8_t Colour2,
                         std::uint8_t Colour3, std::int32_t x, std::int32_t y, std::uint8_t Mulitply);

    // Puts the buffer into the bound picture's back buffer and repaints it.
    // Returns the number of rows copied, 0 before a successful Init.
    std::int32_t RenderPic(const BitmapInfoHeader& pbmi, const std::vector<std::uint32_t>& bits);

    // Binds the picture, fills the header and sizes the buffer to
    // (3W - 3)(H - 1) zeroed entries. Returns true when the set-up failed: a
    // size that is not positive, too large, or too small to hold the W x H
    // pixels shown (such as a picture one pixel high or 2 x 2); header and
    // buffer are then left as they were and the renderer is not Ready.
    bool Init(PictureTarget& Tilebox, BitmapInfoHeader& pBih, std::vector<std::uint32_t>& bits);

    bool Ready() const { return ready_; }
    PictureTarget* TargetPicture() const { return targetPicture_; }
    const std::array<std::uint32_t, 64>& Colours() const { return colours_; }

    const RenderFaults& Faults() const { return faults_; }
    void NoteBadRead() { ++faults_.badReads; }
    // A colour shown outside a tile (an editor's swatch) whose number was above 63.
    void NoteBadColour() { ++faults_.badColourPixels; }
    // Faults met by drawing done elsewhere (the compositor), so that the
    // counters a redraw compares include them.
    void NoteFaults(const RenderFaults& more) { faults_ += more; }

private:
    // DrawTile for every case: palettes met for the first time or with numbers
    // above 63, tiles outside the data or the buffer, scale 0.
    bool DrawTileChecked(std::vector<std::uint32_t>& buffer, std::span<const std::uint8_t> tiledata, std::int32_t loc,
                         std::uint8_t c0, std::uint8_t c1, std::uint8_t c2, std::uint8_t c3, std::int32_t x,
                         std::int32_t y, std::uint8_t scale);
    void BuildColourTable();
    // The palette of the colour numbers last drawn with: consecutive tiles
    // mostly share them (the four tiles of a block), so looking them up, and
    // finding out whether some number lies above 63, happens once for them.
    struct ChosenPalette {
        std::uint32_t numbers = 0; // the four colour numbers, one per byte
        const TilePalette* palette = nullptr;
        bool faulty = false; // some number above 63: its pixels come out in kFaultColour
    };
    const ChosenPalette& Choose(std::uint8_t c0, std::uint8_t c1, std::uint8_t c2, std::uint8_t c3);
    void ChooseAnew(std::uint32_t numbers, const std::array<std::uint8_t, 4>& each);
    bool PlotTile(std::vector<std::uint32_t>& buffer, std::span<const std::uint8_t> tiledata, std::int64_t loc,
                  const ChosenPalette& chosen, std::int64_t x, std::int64_t y, int scale, std::int64_t rowLength);
    bool PlotTileInOrder(std::vector<std::uint32_t>& buffer, const std::uint8_t* tile, const TilePalette& palette,
                         std::int64_t x, std::int64_t y, int scale, std::int64_t rowLength);

    PictureTarget* targetPicture_ = nullptr;
    std::array<std::uint32_t, 64> colours_{};
    bool ready_ = false;
    RenderFaults faults_;
    TilePaletteCache palettes_;
    ChosenPalette chosen_;
};

inline bool clsNesTiles::DrawTile(std::vector<std::uint32_t>& BitMapBuffer, std::span<const std::uint8_t> Tiledata,
                                  std::int32_t Loc, std::uint8_t BackColour, std::uint8_t Colour1, std::uint8_t Colour2,
                                  std::uint8_t Colour3, std::int32_t x, std::int32_t y, std::uint8_t Mulitply)
{
    // The usual call is kept inline, because at scale 1 a call costs about as
    // much as the tile: the colour numbers of the last call, none above 63, and
    // every entry of the tile inside both the data and the buffer. Whatever
    // else may happen (a fault to count, a partial tile) takes the full path.
    const std::uint32_t numbers = BackColour | (std::uint32_t{Colour1} << 8) | (std::uint32_t{Colour2} << 16) |
                                  (std::uint32_t{Colour3} << 24);
    if (ready_ && targetPicture_ != nullptr && chosen_.palette != nullptr && chosen_.numbers == numbers &&
        !chosen_.faulty && Mulitply != 0 && Loc >= 0 &&
        std::int64_t{Loc} + 16 <= static_cast<std::int64_t>(Tiledata.size())) {
        const std::int64_t rowLength = targetPicture_->Width();
        const std::int64_t span = 8 * std::int64_t{Mulitply};
        const std::int64_t first = std::int64_t{y} * rowLength + x;
        const std::int64_t last = (std::int64_t{y} + span - 1) * rowLength + x + span - 1;
        if (first >= 0 && last < static_cast<std::int64_t>(BitMapBuffer.size()) && rowLength >= span) {
            chosen_.palette->Decode(Tiledata.data() + Loc, BitMapBuffer.data() + first, rowLength, Mulitply);
            return true;
        }
    }
    return DrawTileChecked(BitMapBuffer, Tiledata, Loc, BackColour, Colour1, Colour2, Colour3, x, y, Mulitply);
}

// Drawing globals: the master palette as read by the editors (zeros until the
// renderer exists), the renderer, and the shared draw surface.
extern std::array<std::uint32_t, 64> NesPalette;
extern std::unique_ptr<clsNesTiles> NesTiles;
extern BitmapInfoHeader SurfaceHeader;
extern std::vector<std::uint32_t> SurfaceBits;

// Creates the renderer (and so fills NesPalette) if it does not exist yet.
clsNesTiles& EnsureNesTiles();

void ResetGraphicsGlobals();

} // namespace quorvan

#pragma once
// The tests' one reference renderer: tiles, blocks, rooms, table pages and
// stage maps drawn here pixel by pixel from the image bytes and the tile
// format, without the program's compositor, tile decoder or drawing state.
// Only the stage table's offsets are the program's. Every picture a view,
// an export or a tool window shows is compared against these.
//
// Pixels are 0xFFRRGGBB in Format_RGB32 pictures; what cannot be read (a
// byte past the end of the image, a colour number above 63) is kFaultColour.

#include "data/Stages.h"
#include "graphics/NesColours.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quorvan::test {

using ImageData = std::vector<std::uint8_t>;

// The byte at `offset`, or -1 past either end of the image.
inline int ByteAt(const ImageData& image, std::int64_t offset)
{
    return offset >= 0 && offset < static_cast<std::int64_t>(image.size()) ? image[static_cast<std::size_t>(offset)] : -1;
}

// The stage table in effect for an image of this length (rows 0..10).
inline StageInfo StageRow(const ImageData& image, int stage)
{
    return (*StagesForLength(image.size()))[static_cast<std::size_t>(stage)];
}

// Where tile `tile` of stage row `stage` starts: tiles 0x80..0xFF of rows
// 0..7 are those of row 0's tile set, every other tile its own row's.
inline std::int64_t TileStart(const ImageData& image, int stage, int tile)
{
    const int row = tile >= 0x80 && stage < 8 ? 0 : stage;
    return std::int64_t{StageRow(image, row).TileData} + std::int64_t{tile} * 16;
}

// The value (0..3) of pixel (column, row) of a tile's 16 bytes: bit 7 - column
// of the row's byte in the first plane is bit 0 of the value, the same bit
// eight bytes on is bit 1.
inline int PlanePixel(const std::uint8_t* tile, int column, int row)
{
    return ((tile[row] >> (7 - column)) & 1) | (((tile[8 + row] >> (7 - column)) & 1) << 1);
}

// The same for the tile whose bytes start at `start` of the image; -1 when the
// tile lies outside it.
inline int TilePixel(const ImageData& image, std::int64_t start, int column, int row)
{
    if (ByteAt(image, start) < 0 || ByteAt(image, start + 15) < 0)
        return -1;
    return PlanePixel(image.data() + start, column, row);
}

// The 64 values of a tile of stage row `stage`, row by row.
inline std::vector<int> TileValues(const ImageData& image, int stage, int tile)
{
    std::vector<int> values;
    for (int p = 0; p < 64; ++p)
        values.push_back(TilePixel(image, TileStart(image, stage, tile), p % 8, p / 8));
    return values;
}

// The colour of a colour number (0..63), else the fault colour.
inline std::uint32_t ColourOfNumber(int number)
{
    return number >= 0 && number < 64 ? kNesColours[static_cast<std::size_t>(number)] : kFaultColour;
}

// Tile `tile` of stage row `stage` (tiles 0x80..0xFF of rows 0..7 from row 0's
// set) in palette `palette` (0..3) of that row, `scale` pixels per tile pixel,
// its top-left corner at (x0, y0) of `picture`.
inline void DrawReferenceTile(QImage& picture, const ImageData& image, int stage, int palette, int tile, int scale,
                              int x0, int y0)
{
    const std::int64_t colours = std::int64_t{StageRow(image, stage).Palettes} + palette * 4;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int value = TilePixel(image, TileStart(image, stage, tile), x, y);
            const std::uint32_t colour = value < 0 ? kFaultColour : ColourOfNumber(ByteAt(image, colours + value));
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    if (picture.rect().contains(x0 + x * scale + dx, y0 + y * scale + dy))
                        picture.setPixel(x0 + x * scale + dx, y0 + y * scale + dy, 0xFF000000u | colour);
        }
    }
}

// Block `block` of stage row `stage`, 16 * scale pixels square, its top-left
// corner at (x0, y0) of `picture`; a block number < 0 (a cell past the end)
// is drawn all in the fault colour, and so is a tile whose number or palette
// cannot be read.
inline void DrawReferenceBlock(QImage& picture, const ImageData& image, int stage, int block, int scale, int x0, int y0)
{
    const StageInfo info = StageRow(image, stage);
    const int attribute = block < 0 ? -1 : ByteAt(image, std::int64_t{info.BlockAttributes} + block);
    for (int k = 0; k < 4; ++k) {
        const int tile = block < 0 ? -1 : ByteAt(image, std::int64_t{info.BlockTiles} + block * 4 + k);
        const int left = x0 + (k % 2) * 8 * scale;
        const int top = y0 + (k / 2) * 8 * scale;
        if (tile >= 0 && attribute >= 0) {
            DrawReferenceTile(picture, image, stage, attribute & 3, tile, scale, left, top);
            continue;
        }
        const QRect box = QRect(left, top, 8 * scale, 8 * scale).intersected(picture.rect());
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                picture.setPixel(x, y, 0xFF000000u | kFaultColour);
    }
}

inline QImage ReferenceBlock(const ImageData& image, int stage, int block, int scale)
{
    QImage picture(16 * scale, 16 * scale, QImage::Format_RGB32);
    DrawReferenceBlock(picture, image, stage, block, scale, 0, 0);
    return picture;
}

// Room `room` of stage row `stage` at `scale`, drawn at (x0, 0) of `picture`.
inline void DrawExpectedRoom(QImage& picture, const ImageData& image, int stage, int room, int scale, int x0)
{
    const StageInfo info = StageRow(image, stage);
    for (int w = 0; w < 12; ++w)
        for (int c = 0; c < 16; ++c)
            DrawReferenceBlock(picture, image, stage,
                               ByteAt(image, std::int64_t{info.RoomData} + std::int64_t{room} * 192 + w * 16 + c), scale,
                               x0 + c * 16 * scale, w * 16 * scale);
}

inline QImage ReferenceRoom(const ImageData& image, int stage, int room, int scale)
{
    QImage picture(256 * scale, 192 * scale, QImage::Format_RGB32);
    DrawExpectedRoom(picture, image, stage, room, scale, 0);
    return picture;
}

// Page `page` of the block table: two blocks across, eight down.
inline QImage ReferencePage(const ImageData& image, int stage, int page, int scale)
{
    QImage picture(32 * scale, 128 * scale, QImage::Format_RGB32);
    for (int i = 0; i < 16; ++i)
        DrawReferenceBlock(picture, image, stage, page * 16 + i, scale, (i % 2) * 16 * scale, (i / 2) * 16 * scale);
    return picture;
}

// The highest room other than 255 that the room list of stage row `stage` names (0 for none).
inline int LastListedRoom(const ImageData& image, int stage)
{
    const StageInfo info = StageRow(image, stage);
    int last = 0;
    for (std::int64_t i = info.RoomList; i < info.RoomData; ++i)
        if (ByteAt(image, i) != 255)
            last = std::max(last, ByteAt(image, i));
    return last;
}

// Rooms first..last side by side at `scale`.
inline QImage ExpectedRooms(const ImageData& image, int stage, int first, int last, int scale)
{
    QImage picture((last - first + 1) * 256 * scale, 192 * scale, QImage::Format_RGB32);
    for (int room = first; room <= last; ++room)
        DrawExpectedRoom(picture, image, stage, room, scale, (room - first) * 256 * scale);
    return picture;
}

// The tile editor's picture of a block: the block at scale 8 under a white
// line before every tile pixel and a white cross three pixels wide between
// the tiles.
inline QImage ReferenceEditorBlock(const ImageData& image, int stage, int block);

// The stage's 256 tiles, 16 across in tile order, at `scale` (no grid).
inline QImage ReferenceTileSheet(const ImageData& image, int stage, int palette, int scale)
{
    QImage picture(128 * scale, 128 * scale, QImage::Format_RGB32);
    for (int tile = 0; tile < 256; ++tile)
        DrawReferenceTile(picture, image, stage, palette, tile, scale, (tile % 16) * 8 * scale, (tile / 16) * 8 * scale);
    return picture;
}

// White grid lines over a picture of cells `step` pixels wide: on the top and
// left edge of every cell, as the views draw them.
inline QImage WithGrid(QImage picture, int step)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (x % step == 0 || y % step == 0)
                picture.setPixel(x, y, 0xFFFFFFFFu);
    return picture;
}

// The tile sheet as the window shows it: the stage's tiles at scale 2 under
// the white grid of its cells; and one tile at scale 16 under the white grid
// of its pixels, as its pixel editor shows it.
inline QImage ReferenceSheet(const ImageData& image, int stage, int palette)
{
    return WithGrid(ReferenceTileSheet(image, stage, palette, 2), 16);
}

inline QImage ReferenceTileZoom(const ImageData& image, int stage, int palette, int tile)
{
    QImage picture(128, 128, QImage::Format_RGB32);
    DrawReferenceTile(picture, image, stage, palette, tile, 16, 0, 0);
    return WithGrid(picture, 16);
}

inline QImage ReferenceEditorBlock(const ImageData& image, int stage, int block)
{
    QImage picture = WithGrid(ReferenceBlock(image, stage, block, 8), 8);
    for (int k = 63; k <= 65; ++k) {
        for (int i = 0; i < 128; ++i) {
            picture.setPixel(k, i, 0xFFFFFFFFu);
            picture.setPixel(i, k, 0xFFFFFFFFu);
        }
    }
    return picture;
}

// The number of pixels in which two pictures differ, or -1 when their sizes do.
inline qint64 PixelsDiffering(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 count = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            count += (p[col] & 0xFFFFFFu) != (q[col] & 0xFFFFFFu) ? 1 : 0;
    }
    return count;
}

} // namespace quorvan::test

#pragma once
// Rooms and stage maps composed here from the image bytes, pixel by pixel from
// the tile format, without the program's compositor or tile decoder: what an
// exported picture must show. Only the stage table's offsets are the program's.

#include "data/Stages.h"
#include "graphics/NesColours.h"

#include <QImage>

#include <algorithm>

#include <cstdint>
#include <vector>

namespace quorvan::test {

// Room `room` of stage row `stage` at `scale`, drawn at (x0, 0) of `picture`
// (Format_RGB32, large enough).
inline void DrawExpectedRoom(QImage& picture, const std::vector<std::uint8_t>& image, int stage, int room, int scale,
                             int x0)
{
    const StageTable table = *StagesForLength(image.size());
    const StageInfo& info = table[static_cast<std::size_t>(stage)];
    const auto size = static_cast<std::int64_t>(image.size());
    const auto byteAt = [&](std::int64_t offset) -> int {
        return offset >= 0 && offset < size ? image[static_cast<std::size_t>(offset)] : -1;
    };
    const auto put = [&](int x, int y, std::uint32_t colour) {
        for (int dy = 0; dy < scale; ++dy)
            for (int dx = 0; dx < scale; ++dx)
                picture.setPixel(x0 + x * scale + dx, y * scale + dy, colour);
    };
    for (int w = 0; w < 12; ++w) {
        for (int c = 0; c < 16; ++c) {
            const int block = byteAt(std::int64_t{info.RoomData} + std::int64_t{room} * 192 + w * 16 + c);
            for (int k = 0; k < 4; ++k) {
                const int left = c * 16 + (k % 2) * 8;
                const int top = w * 16 + (k / 2) * 8;
                const int tile = block < 0 ? -1 : byteAt(std::int64_t{info.BlockTiles} + block * 4 + k);
                const int palette = block < 0 ? 0 : byteAt(std::int64_t{info.BlockAttributes} + block) & 3;
                // Upper tiles of the first eight stages come from the first stage's tile set.
                const std::int64_t base = tile >= 0x80 && stage < 8 ? table[0].TileData : info.TileData;
                const std::int64_t at = base + std::int64_t{tile} * 16;
                const bool tileInside = tile >= 0 && at >= 0 && at + 16 <= size;
                for (int y = 0; y < 8; ++y) {
                    for (int x = 0; x < 8; ++x) {
                        std::uint32_t colour = kFaultColour;
                        if (tileInside) {
                            const int low = (image[static_cast<std::size_t>(at + y)] >> (7 - x)) & 1;
                            const int high = (image[static_cast<std::size_t>(at + 8 + y)] >> (7 - x)) & 1;
                            const int number = byteAt(std::int64_t{info.Palettes} + palette * 4 + low + 2 * high);
                            colour = number >= 0 && number < 64 ? kNesColours[static_cast<std::size_t>(number)]
                                                                : kFaultColour;
                        }
                        put(left + x, top + y, 0xFF000000u | colour);
                    }
                }
            }
        }
    }
}

// The highest room other than 255 that the room list of stage row `stage` names (0 for none).
inline int LastListedRoom(const std::vector<std::uint8_t>& image, int stage)
{
    const StageInfo info = (*StagesForLength(image.size()))[static_cast<std::size_t>(stage)];
    int last = 0;
    for (std::int64_t i = info.RoomList; i < info.RoomData; ++i)
        if (image[static_cast<std::size_t>(i)] != 255)
            last = std::max<int>(last, image[static_cast<std::size_t>(i)]);
    return last;
}

// Rooms first..last side by side at `scale`.
inline QImage ExpectedRooms(const std::vector<std::uint8_t>& image, int stage, int first, int last, int scale)
{
    QImage picture((last - first + 1) * 256 * scale, 192 * scale, QImage::Format_RGB32);
    for (int room = first; room <= last; ++room)
        DrawExpectedRoom(picture, image, stage, room, scale, (room - first) * 256 * scale);
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

#include "graphics/RoomMarks.h"

namespace quorvan {

namespace {

class MarkPainter {
public:
    explicit MarkPainter(PixelView target) : target_(target) {}

    void Plot(std::int64_t x, std::int64_t y, std::uint32_t colour)
    {
        if (x < 0 || y < 0 || x >= target_.width || y >= target_.height)
            return;
        target_.pixels[y * target_.stride + x] = colour;
    }

    // A one-pixel outline of the square [left, left + side) x [top, top + side).
    void Ring(std::int64_t left, std::int64_t top, std::int64_t side, std::uint32_t colour)
    {
        if (side <= 0)
            return;
        for (std::int64_t i = 0; i < side; ++i) {
            Plot(left + i, top, colour);
            Plot(left + i, top + side - 1, colour);
            Plot(left, top + i, colour);
            Plot(left + side - 1, top + i, colour);
        }
    }

    // Rings `inset`, `inset` + 1, ... (`count` of them) in from a cell's edge.
    void Rings(std::int64_t left, std::int64_t top, int side, int inset, int count, std::uint32_t colour)
    {
        for (int i = inset; i < inset + count; ++i)
            Ring(left + i, top + i, side - 2 * i, colour);
    }

    // The corner triangle with legs `legs` long, outlined `outline` pixels wide.
    void Triangle(std::int64_t left, std::int64_t top, int side, int legs, int outline)
    {
        // Counted from the corner, u leftwards and v downwards, the triangle
        // holds u + v < legs. A pixel within `outline` of a leg or of the long
        // side is outline, so that whatever colour the block has, either the
        // outline or the red inside stands apart from it and shows the shape.
        for (int v = 0; v < legs; ++v) {
            for (int u = 0; u < legs - v; ++u) {
                const bool edge = v < outline || u < outline || u + v >= legs - outline;
                Plot(left + side - 1 - u, top + v, edge ? kMarkEdgeColour : kChangeMarkColour);
            }
        }
    }

private:
    PixelView target_;
};

} // namespace

void DrawRoomMarks(PixelView target, int x, int y, int scale, const RoomMarks& marks)
{
    if (!target.valid() || scale < 1 || scale > kMaxComposeScale || !marks.any())
        return;
    MarkPainter painter(target);
    const int side = kBlockSide * scale;
    const auto origin = [&](int cell, std::int64_t& left, std::int64_t& top) {
        left = x + std::int64_t{cell % kRoomColumns} * side;
        top = y + std::int64_t{cell / kRoomColumns} * side;
    };
    std::int64_t left = 0;
    std::int64_t top = 0;
    const int useInset = scale - 1;
    for (int cell = 0; cell < kRoomCells; ++cell) {
        if (!marks.uses.test(static_cast<std::size_t>(cell)))
            continue;
        origin(cell, left, top);
        painter.Rings(left, top, side, useInset, 1, kUseMarkColour);
        painter.Rings(left, top, side, useInset + 1, 1, kMarkEdgeColour);
    }
    for (int cell = 0; cell < kRoomCells; ++cell) {
        if (!marks.changed.test(static_cast<std::size_t>(cell)))
            continue;
        origin(cell, left, top);
        painter.Triangle(left, top, side, ChangeMarkLegs(scale), ChangeMarkOutline(scale));
    }
    if (marks.found >= 0 && marks.found < kRoomCells) {
        origin(marks.found, left, top);
        painter.Rings(left, top, side, 0, scale, kFoundMarkColour);
        painter.Rings(left, top, side, scale, scale, kMarkEdgeColour);
    }
}

} // namespace quorvan

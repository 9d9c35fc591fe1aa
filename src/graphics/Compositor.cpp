#include "graphics/Compositor.h"

#include "graphics/BlockParts.h"
#include "graphics/NesColours.h"
#include "graphics/TileDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace quorvan {

namespace {

bool ScaleAllowed(int scale)
{
    return scale >= 1 && scale <= kMaxComposeScale;
}

bool BlockAllowed(std::int32_t number)
{
    return number >= 0 && number <= 255;
}

TileColours ColoursOf(const BlockParts& parts)
{
    TileColours colours{};
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = NesColourOrFault(parts.colours[i]);
    return colours;
}

// The tile's 16 bytes; false when they do not all lie inside the image.
bool ReadPlanes(std::span<const std::uint8_t> image, std::int32_t offset, TilePlanes& planes)
{
    if (offset < 0 || std::int64_t{offset} + 16 > static_cast<std::int64_t>(image.size()))
        return false;
    std::copy_n(image.begin() + offset, 16, planes.begin());
    return true;
}

// What drawing the block costs in faults, counted as the tile renderer counts
// them for DrawBlock: one bad read for the block, then per tile either one bad
// tile or its pixels whose colour number is above 63.
RenderFaults FaultsOf(const BlockParts& parts, std::span<const std::uint8_t> image)
{
    RenderFaults faults;
    faults.badReads = parts.readOutside ? 1 : 0;
    const TileColours colours = ColoursOf(parts);
    for (const std::int32_t offset : parts.tileOffsets) {
        TilePlanes planes;
        if (ReadPlanes(image, offset, planes))
            faults.badColourPixels += CountPixelsOfColour(planes, colours, kFaultColour);
        else
            ++faults.badTiles;
    }
    return faults;
}

// The part of a side x side square at (x, y) that lies inside the target, in
// the square's own coordinates: columns [left, right), rows [top, bottom).
struct Overlap {
    int left = 0, top = 0, right = 0, bottom = 0;

    bool empty() const { return left >= right || top >= bottom; }
    bool whole(int side) const { return left == 0 && top == 0 && right == side && bottom == side; }
};

Overlap OverlapOf(const PixelView& target, std::int64_t x, std::int64_t y, int side)
{
    Overlap o;
    o.left = static_cast<int>(std::clamp<std::int64_t>(-x, 0, side));
    o.top = static_cast<int>(std::clamp<std::int64_t>(-y, 0, side));
    o.right = static_cast<int>(std::clamp<std::int64_t>(target.width - x, 0, side));
    o.bottom = static_cast<int>(std::clamp<std::int64_t>(target.height - y, 0, side));
    return o;
}

// The palette tables outlive one composition: a view that redraws a few
// cells at a time (at every step of a stroke) would otherwise build a table
// for every cell it draws.
TilePaletteCache& Palettes()
{
    thread_local TilePaletteCache cache;
    return cache;
}

// Draws blocks into one target, keeping the scratch space of one composition.
class Painter {
public:
    Painter(PixelView target, std::span<const std::uint8_t> image) : target_(target), image_(image) {}

    // Draws the block as a (16 * scale)-pixel square at (x, y), clipped to the
    // target. Returns where it was drawn when the square lies wholly inside
    // (a later cell of the same block may copy it from there), else nullptr.
    const std::uint32_t* Block(const BlockParts& parts, std::int64_t x, std::int64_t y, int scale)
    {
        const int side = kBlockSide * scale;
        const Overlap o = OverlapOf(target_, x, y, side);
        if (o.empty())
            return nullptr;
        if (o.whole(side)) {
            std::uint32_t* out = At(x, y);
            Paint(parts, out, target_.stride, scale);
            return out;
        }
        // Partly visible: draw the whole square aside and copy the visible part.
        scratch_.resize(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
        Paint(parts, scratch_.data(), side, scale);
        const auto bytes = static_cast<std::size_t>(o.right - o.left) * sizeof(std::uint32_t);
        for (int r = o.top; r < o.bottom; ++r)
            std::memcpy(At(x + o.left, y + r), scratch_.data() + static_cast<std::ptrdiff_t>(r) * side + o.left, bytes);
        return nullptr;
    }

    // Copies a square drawn earlier by Block to (x, y), which must lie wholly inside.
    void Copy(const std::uint32_t* from, std::int64_t x, std::int64_t y, int side)
    {
        // A row is a whole number of 16-pixel runs; copies of that fixed length
        // become a few vector moves, where one copy of the row's length would
        // be a library call or a string instruction slow to start.
        constexpr int kRun = kBlockSide;
        std::uint32_t* to = At(x, y);
        for (int r = 0; r < side; ++r) {
            const std::ptrdiff_t row = r * target_.stride;
            for (int c = 0; c < side; c += kRun)
                std::memcpy(to + row + c, from + row + c, kRun * sizeof(std::uint32_t));
        }
    }

    // Fills a side x side square at (x, y) with one colour, clipped.
    void Fill(std::uint32_t colour, std::int64_t x, std::int64_t y, int side)
    {
        const Overlap o = OverlapOf(target_, x, y, side);
        if (o.empty())
            return;
        for (int r = o.top; r < o.bottom; ++r)
            std::fill_n(At(x + o.left, y + r), o.right - o.left, colour);
    }

    bool Inside(std::int64_t x, std::int64_t y, int side) const
    {
        return OverlapOf(target_, x, y, side).whole(side);
    }

private:
    std::uint32_t* At(std::int64_t x, std::int64_t y) const { return target_.pixels + y * target_.stride + x; }

    void Paint(const BlockParts& parts, std::uint32_t* out, std::ptrdiff_t stride, int scale)
    {
        const TilePalette& palette = palettes_.For(ColoursOf(parts));
        const std::ptrdiff_t step = 8 * static_cast<std::ptrdiff_t>(scale);
        const std::array<std::ptrdiff_t, 4> corners{0, step, step * stride, step * stride + step};
        for (std::size_t k = 0; k < 4; ++k) {
            TilePlanes planes;
            if (ReadPlanes(image_, parts.tileOffsets[k], planes))
                palette.Decode(planes, out + corners[k], stride, scale);
            else
                FillTile(kFaultColour, out + corners[k], stride, scale);
        }
    }

    PixelView target_;
    std::span<const std::uint8_t> image_;
    TilePaletteCache& palettes_ = Palettes();
    std::vector<std::uint32_t> scratch_;
};

} // namespace

PixelView ViewOf(QImage& image)
{
    if (image.isNull() || image.format() != QImage::Format_RGB32)
        return {};
    PixelView view;
    view.pixels = reinterpret_cast<std::uint32_t*>(image.bits());
    view.width = image.width();
    view.height = image.height();
    view.stride = static_cast<std::ptrdiff_t>(image.bytesPerLine() / static_cast<qsizetype>(sizeof(std::uint32_t)));
    return view;
}

bool ComposeBlock(PixelView target, const StageSource& source, std::int32_t block, int scale, int x, int y,
                  RenderFaults& faults)
{
    if (!target.valid() || !ScaleAllowed(scale) || !BlockAllowed(block))
        return false;
    const BlockParts parts = ReadBlockParts(source.image, source.stages, source.stage, block);
    faults += FaultsOf(parts, source.image);
    Painter(target, source.image).Block(parts, x, y, scale);
    return true;
}

bool ComposeRoom(PixelView target, const StageSource& source, int room, int scale, RenderFaults& faults)
{
    if (!target.valid() || !ScaleAllowed(scale) || !BlockAllowed(room))
        return false;
    // The room's cells come from the stage row's table entry, row 0 standing
    // in for a row outside the table (each block then counts its bad read).
    const StageInfo& info = source.stages[static_cast<std::size_t>(IsStageRow(source.stage) ? source.stage : 0)];
    const std::int64_t first = std::int64_t{info.RoomData} + std::int64_t{room} * kRoomBytes;
    const auto size = static_cast<std::int64_t>(source.image.size());
    const int side = kBlockSide * scale;

    // A block is read, counted and decoded once per room; its later cells copy
    // the pixels of the first cell that showed it whole.
    struct Seen {
        bool read = false;
        BlockParts parts;
        RenderFaults faults;
        const std::uint32_t* drawn = nullptr;
    };
    std::vector<Seen> seen(256);
    Painter painter(target, source.image);
    for (int w = 0; w < kRoomRows; ++w) {
        for (int c = 0; c < kRoomColumns; ++c) {
            const std::int64_t offset = first + std::int64_t{w} * kRoomColumns + c;
            const std::int64_t x = std::int64_t{c} * side;
            const std::int64_t y = std::int64_t{w} * side;
            if (offset < 0 || offset >= size) {
                // The room runs past the end of the image: nothing to show here.
                ++faults.badReads;
                painter.Fill(kFaultColour, x, y, side);
                continue;
            }
            Seen& block = seen[source.image[static_cast<std::size_t>(offset)]];
            if (!block.read) {
                block.parts = ReadBlockParts(source.image, source.stages, source.stage,
                                             source.image[static_cast<std::size_t>(offset)]);
                block.faults = FaultsOf(block.parts, source.image);
                block.read = true;
            }
            faults += block.faults;
            if (block.drawn != nullptr && painter.Inside(x, y, side))
                painter.Copy(block.drawn, x, y, side);
            else if (const std::uint32_t* drawn = painter.Block(block.parts, x, y, scale))
                block.drawn = drawn;
        }
    }
    return true;
}

bool ComposeTablePage(PixelView target, const StageSource& source, int page, int scale, RenderFaults& faults)
{
    if (!target.valid() || !ScaleAllowed(scale) || page < 0 || page >= kTablePages)
        return false;
    const int side = kBlockSide * scale;
    Painter painter(target, source.image);
    for (int r = 0; r < kTablePageRows; ++r) {
        for (int c = 0; c < kTablePageColumns; ++c) {
            const std::int32_t block = page * kTablePageBlocks + r * kTablePageColumns + c;
            const BlockParts parts = ReadBlockParts(source.image, source.stages, source.stage, block);
            faults += FaultsOf(parts, source.image);
            painter.Block(parts, std::int64_t{c} * side, std::int64_t{r} * side, scale);
        }
    }
    return true;
}

bool ComposeBlock(QImage& target, const StageSource& source, std::int32_t block, int scale, int x, int y,
                  RenderFaults& faults)
{
    return ComposeBlock(ViewOf(target), source, block, scale, x, y, faults);
}

bool ComposeRoom(QImage& target, const StageSource& source, int room, int scale, RenderFaults& faults)
{
    return ComposeRoom(ViewOf(target), source, room, scale, faults);
}

bool ComposeTablePage(QImage& target, const StageSource& source, int page, int scale, RenderFaults& faults)
{
    return ComposeTablePage(ViewOf(target), source, page, scale, faults);
}

QImage RoomImage(const StageSource& source, int room, int scale, RenderFaults& faults)
{
    if (!ScaleAllowed(scale) || !BlockAllowed(room))
        return {};
    QImage image(kRoomColumns * kBlockSide * scale, kRoomRows * kBlockSide * scale, QImage::Format_RGB32);
    if (!ComposeRoom(image, source, room, scale, faults))
        return {};
    return image;
}

} // namespace quorvan

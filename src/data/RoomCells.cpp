#include "data/RoomCells.h"

#include "data/Level.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quorvan {

namespace {

// How far around the room a line is followed cell by cell; beyond it the
// line is cut back first (a pointer far outside the window, or a caller's
// wild numbers, must not cost millions of steps).
constexpr int kLineMargin = 64;

std::size_t IndexOf(CellPos cell)
{
    return static_cast<std::size_t>(cell.row) * kRoomColumns + static_cast<std::size_t>(cell.column);
}

bool InsideLineBox(CellPos cell)
{
    return cell.column >= -kLineMargin && cell.column < kRoomColumns + kLineMargin && cell.row >= -kLineMargin &&
           cell.row < kRoomRows + kLineMargin;
}

// Cuts the segment from a to b to the box around the room (Liang-Barsky).
// False when it misses the box.
bool ClipToLineBox(double& x0, double& y0, double& x1, double& y1)
{
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double t0 = 0.0;
    double t1 = 1.0;
    const double low = -kLineMargin;
    const double highX = kRoomColumns + kLineMargin - 1;
    const double highY = kRoomRows + kLineMargin - 1;
    const auto edge = [&](double p, double q) {
        if (p == 0.0)
            return q >= 0.0;
        const double r = q / p;
        if (p < 0.0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, x0 - low) || !edge(dx, highX - x0) || !edge(-dy, y0 - low) || !edge(dy, highY - y0))
        return false;
    const double ax = x0 + t0 * dx;
    const double ay = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = ax;
    y0 = ay;
    return true;
}

} // namespace

CellRect CellRect::Spanning(CellPos a, CellPos b)
{
    const int left = std::min(a.column, b.column);
    const int top = std::min(a.row, b.row);
    return {left, top, std::max(a.column, b.column) - left + 1, std::max(a.row, b.row) - top + 1};
}

CellRect CellRect::intersected(const CellRect& other) const
{
    if (empty() || other.empty())
        return {};
    const int left = std::max(column, other.column);
    const int top = std::max(row, other.row);
    const int right = std::min(column + columns, other.column + other.columns);
    const int bottom = std::min(row + rows, other.row + other.rows);
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

CellPos ClampToRoom(CellPos cell)
{
    return {std::clamp(cell.column, 0, kRoomColumns - 1), std::clamp(cell.row, 0, kRoomRows - 1)};
}

std::vector<CellPos> LineCellsAfter(CellPos from, CellPos to)
{
    std::vector<CellPos> line = LineCells(from, to);
    if (!line.empty() && line.front() == from)
        line.erase(line.begin());
    return line;
}

std::vector<CellPos> LineCells(CellPos from, CellPos to)
{
    if (!InsideLineBox(from) || !InsideLineBox(to)) {
        double x0 = from.column, y0 = from.row, x1 = to.column, y1 = to.row;
        if (!ClipToLineBox(x0, y0, x1, y1))
            return {};
        from = {static_cast<int>(std::lround(x0)), static_cast<int>(std::lround(y0))};
        to = {static_cast<int>(std::lround(x1)), static_cast<int>(std::lround(y1))};
    }
    std::vector<CellPos> cells;
    int x = from.column;
    int y = from.row;
    const int dx = std::abs(to.column - x);
    const int dy = -std::abs(to.row - y);
    const int sx = x < to.column ? 1 : -1;
    const int sy = y < to.row ? 1 : -1;
    int error = dx + dy;
    cells.reserve(static_cast<std::size_t>(std::max(dx, -dy)) + 1);
    for (;;) {
        cells.push_back({x, y});
        if (x == to.column && y == to.row)
            break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
    return cells;
}

bool CellBlock::valid() const
{
    return columns >= 1 && columns <= kRoomColumns && rows >= 1 && rows <= kRoomRows &&
           blocks.size() == static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
}

RoomBlocks ReadRoomBlocks(const RomBuffer& image, const StageInfo& stage, int room)
{
    RoomBlocks blocks{};
    for (int row = 0; row < kRoomRows; ++row) {
        for (int column = 0; column < kRoomColumns; ++column) {
            const std::int64_t offset = RoomCellOffset(stage, room, row, column);
            blocks[IndexOf({column, row})] = image.contains(offset) ? int{image.at(offset)} : -1;
        }
    }
    return blocks;
}

std::optional<CellBlock> ReadRoomCells(const RomBuffer& image, const StageInfo& stage, int room, const CellRect& rect)
{
    if (rect.empty() || rect.intersected(kWholeRoom) != rect)
        return std::nullopt;
    CellBlock cells{rect.columns, rect.rows, {}};
    cells.blocks.reserve(static_cast<std::size_t>(rect.count()));
    for (int row = rect.row; row < rect.row + rect.rows; ++row) {
        for (int column = rect.column; column < rect.column + rect.columns; ++column) {
            const std::int64_t offset = RoomCellOffset(stage, room, row, column);
            if (!image.contains(offset))
                return std::nullopt;
            cells.blocks.push_back(image.at(offset));
        }
    }
    return cells;
}

std::vector<CellPos> FillArea(const RoomBlocks& blocks, CellPos start)
{
    if (!kWholeRoom.contains(start) || blocks[IndexOf(start)] < 0)
        return {};
    const int target = blocks[IndexOf(start)];
    std::array<bool, kRoomBytes> seen{};
    std::vector<CellPos> area;
    std::vector<CellPos> pending{start};
    seen[IndexOf(start)] = true;
    while (!pending.empty()) {
        const CellPos cell = pending.back();
        pending.pop_back();
        area.push_back(cell);
        const CellPos neighbours[] = {{cell.column - 1, cell.row},
                                      {cell.column + 1, cell.row},
                                      {cell.column, cell.row - 1},
                                      {cell.column, cell.row + 1}};
        for (const CellPos next : neighbours) {
            if (!kWholeRoom.contains(next) || seen[IndexOf(next)] || blocks[IndexOf(next)] != target)
                continue;
            seen[IndexOf(next)] = true;
            pending.push_back(next);
        }
    }
    // In reading order, so that the writes (and the undo step) do not depend
    // on the order the search met the cells in.
    std::sort(area.begin(), area.end(), [](CellPos a, CellPos b) { return IndexOf(a) < IndexOf(b); });
    return area;
}

std::vector<CellWrite> PasteWrites(const CellBlock& cells, CellPos at)
{
    std::vector<CellWrite> writes;
    if (!cells.valid())
        return writes;
    const CellRect placed = CellRect{at.column, at.row, cells.columns, cells.rows}.intersected(kWholeRoom);
    writes.reserve(static_cast<std::size_t>(placed.count()));
    for (int row = placed.row; row < placed.row + placed.rows; ++row)
        for (int column = placed.column; column < placed.column + placed.columns; ++column)
            writes.push_back({{column, row}, cells.at(column - at.column, row - at.row)});
    return writes;
}

std::vector<CellWrite> FillWrites(const CellRect& rect, std::uint8_t block)
{
    const CellRect inside = rect.intersected(kWholeRoom);
    std::vector<CellWrite> writes;
    writes.reserve(static_cast<std::size_t>(inside.count()));
    for (int row = inside.row; row < inside.row + inside.rows; ++row)
        for (int column = inside.column; column < inside.column + inside.columns; ++column)
            writes.push_back({{column, row}, block});
    return writes;
}

RoomWriteResult WriteRoomCells(RomBuffer& image, const StageInfo& stage, int room, std::span<const CellWrite> writes)
{
    RoomWriteResult result;
    for (const CellWrite& write : writes) {
        if (!kWholeRoom.contains(write.cell) ||
            !image.contains(RoomCellOffset(stage, room, write.cell.row, write.cell.column)))
            ++result.outside;
    }
    if (result.outside > 0)
        return result;
    for (const CellWrite& write : writes) {
        const std::int64_t offset = RoomCellOffset(stage, room, write.cell.row, write.cell.column);
        if (image.at(offset) == write.block)
            continue;
        if (image.write(offset, write.block))
            ++result.written;
    }
    return result;
}

} // namespace quorvan

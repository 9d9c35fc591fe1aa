#include "data/Level.h"

#include <algorithm>

namespace quorvan {

std::int64_t RoomCellOffset(const StageInfo& stage, int room, int row, int column)
{
    return std::int64_t{stage.RoomData} + std::int64_t{room} * kRoomBytes + std::int64_t{row} * kRoomColumns +
           column;
}

std::uint8_t MaxRoomInList(const StageInfo& stage, std::span<const std::uint8_t> image)
{
    const std::int64_t size = static_cast<std::int64_t>(image.size());
    const std::int64_t first = std::max<std::int64_t>(stage.RoomList, 0);
    const std::int64_t end = std::min<std::int64_t>(stage.RoomData, size);
    std::uint8_t highest = 0;
    for (std::int64_t i = first; i < end; ++i) {
        const std::uint8_t room = image[static_cast<std::size_t>(i)];
        if (room != 0xFF)
            highest = std::max(highest, room);
    }
    return highest;
}

QString RoomText(int room)
{
    return QStringLiteral("Room: ") + QString::number(room, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace quorvan

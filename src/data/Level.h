#pragma once
// Where a stage's rooms lie in the image, and how far its room list reaches.
//
// Offsets here are 64-bit: a room number up to 254 times 192 bytes does not fit
// a 16-bit position, and every room whose bytes lie inside the image must be
// reachable. Callers check an offset against the image before using it.

#include "data/Stages.h"

#include <QString>

#include <cstdint>
#include <span>

namespace quorvan {

// Byte offset of column `column`, row `row` of room `room` of the stage whose
// offsets are `stage`: RoomData + room * 192 + row * 16 + column.
std::int64_t RoomCellOffset(const StageInfo& stage, int room, int row, int column);

// The largest room number other than 255 in the stage's room list (the bytes
// from RoomList up to RoomData - 1); 0 when there is none. Bytes of the list
// that lie outside `image` are not read.
std::uint8_t MaxRoomInList(const StageInfo& stage, std::span<const std::uint8_t> image);

// "Room: " and the room number in upper-case hexadecimal, at least two digits.
QString RoomText(int room);

} // namespace quorvan

#pragma once
// Which rooms an edit touched: the rooms whose picture reads a changed byte.
//
// A room's picture reads its 192 cell bytes and, for each block in it, what
// drawing that block reads (ReadBlockParts): the four tile numbers, the
// attribute byte, the four colours of its palette and the 16 bytes of each of
// its four tiles (from row 0's tile set for tiles 0x80..0xFF of rows 0..7). A
// room is touched when any of those bytes, as the image stands now, changed.
// So a tile edit touches every room that uses a block built from that tile, a
// palette edit every room that uses a block of that palette, and a byte no
// room reads touches none.
//
// Asked after the bytes changed, this finds every room whose picture may have
// changed: a room whose blocks changed is touched by its own cell bytes, and a
// block whose tiles or palette changed by its tile-number or attribute byte.

#include "data/ChangedBytes.h"
#include "graphics/Compositor.h"

#include <bitset>

namespace quorvan {

using RoomSet = std::bitset<256>;

// Rooms 0..lastRoom (at most 255) of the stage in `source` touched by `changed`.
RoomSet TouchedRooms(const StageSource& source, int lastRoom, const ChangedBytes& changed);

// True when `changed` holds a byte of the stage's room list, so that the
// number of its rooms may have changed.
bool RoomListTouched(const StageSource& source, const ChangedBytes& changed);

} // namespace quorvan

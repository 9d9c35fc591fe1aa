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

#include "data/BlockUsage.h"
#include "data/ChangedBytes.h"
#include "graphics/Compositor.h"

#include <bitset>

namespace quorvan {

using RoomSet = std::bitset<256>;
using BlockSet = std::bitset<256>;

// Blocks 0..255 of the stage in `source` whose picture reads a changed byte:
// one of its tile numbers or its attribute, a colour of its palette, or a
// byte of one of its tiles.
BlockSet TouchedBlocks(const StageSource& source, const ChangedBytes& changed);

// Cells of room `room` whose picture reads a changed byte: the cell's own
// byte, or a block in `blocks` (TouchedBlocks of the same change) stored there.
RoomCells TouchedCells(const StageSource& source, int room, const ChangedBytes& changed, const BlockSet& blocks);

// Rooms 0..lastRoom (at most 255) of the stage in `source` touched by `changed`.
RoomSet TouchedRooms(const StageSource& source, int lastRoom, const ChangedBytes& changed);

// True when `changed` holds a byte of the stage's room list, so that the
// number of its rooms may have changed.
bool RoomListTouched(const StageSource& source, const ChangedBytes& changed);

} // namespace quorvan

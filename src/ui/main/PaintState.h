#pragma once
// What the main window's painting gestures keep between events: the stroke
// under way, the rectangle being selected, the selected cells and the paste
// waiting to be placed. The handlers live in frmQuorvan_paint.cpp and
// frmQuorvan_clipboard.cpp, the marks they draw in frmQuorvan_marks.cpp.

#include "data/RoomCells.h"

#include <optional>

namespace quorvan {

class FrameOverlay;

struct PaintState {
    // Left button held on the level view: every cell the pointer passes over
    // gets `block`, in the room the stroke began in.
    struct Stroke {
        bool active = false;
        int block = -1;
        int stage = 0;
        int room = 0;
        CellPos last;         // where the pointer was last; may lie outside the room
        bool moved = false;   // it left its first cell: a "Paint", not a "Place Block"
        bool skippedOutside = false; // cells past the end of the image were not painted
    };
    // Shift + left button held: the rectangle from `anchor` to the pointer.
    struct Selecting {
        bool active = false;
        CellPos anchor;
    };
    // The selected cells and the room they belong to; shown and used only
    // while that room of that stage is the one in the view.
    struct Selection {
        int stage = -1;
        int room = -1;
        CellRect rect;
    };
    // Cells from the clipboard following the pointer until a left click
    // places them; `at` is the cell under the pointer (none while it is
    // outside the view).
    struct Paste {
        std::optional<CellBlock> cells;
        std::optional<CellPos> at;
        bool trackingBefore = false; // the view's mouse tracking before the paste began
    };

    Stroke stroke;
    Selecting selecting;
    Selection selection;
    Paste paste;
    FrameOverlay* tableFrame = nullptr; // the frame around the selected block in the table
};

} // namespace quorvan

// Marks of where blocks are used and what changed: the cells holding the
// highlighted block, the cell Find Next Use found, and the cells changed since
// the image was opened. DrawLevelMarks (frmQuorvan_marks.cpp) draws them into
// picEditor's back buffer after the grid, under the painting marks, so that
// what the picture shows is still exactly its back buffer.

#include "ui/main/frmQuorvan.h"

#include "data/Level.h"
#include "data/RomDocument.h"
#include "graphics/Compositor.h"
#include "graphics/RoomMarks.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ViewGeometry.h"

#include <QAction>
#include <QScrollBar>

namespace quorvan {

using namespace view;

namespace {

bool AnyMarkIn(const MarkOptions& options, int room)
{
    return options.changes || options.usesOf >= 0 || (options.found && options.found->room == room);
}

} // namespace

void frmQuorvan::DrawUseMarks()
{
    const MarkOptions options = CurrentMarkOptions();
    highlightedBlock_ = options.usesOf;
    const int room = hLevel_Frames_->value();
    if (!document_.isOpen() || !StageChosen() || !AnyMarkIn(options, room))
        return;
    const RoomMarks marks = MarksOfRoom(document_.image().bytes(), document_.openedBytes(),
                                        document_.currentStageInfo(), room, options);
    DrawRoomMarks(ViewOf(picEditor_->backBuffer()), 0, 0, kBlockScale, marks);
}

void frmQuorvan::RedrawChangedCells()
{
    const RoomCells cells = changedCells_;
    changedCells_.reset();
    // Whoever wrote the bytes drew their cells; with marks on, the marks of
    // those cells may have come or gone (a cell put back as it was opened, a
    // new use of the highlighted block), so the cells are drawn again with them.
    const int room = hLevel_Frames_->value();
    if (!document_.isOpen() || !StageChosen() || !AnyMarkIn(CurrentMarkOptions(), room))
        return;
    // A selection or a paste preview blends with the blocks under it: drawn
    // again over cells that were not redrawn it would blend twice, so the
    // whole room is drawn instead.
    if (LevelMarksShown()) {
        DrawLevel();
        return;
    }
    RenderFaults faults; // counted and reported by the level view's own redraws
    const StageInfo& info = document_.currentStageInfo();
    const PixelView target = ViewOf(picEditor_->backBuffer());
    for (int cell = 0; cell < kRoomCells; ++cell) {
        if (!cells.test(static_cast<std::size_t>(cell)))
            continue;
        const int row = cell / kRoomColumns;
        const int column = cell % kRoomColumns;
        const std::optional<std::uint8_t> block = CellBlockAt(document_.image().bytes(), info, room, row, column);
        if (block)
            ComposeBlock(target, StageSource(), *block, kBlockScale, column * kCell, row * kCell, faults);
    }
    if (mnuGrid_[0]->isChecked())
        DrawEditorGrid();
    DrawLevelMarks();
    picEditor_->Refresh();
}

} // namespace quorvan

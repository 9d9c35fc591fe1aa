#include "ui/main/BlockTableView.h"

#include "data/RomDocument.h"
#include "graphics/DocumentSource.h"
#include "graphics/Compositor.h"
#include "graphics/RoomDependencies.h"
#include "graphics/clsNesTiles.h"
#include "ui/common/FrameOverlay.h"
#include "ui/common/PictureBox.h"
#include "ui/common/RenderFaultReport.h"
#include "ui/main/LevelView.h"
#include "ui/main/ViewGeometry.h"
#include "ui/main/ViewState.h"

#include <QColor>

namespace quorvan {

using namespace view;

BlockTableView::BlockTableView(RomDocument& document, const ViewState& view, PictureBox& table, PictureBox& selected,
                               QWidget* notices)
    : QObject(&table), document_(document), view_(view), table_(table), selected_(selected), notices_(notices)
{
    // The frame around the selected block lies over the table, not in it.
    frame_ = new FrameOverlay(QStringLiteral("picTileFrame"), &table_);
    connect(&document_, &RomDocument::changed, this, &BlockTableView::Document_Changed);
    const auto catchUp = [this] { document_.FlushChanges(); };
    table_.setCatchUp(catchUp);
    selected_.setCatchUp(catchUp);
}

bool BlockTableView::CanDraw() const
{
    return document_.isOpen() && view_.stageChosen;
}

void BlockTableView::Draw()
{
    if (!CanDraw())
        return;
    BeginRenderFaultCheck();
    RenderFaults faults;
    ComposeTablePage(table_.backBuffer(), SourceOf(document_), view_.page, kBlockScale, faults);
    EnsureNesTiles().NoteFaults(faults);
    if (view_.tableGrid) {
        table_.setForeColor(QColor(255, 255, 255));
        table_.GridLines(kCell, kGridLines);
    }
    UpdateFrame();
    table_.Refresh();
    EndRenderFaultCheck(notices_, QStringLiteral("Block table"));
}

void BlockTableView::DrawSelected()
{
    // The Tag is what the window always kept: empty until a stage is chosen.
    selected_.setTag(view_.stageChosen ? QString::number(view_.selectedBlock) : QString());
    if (view_.blockSelected() && document_.isOpen()) {
        RenderFaults faults;
        ComposeBlock(selected_.backBuffer(), SourceOf(document_), view_.selectedBlock, kBlockScale, 0, 0, faults);
        EnsureNesTiles().NoteFaults(faults);
        selected_.Refresh();
    } else {
        selected_.Cls();
    }
    UpdateFrame();
}

void BlockTableView::UpdateFrame()
{
    const int index = view_.selectedBlock - view_.page * kTablePageBlocks;
    if (!view_.blockSelected() || index < 0 || index >= kTablePageBlocks || !CanDraw()) {
        frame_->setFrame({});
        return;
    }
    frame_->setFrame(QRect((index % kTablePageColumns) * kCell, (index / kTablePageColumns) * kCell, kCell, kCell));
}

void BlockTableView::Document_Changed(const DocumentChange& change)
{
    if (!CanDraw())
        return;
    if (change.replaced) {
        Draw();
        DrawSelected();
        return;
    }
    const BlockSet touched = TouchedBlocks(SourceOf(document_), change.bytes);
    if (touched.none())
        return;
    for (int index = 0; index < kTablePageBlocks; ++index) {
        if (touched.test(static_cast<std::size_t>(view_.page * kTablePageBlocks + index))) {
            Draw(); // sixteen blocks: the page is drawn whole
            break;
        }
    }
    if (view_.blockSelected() && touched.test(static_cast<std::size_t>(view_.selectedBlock)))
        DrawSelected();
}

} // namespace quorvan

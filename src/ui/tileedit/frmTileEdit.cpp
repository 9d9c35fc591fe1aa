#include "ui/tileedit/frmTileEdit.h"

#include "ui/main/frmQuorvan.h"

#include <QScrollBar>

namespace quorvan {

frmTileEdit::frmTileEdit(frmQuorvan* owner) : QWidget(owner, Qt::Tool), owner_(owner)
{
    setObjectName(QStringLiteral("frmTileEdit"));
    setWindowTitle(QStringLiteral("Tile Editor"));
    vsTile_ = new QScrollBar(Qt::Vertical, this);
    vsTile_->setObjectName(QStringLiteral("vsTile"));
    vsTile_->setRange(0, 255);
}

void frmTileEdit::Init()
{
}

} // namespace quorvan

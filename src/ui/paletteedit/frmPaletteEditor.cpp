#include "ui/paletteedit/frmPaletteEditor.h"

#include "ui/main/frmQuorvan.h"

namespace quorvan {

frmPaletteEditor::frmPaletteEditor(frmQuorvan* owner) : QWidget(owner, Qt::Tool), owner_(owner)
{
    setObjectName(QStringLiteral("frmPaletteEditor"));
    setWindowTitle(QStringLiteral("Palette Editor"));
}

void frmPaletteEditor::Init()
{
}

} // namespace quorvan

// Level view, block table, their scroll bars, stage selection and grid switches.

#include "ui/main/frmQuorvan.h"

#include "data/modGlobals.h"
#include "ui/common/PictureBox.h"

#include <QAction>
#include <QScrollBar>

namespace quorvan {

void frmQuorvan::DrawLevel()
{
}

void frmQuorvan::DrawTable()
{
}

void frmQuorvan::hLevel_Frames_Change(int)
{
}

void frmQuorvan::hLevel_Frames_Scroll(int)
{
}

void frmQuorvan::hsTable_Change(int)
{
}

void frmQuorvan::hsTable_Scroll(int)
{
}

void frmQuorvan::mnuStageSelect_Click(int)
{
}

void frmQuorvan::mnuGrid_Click(int)
{
}

} // namespace quorvan

// Minimising, restoring and closing the main window.

#include "ui/main/frmQuorvan.h"

#include "ui/common/MsgBox.h"

#include <QCloseEvent>

namespace quorvan {

void frmQuorvan::mnuExit_Click()
{
    // Exit only asks the window to close; every way of closing asks the same question.
    close();
}

bool frmQuorvan::Form_QueryUnload()
{
    const auto answer = MsgBox(this, QStringLiteral("Are You Sure You Want To Exit?"), QStringLiteral("Quit"),
                               QMessageBox::Yes | QMessageBox::No, MsgIcon::Question, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

void frmQuorvan::closeEvent(QCloseEvent* event)
{
    if (closing_ || Form_QueryUnload()) {
        closing_ = true;
        event->accept();
        return;
    }
    event->ignore();
}

void frmQuorvan::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmQuorvan::Form_Resize()
{
    // The tool windows follow the main window's minimising and restoring.
}

} // namespace quorvan

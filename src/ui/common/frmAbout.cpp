#include "ui/common/frmAbout.h"

namespace quorvan {

frmAbout::frmAbout(QWidget* owner) : QDialog(owner, Qt::Tool)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quorvan"));
}

} // namespace quorvan

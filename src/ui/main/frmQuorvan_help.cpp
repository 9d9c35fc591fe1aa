// The Help menu: the about box, the web site and a message to the author.
// All three work at any time, with or without an open image.

#include "ui/main/frmQuorvan.h"

#include "data/Links.h"
#include "ui/common/frmAbout.h"

#include <QDesktopServices>

namespace quorvan {

void frmQuorvan::mnuAbout_Click()
{
    // Loads the box afresh if it was closed; it stays modeless and never checks the item.
    frmAbout* about = About(true);
    about->show();
    about->raise();
    about->activateWindow();
}

void frmQuorvan::mnuTrelvix_Click()
{
    // The user's browser decides whether the site gets a window or a tab of its own.
    QDesktopServices::openUrl(WebSiteUrl());
}

void frmQuorvan::mnuEmal_Click()
{
    QDesktopServices::openUrl(EmailUrl());
}

} // namespace quorvan

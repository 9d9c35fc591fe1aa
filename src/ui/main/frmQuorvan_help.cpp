// The Help menu: the about box, the web site and a message to the author.
// All three work at any time, with or without an open image.

#include "ui/main/frmQuorvan.h"

#include "data/Links.h"
#include "ui/common/MsgBox.h"
#include "ui/common/frmAbout.h"

#include <QDesktopServices>

namespace quorvan {

namespace {

frmQuorvan::LinkOpener& Opener()
{
    static frmQuorvan::LinkOpener opener;
    return opener;
}

bool OpenLink(const QUrl& url)
{
    const frmQuorvan::LinkOpener& opener = Opener();
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

} // namespace

void frmQuorvan::SetLinkOpenerForTesting(LinkOpener opener)
{
    Opener() = std::move(opener);
}

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
    if (OpenLink(WebSiteUrl()))
        return;
    // Nothing could show it: the user gets the address to take elsewhere.
    MsgBox(this, QStringLiteral("No web browser could be started to show the web site."), QStringLiteral("Web"),
           QMessageBox::Ok, MsgIcon::Exclamation, QMessageBox::NoButton,
           QStringLiteral("Its address is:\n%1").arg(WebSiteText()));
}

void frmQuorvan::mnuEmal_Click()
{
    if (OpenLink(EmailUrl()))
        return;
    MsgBox(this, QStringLiteral("No mail program could be started to write to the author."),
           QStringLiteral("Email Author"), QMessageBox::Ok, MsgIcon::Exclamation, QMessageBox::NoButton,
           QStringLiteral("The address is:\n%1\n\nSubject: %2").arg(AuthorEmailText(), EmailSubject()));
}

} // namespace quorvan

// The items for sharing and testing a level: File ▸ the picture exports and
// the recent files, Level ▸ Test in Emulator; and where the file dialogs start.

#include "ui/main/frmQuorvan.h"

#include "ui/common/DialogFolders.h"
#include "ui/main/MenuItems.h"
#include "ui/main/PlayTest.h"
#include "ui/main/RecentFiles.h"

#include <QAction>
#include <QMenu>

namespace quorvan {

void frmQuorvan::CreateShareMenus()
{
    // "&File": the picture exports in a group of their own after the patch
    // items; the recent files (inserted when there are any) before "E&xit".
    FileFiller4_ = mnuFIle_->insertSeparator(FileFiller3_);
    FileFiller4_->setObjectName(QStringLiteral("FileFiller4"));
    mnuExportRoomImage_ = NewMenuItem(mnuFIle_, QStringLiteral("mnuExportRoomImage"), QStringLiteral("Export Room &Image..."));
    mnuExportStageMap_ = NewMenuItem(mnuFIle_, QStringLiteral("mnuExportStageMap"), QStringLiteral("Export &Stage Map..."));
    mnuFIle_->insertAction(FileFiller3_, mnuExportRoomImage_);
    mnuFIle_->insertAction(FileFiller3_, mnuExportStageMap_);
    for (std::size_t k = 0; k < mnuRecent_.size(); ++k) {
        mnuRecent_[k] = new QAction(mnuFIle_);
        mnuRecent_[k]->setObjectName(QStringLiteral("mnuRecent(%1)").arg(k));
    }
    FileFiller5_ = new QAction(mnuFIle_);
    FileFiller5_->setSeparator(true);
    FileFiller5_->setObjectName(QStringLiteral("FileFiller5"));

    // "&Level": after a separator below the nine stages.
    LevelFiller1_ = mnuLevel_->addSeparator();
    LevelFiller1_->setObjectName(QStringLiteral("LevelFiller1"));
    mnuTestInEmulator_ = NewMenuItem(mnuLevel_, QStringLiteral("mnuTestInEmulator"), QStringLiteral("&Test in Emulator"));
    mnuTestInEmulator_->setShortcut(QKeySequence(Qt::Key_F5));
    mnuLevel_->addAction(mnuTestInEmulator_);
}

void frmQuorvan::ConnectShare()
{
    connect(mnuExportRoomImage_, &QAction::triggered, this, &frmQuorvan::mnuExportRoomImage_Click);
    connect(mnuExportStageMap_, &QAction::triggered, this, &frmQuorvan::mnuExportStageMap_Click);
    connect(mnuTestInEmulator_, &QAction::triggered, this, &frmQuorvan::mnuTestInEmulator_Click);
    for (std::size_t k = 0; k < mnuRecent_.size(); ++k)
        connect(mnuRecent_[k], &QAction::triggered, this, [this, k] { mnuRecent_Click(static_cast<int>(k)); });
    connect(&document_, &RomDocument::imageReplaced, this, &frmQuorvan::UpdateShareItems);
    for (QAction* stage : mnuStageSelect_)
        connect(stage, &QAction::triggered, this, &frmQuorvan::UpdateShareItems);
    // The list may have changed in another window of the program since it was drawn.
    connect(mnuFIle_, &QMenu::aboutToShow, this, &frmQuorvan::UpdateRecentMenu);
    setAcceptDrops(true);
    UpdateRecentMenu();
}

void frmQuorvan::UpdateShareItems()
{
    // A room is shown, so it can be pictured, once a stage is chosen.
    const bool open = document_.isOpen();
    mnuExportRoomImage_->setEnabled(open && StageChosen());
    mnuExportStageMap_->setEnabled(open && StageChosen());
    mnuTestInEmulator_->setEnabled(open);
}

QString frmQuorvan::DialogFolder() const
{
    return DialogStartFolder(document_.fileName(), ProgramFolder());
}

void frmQuorvan::RememberDialogFolder(const QString& chosenFile)
{
    RememberDialogChoice(chosenFile);
}

} // namespace quorvan

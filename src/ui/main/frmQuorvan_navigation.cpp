// Moving around with keys, and showing where an undone or redone change is.
// The wheel over the views is wired with the other painting gestures
// (frmQuorvan_clipboard.cpp).

#include "ui/main/frmQuorvan.h"

#include "data/EditHistory.h"
#include "data/RomDocument.h"
#include "ui/main/ViewGeometry.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>

namespace quorvan {

using namespace view;

void frmQuorvan::CreateNavigationKeys()
{
    // Shown in the File menu's shortcut column.
    mnuOpen_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSave_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveAS_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    const auto key = [this](const QKeySequence& sequence, const QString& name, auto handler) {
        auto* shortcut = new QShortcut(sequence, this);
        shortcut->setObjectName(name);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    // A room back and on; the room's Change runs as for the scroll bar.
    key(QKeySequence(Qt::Key_PageUp), QStringLiteral("keyRoomBack"), [this] {
        if (StageChosen())
            hLevel_Frames_->setValue(hLevel_Frames_->value() - 1);
    });
    key(QKeySequence(Qt::Key_PageDown), QStringLiteral("keyRoomOn"), [this] {
        if (StageChosen())
            hLevel_Frames_->setValue(hLevel_Frames_->value() + 1);
    });
    // Ctrl+1 .. Ctrl+9: the stages, as the Level menu chooses them (and only
    // while it can: an image is open).
    for (int k = 0; k < kMenuStages; ++k) {
        key(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + k)), QStringLiteral("keyStage(%1)").arg(k),
            [this, k] {
                if (mnuLevel_->menuAction()->isEnabled())
                    mnuStageSelect_[static_cast<std::size_t>(k)]->trigger();
            });
    }
    key(QKeySequence(Qt::Key_Escape), QStringLiteral("keyEscape"), [this] { EscapePressed(); });
}

void frmQuorvan::ShowEditPlace(const EditPlace& place)
{
    if (!document_.isOpen() || place.stage < 0)
        return;
    // Another stage is chosen as the Level menu chooses it, which drops the
    // selected block: its number names another block there. A change in the
    // stage shown keeps the selection.
    if (place.stage != document_.currentStage() || !StageChosen()) {
        if (place.stage >= kMenuStages || !mnuLevel_->menuAction()->isEnabled())
            return;
        mnuStageSelect_[static_cast<std::size_t>(place.stage)]->trigger();
    }
    if (place.room >= 0)
        hLevel_Frames_->setValue(place.room);
    if (place.block >= 0)
        hsTable_->setValue(place.block / kTablePageBlocks);
}

} // namespace quorvan

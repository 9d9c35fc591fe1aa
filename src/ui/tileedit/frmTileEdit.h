#pragma once
// The tile editor: edits one block's four tile numbers, palette and flags.

#include <QWidget>

class QScrollBar;

namespace quorvan {

class frmQuorvan;

class frmTileEdit : public QWidget {
    Q_OBJECT
public:
    explicit frmTileEdit(frmQuorvan* owner);

    // Reloads the window from the image for the block in vsTile.
    void Init();

    QScrollBar* vsTile() const { return vsTile_; }

private:
    frmQuorvan* owner_ = nullptr;
    QScrollBar* vsTile_ = nullptr;
};

} // namespace quorvan

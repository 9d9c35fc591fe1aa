#pragma once
// The palette editor: the current stage's 16 palette bytes against the 64 NES colours.

#include <QWidget>

namespace quorvan {

class frmQuorvan;

class frmPaletteEditor : public QWidget {
    Q_OBJECT
public:
    explicit frmPaletteEditor(frmQuorvan* owner);

    // Reloads the swatches from the image and selects swatch 0.
    void Init();

private:
    frmQuorvan* owner_ = nullptr;
};

} // namespace quorvan

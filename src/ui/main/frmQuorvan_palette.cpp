// Showing, hiding and discarding the palette editor.

#include "ui/main/frmQuorvan.h"

#include "ui/paletteedit/frmPaletteEditor.h"

#include <QAction>

namespace quorvan {

void frmQuorvan::mnuPalette_Click()
{
    const bool wasChecked = mnuPalette_->isChecked();
    if (wasChecked) {
        UnloadPaletteEditor();
    } else {
        frmPaletteEditor* editor = PaletteEditor();
        editor->show();
        // Loaded once more, now that it is visible.
        editor->Init();
    }
    mnuPalette_->setChecked(!wasChecked);
}

void frmQuorvan::UnloadPaletteEditor()
{
    frmPaletteEditor* editor = paletteEditor_;
    if (editor == nullptr)
        return;
    paletteEditor_ = nullptr;
    editor->hide();
    // Deferred: this may be reached from the editor's own close handler.
    editor->deleteLater();
}

} // namespace quorvan

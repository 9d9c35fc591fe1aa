#pragma once
// The history window: the undo steps of the open image by their names, oldest
// first, under a first row "<empty>" for the image as opened. Row k is the
// state after k steps: the current one is bold and selected, the one the file
// holds ends in " (saved)", and steps taken back (which Redo would do again)
// are grey.
//
// Choosing a row (a click, or the arrow keys) asks for that state
// (stateChosen); the window knows nothing of the main window, which takes the
// steps back or does them again. It follows the document by itself: every
// edit, undo, redo, save and open. While hidden it does nothing, and catches
// up when shown.

#include <QWidget>

class QCloseEvent;
class QListWidget;
class QShowEvent;

namespace quorvan {

class RomDocument;

class frmHistory : public QWidget {
    Q_OBJECT
public:
    frmHistory(RomDocument& document, QWidget* owner);

    // The list (objectName "lstHistory"): row 0 "<empty>", row k step k.
    QListWidget* lstHistory() const { return list_; }

    // Brings the list in step with the history now (it does so by itself on
    // the document's signals).
    void Refresh();

    static QString EmptyRowText() { return QStringLiteral("<empty>"); }
    static QString SavedSuffix() { return QStringLiteral(" (saved)"); }

signals:
    // The user chose row `index`: the state after `index` steps.
    void stateChosen(int index);
    // The user closed the window (it is only hidden).
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void HistoryChanged();
    void RowChosen(int row);

    RomDocument& document_;
    QListWidget* list_ = nullptr;
    bool refreshing_ = false; // rows set from the history, not chosen by the user
    bool stale_ = false;      // the history changed while the window was hidden
};

} // namespace quorvan

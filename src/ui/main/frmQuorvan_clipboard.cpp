// The Edit menu's cell items (Cut, Copy, Paste, Fill Selection, Select All),
// the clipboard, and the paste that follows the pointer until a click places
// it. Also where the painting gestures are wired to the views.

#include "ui/main/frmQuorvan.h"

#include "data/CellClipboard.h"
#include "data/RomDocument.h"
#include "ui/common/FrameOverlay.h"
#include "ui/common/MsgBox.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ViewGeometry.h"

#include <QAction>
#include <QClipboard>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QWindow>

namespace quorvan {

using namespace view;

namespace {

QAction* NewItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut = {})
{
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    action->setEnabled(false);
    action->setShortcut(shortcut);
    return action;
}

const QString kPasteHelp = QStringLiteral(
    "Paste takes blocks copied in Quorvan, or text of two-digit hexadecimal block numbers: one room row per line, "
    "the numbers separated by spaces (for example \"0A 1F 00\").");

// The cells on the clipboard: the program's own form first, then text.
std::optional<CellBlock> CellsOnClipboard(QString& why)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || data->formats().isEmpty()) {
        why = QStringLiteral("The clipboard is empty.");
        return std::nullopt;
    }
    const QString mime = QString::fromLatin1(kCellsMimeType);
    if (data->hasFormat(mime)) {
        if (std::optional<CellBlock> cells = DecodeCells(data->data(mime)))
            return cells;
        why = QStringLiteral("The blocks on the clipboard are damaged.");
        if (!data->hasText())
            return std::nullopt;
    }
    if (!data->hasText()) {
        why = QStringLiteral("The clipboard holds neither blocks nor text.");
        return std::nullopt;
    }
    CellsText parsed = ParseCellsText(data->text());
    if (!parsed.ok()) {
        why = parsed.error;
        return std::nullopt;
    }
    return std::move(parsed.cells);
}

void PutOnClipboard(const CellBlock& cells)
{
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kCellsMimeType), EncodeCells(cells));
    data->setText(CellsToText(cells));
    QGuiApplication::clipboard()->setMimeData(data); // the clipboard owns it
}

} // namespace

void frmQuorvan::CreatePaintMenus()
{
    // In "&Edit", a group of their own above Preferences.
    EditFiller2_ = new QAction(mnuEdit_);
    EditFiller2_->setSeparator(true);
    EditFiller2_->setObjectName(QStringLiteral("EditFiller2"));
    mnuCut_ = NewItem(mnuEdit_, QStringLiteral("mnuCut"), QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuCopy_ = NewItem(mnuEdit_, QStringLiteral("mnuCopy"), QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuPaste_ = NewItem(mnuEdit_, QStringLiteral("mnuPaste"), QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuFillSelection_ = NewItem(mnuEdit_, QStringLiteral("mnuFillSelection"), QStringLiteral("&Fill Selection"));
    mnuSelectAll_ = NewItem(mnuEdit_, QStringLiteral("mnuSelectAll"), QStringLiteral("Select &All"),
                            QKeySequence(Qt::CTRL | Qt::Key_A));
    for (QAction* item : {EditFiller2_, mnuCut_, mnuCopy_, mnuPaste_, mnuFillSelection_, mnuSelectAll_})
        mnuEdit_->insertAction(EditFiller1_, item);

    // The frame around the selected block lies over the table, not in it.
    paint_.tableFrame = new FrameOverlay(QStringLiteral("picTileFrame"), picTile_);

    CreateNavigationKeys();
}

void frmQuorvan::ConnectPaint()
{
    connect(mnuCut_, &QAction::triggered, this, &frmQuorvan::mnuCut_Click);
    connect(mnuCopy_, &QAction::triggered, this, &frmQuorvan::mnuCopy_Click);
    connect(mnuPaste_, &QAction::triggered, this, &frmQuorvan::mnuPaste_Click);
    connect(mnuFillSelection_, &QAction::triggered, this, &frmQuorvan::mnuFillSelection_Click);
    connect(mnuSelectAll_, &QAction::triggered, this, &frmQuorvan::mnuSelectAll_Click);
    connect(picEditor_, &PictureBox::mouseMove, this, &frmQuorvan::picEditor_MouseMove);
    connect(picEditor_, &PictureBox::mouseUp, this, &frmQuorvan::picEditor_MouseUp);
    connect(picEditor_, &PictureBox::mouseLeave, this, &frmQuorvan::picEditor_MouseLeave);
    connect(picEditor_, &PictureBox::wheel, this, [this](int steps, int, int, int) {
        // Away from the user is back one room; the room's Change runs as for the scroll bar.
        if (StageChosen())
            hLevel_Frames_->setValue(hLevel_Frames_->value() - steps);
    });
    connect(picTile_, &PictureBox::wheel, this, [this](int steps, int, int, int) {
        if (StageChosen())
            hsTable_->setValue(hsTable_->value() - steps);
    });

    // Another room, stage or image: a gesture under way ends there, and the
    // cells selected in the room left behind are no longer selected.
    const auto viewMoved = [this] {
        EndPaintGesture();
        if (!ShownSelection())
            paint_.selection = {};
        UpdatePaintMenus();
    };
    connect(hLevel_Frames_, &QScrollBar::valueChanged, this, viewMoved);
    // Another window took the keyboard in the middle of a drag: its release
    // may never come, and edits made there are no part of the stroke.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { EndPaintGesture(); });
    for (QAction* item : mnuStageSelect_)
        connect(item, &QAction::triggered, this, viewMoved);
    connect(&document_, &RomDocument::imageReplaced, this, [this, viewMoved] {
        const bool shown = ShownSelection().has_value();
        paint_.selection = {};
        viewMoved();
        if (shown)
            DrawLevel();
    });
    UpdatePaintMenus();
}

void frmQuorvan::UpdatePaintMenus()
{
    const bool room = CanEditRoom();
    const bool selected = ShownSelection().has_value();
    const bool block = SelectedBlock() >= 0;
    mnuCopy_->setEnabled(selected);
    mnuCut_->setEnabled(selected && block);
    mnuFillSelection_->setEnabled(selected && block);
    mnuPaste_->setEnabled(room);
    mnuSelectAll_->setEnabled(room);
}

void frmQuorvan::mnuCopy_Click()
{
    const std::optional<CellRect> rect = ShownSelection();
    if (!rect)
        return;
    const std::optional<CellBlock> cells =
        ReadRoomCells(document_.image(), document_.currentStageInfo(), hLevel_Frames_->value(), *rect);
    if (!cells) {
        MsgBox(this, QStringLiteral("Nothing was copied: some of the selected cells lie past the end of the image."),
               QStringLiteral("Copy"), QMessageBox::Ok, MsgIcon::Exclamation);
        return;
    }
    PutOnClipboard(*cells);
}

void frmQuorvan::mnuCut_Click()
{
    const std::optional<CellRect> rect = ShownSelection();
    const int block = SelectedBlock();
    if (!rect || block < 0)
        return;
    const std::optional<CellBlock> cells =
        ReadRoomCells(document_.image(), document_.currentStageInfo(), hLevel_Frames_->value(), *rect);
    if (!cells) {
        MsgBox(this, QStringLiteral("Nothing was cut: some of the selected cells lie past the end of the image."),
               QStringLiteral("Cut"), QMessageBox::Ok, MsgIcon::Exclamation);
        return;
    }
    PutOnClipboard(*cells);
    WriteRoomEdit(FillWrites(*rect, static_cast<std::uint8_t>(block)), QStringLiteral("Cut"));
}

void frmQuorvan::mnuFillSelection_Click()
{
    const std::optional<CellRect> rect = ShownSelection();
    const int block = SelectedBlock();
    if (!rect || block < 0)
        return;
    WriteRoomEdit(FillWrites(*rect, static_cast<std::uint8_t>(block)), QStringLiteral("Fill Selection"));
}

void frmQuorvan::mnuSelectAll_Click()
{
    if (CanEditRoom())
        SetSelection(kWholeRoom);
}

void frmQuorvan::mnuPaste_Click()
{
    if (!CanEditRoom())
        return;
    QString why;
    std::optional<CellBlock> cells = CellsOnClipboard(why);
    if (!cells) {
        MsgBox(this, QStringLiteral("The clipboard holds nothing that can be pasted into a room."),
               QStringLiteral("Paste"), QMessageBox::Ok, MsgIcon::Exclamation, QMessageBox::NoButton,
               why + QStringLiteral("\n\n") + kPasteHelp);
        return;
    }
    BeginPaste(std::move(*cells));
}

void frmQuorvan::BeginPaste(CellBlock cells)
{
    EndPaintGesture();
    if (!PastePending()) {
        // The preview follows the pointer with no button held, which needs the
        // view's mouse tracking; whatever it was is restored afterwards.
        paint_.paste.trackingBefore = picEditor_->hasMouseTracking();
        picEditor_->setMouseTracking(true);
        picEditor_->setCursor(Qt::CrossCursor);
    }
    paint_.paste.cells = std::move(cells);
    const QPoint pointer = picEditor_->mapFromGlobal(QCursor::pos());
    paint_.paste.at = picEditor_->rect().contains(pointer) ? std::optional<CellPos>(CellUnder(pointer.x(), pointer.y()))
                                                           : std::nullopt;
    DrawLevel();
}

void frmQuorvan::MovePaste(std::optional<CellPos> at)
{
    if (at == paint_.paste.at)
        return;
    paint_.paste.at = at;
    DrawLevel();
}

void frmQuorvan::PlacePaste(CellPos at)
{
    if (!PastePending() || !CanEditRoom())
        return;
    // The cells outside the room are left out; cells outside the image stop the paste.
    if (WriteRoomEdit(PasteWrites(*paint_.paste.cells, at), QStringLiteral("Paste")))
        EndPaste();
}

void frmQuorvan::EndPaste()
{
    if (!PastePending())
        return;
    picEditor_->setMouseTracking(paint_.paste.trackingBefore);
    picEditor_->unsetCursor();
    paint_.paste = {};
    DrawLevel();
}

void frmQuorvan::EscapePressed()
{
    if (PastePending())
        EndPaste();
    else
        ClearSelection();
}

} // namespace quorvan

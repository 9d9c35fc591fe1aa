// The Edit menu's cell items of the room editor (Cut, Copy, Paste), the
// paste that follows the pointer until a click places it, and the layer the
// editor draws over the room: the selection's tint and outline and the
// blocks about to be pasted.

#include "ui/main/RoomEditor.h"

#include "data/CellClipboard.h"
#include "data/RomDocument.h"
#include "graphics/Compositor.h"
#include "graphics/DocumentSource.h"
#include "ui/common/MsgBox.h"
#include "ui/common/PictureBox.h"
#include "ui/main/ViewGeometry.h"
#include "ui/main/ViewState.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace quorvan {

using namespace view;

namespace {

const QString kPasteHelp = QStringLiteral(
    "Paste takes blocks copied in Quorvan, or text of two-digit hexadecimal block numbers: one room row per line, "
    "the numbers separated by spaces (for example \"0A 1F 00\").");

// The cells on the clipboard: the program's own form first, then text;
// `origin` receives where they were copied from, when that is known.
std::optional<CellBlock> CellsOnClipboard(QString& why, std::optional<CellPos>& origin)
{
    origin.reset();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || data->formats().isEmpty()) {
        why = QStringLiteral("The clipboard is empty.");
        return std::nullopt;
    }
    const QString mime = QString::fromLatin1(kCellsMimeType);
    if (data->hasFormat(mime)) {
        if (std::optional<CellBlock> cells = DecodeCells(data->data(mime), &origin))
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

void PutOnClipboard(const CellBlock& cells, CellPos origin)
{
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kCellsMimeType), EncodeCells(cells, origin));
    data->setText(CellsToText(cells));
    QGuiApplication::clipboard()->setMimeData(data); // the clipboard owns it
}

// Dashes of kDash pixels alternating between two colours, two pixels wide,
// just inside the rectangle's edge pixels; the dashes run on around the
// corners, so the outline shows on any block.
constexpr int kDash = 4;

void SetPixel(QImage& image, int x, int y, std::uint32_t colour)
{
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        reinterpret_cast<std::uint32_t*>(image.scanLine(y))[x] = colour;
}

void DrawDashedOutline(QImage& image, const QRect& box, std::uint32_t first, std::uint32_t second)
{
    for (int ring = 0; ring < 2; ++ring) {
        const QRect r = box.adjusted(ring, ring, -ring, -ring);
        if (r.width() < 1 || r.height() < 1)
            return;
        // Along the edge, clockwise from the top-left pixel.
        int step = 0;
        const auto put = [&](int x, int y) { SetPixel(image, x, y, (step++ / kDash) % 2 == 0 ? first : second); };
        for (int x = r.left(); x <= r.right(); ++x)
            put(x, r.top());
        for (int y = r.top() + 1; y <= r.bottom(); ++y)
            put(r.right(), y);
        for (int x = r.right() - 1; x >= r.left(); --x)
            put(x, r.bottom());
        for (int y = r.bottom() - 1; y > r.top(); --y)
            put(r.left(), y);
    }
}

// The selected cells show through a blue tint: a third of each pixel's way
// to kTint, so the whole area stands out on busy blocks too.
constexpr std::uint32_t kTint = 0x2080FF;

void Tint(QImage& image, const QRect& box)
{
    const QRect inside = box.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = inside.left(); x <= inside.right(); ++x) {
            std::uint32_t mixed = 0;
            for (const int shift : {16, 8, 0}) {
                const std::uint32_t from = (row[x] >> shift) & 0xFFu;
                const std::uint32_t to = (kTint >> shift) & 0xFFu;
                mixed |= ((from * 2 + to) / 3) << shift;
            }
            row[x] = mixed;
        }
    }
}

QRect PixelsOf(const CellRect& cells)
{
    return {cells.column * kCell, cells.row * kCell, cells.columns * kCell, cells.rows * kCell};
}

} // namespace

void RoomEditor::Copy()
{
    const std::optional<CellRect> rect = ShownSelection();
    if (!rect)
        return;
    const std::optional<CellBlock> cells =
        ReadRoomCells(document_.image(), document_.currentStageInfo(), view_.room, *rect);
    if (!cells) {
        Refuse(QStringLiteral("Nothing was copied: some of the selected cells lie past the end of the image."),
               QStringLiteral("Copy"));
        return;
    }
    PutOnClipboard(*cells, {rect->column, rect->row});
}

void RoomEditor::Cut()
{
    const std::optional<CellRect> rect = ShownSelection();
    if (!rect || !view_.blockSelected())
        return;
    const std::optional<CellBlock> cells =
        ReadRoomCells(document_.image(), document_.currentStageInfo(), view_.room, *rect);
    if (!cells) {
        Refuse(QStringLiteral("Nothing was cut: some of the selected cells lie past the end of the image."),
               QStringLiteral("Cut"));
        return;
    }
    PutOnClipboard(*cells, {rect->column, rect->row});
    WriteRoomEdit(FillWrites(*rect, static_cast<std::uint8_t>(view_.selectedBlock)), QStringLiteral("Cut"));
}

void RoomEditor::FillSelection()
{
    const std::optional<CellRect> rect = ShownSelection();
    if (!rect || !view_.blockSelected())
        return;
    WriteRoomEdit(FillWrites(*rect, static_cast<std::uint8_t>(view_.selectedBlock)), QStringLiteral("Fill Selection"));
}

void RoomEditor::SelectAll()
{
    if (CanEditRoom())
        SetSelection(kWholeRoom);
}

void RoomEditor::Paste()
{
    if (!CanEditRoom())
        return;
    std::optional<CellPos> origin;
    std::optional<CellBlock> cells = CellsFromClipboard(origin);
    if (cells)
        BeginPaste(std::move(*cells));
}

std::optional<CellBlock> RoomEditor::CellsFromClipboard(std::optional<CellPos>& origin)
{
    QString why;
    std::optional<CellBlock> cells = CellsOnClipboard(why, origin);
    if (!cells)
        MsgBox(dialogs_, QStringLiteral("The clipboard holds nothing that can be pasted into a room."),
               QStringLiteral("Paste"), QMessageBox::Ok, MsgIcon::Exclamation, QMessageBox::NoButton,
               why + QStringLiteral("\n\n") + kPasteHelp);
    return cells;
}

void RoomEditor::PasteInPlace()
{
    if (!CanEditRoom())
        return;
    std::optional<CellPos> origin;
    const std::optional<CellBlock> cells = CellsFromClipboard(origin);
    if (!cells)
        return;
    if (!origin) {
        Refuse(QStringLiteral("Paste in Place puts blocks back where they were copied from, and the text on the "
                              "clipboard does not say where that was. Use Paste to place it with the mouse."),
               QStringLiteral("Paste in Place"));
        return;
    }
    EndPaste();
    WriteRoomEdit(PasteWrites(*cells, *origin), QStringLiteral("Paste"));
}

void RoomEditor::SelectNone()
{
    selecting_.active = false;
    ClearSelection();
}

void RoomEditor::BeginPaste(CellBlock cells)
{
    EndGesture();
    if (!PastePending()) {
        // The preview follows the pointer with no button held, which needs the
        // view's mouse tracking; whatever it was is restored afterwards.
        paste_.trackingBefore = picture_.hasMouseTracking();
        picture_.setMouseTracking(true);
        picture_.setCursor(Qt::CrossCursor);
    }
    paste_.cells = std::move(cells);
    const QPoint pointer = picture_.mapFromGlobal(QCursor::pos());
    paste_.at = picture_.rect().contains(pointer) ? std::optional<CellPos>(CellUnder(pointer.x(), pointer.y()))
                                                  : std::nullopt;
    emit layerChanged();
}

void RoomEditor::MovePaste(std::optional<CellPos> at)
{
    if (at == paste_.at)
        return;
    paste_.at = at;
    emit layerChanged();
}

void RoomEditor::PlacePaste(CellPos at)
{
    if (!PastePending() || !CanEditRoom())
        return;
    // The cells outside the room are left out; cells outside the image stop the paste.
    if (WriteRoomEdit(PasteWrites(*paste_.cells, at), QStringLiteral("Paste")))
        EndPaste();
}

void RoomEditor::EndPaste()
{
    if (!PastePending())
        return;
    picture_.setMouseTracking(paste_.trackingBefore);
    picture_.unsetCursor();
    paste_ = {};
    emit layerChanged();
}

bool RoomEditor::Blends() const
{
    return ShownSelection().has_value() || (paste_.cells && paste_.at && CanEditRoom());
}

void RoomEditor::DrawOver(QImage& view)
{
    // The selected cells: tinted, in white and black dashes.
    if (const std::optional<CellRect> selection = ShownSelection()) {
        Tint(view, PixelsOf(*selection));
        DrawDashedOutline(view, PixelsOf(*selection), 0xFFFFFFu, 0x000000u);
    }
    // The paste about to be placed: its blocks where they would go, clipped at
    // the room's edges, outlined in yellow and black dashes.
    if (!paste_.cells || !paste_.at || !CanEditRoom())
        return;
    const CellBlock& cells = *paste_.cells;
    const CellRect placed = CellRect{paste_.at->column, paste_.at->row, cells.columns, cells.rows}.intersected(kWholeRoom);
    // What the blocks would look like; drawing problems among them are the
    // table's to report, where the same blocks are shown.
    RenderFaults ignored;
    const StageSource source = SourceOf(document_);
    for (int row = placed.row; row < placed.row + placed.rows; ++row)
        for (int column = placed.column; column < placed.column + placed.columns; ++column)
            ComposeBlock(view, source, cells.at(column - paste_.at->column, row - paste_.at->row), kBlockScale,
                         column * kCell, row * kCell, ignored);
    if (!placed.empty())
        DrawDashedOutline(view, PixelsOf(placed), 0xFFFF00u, 0x000000u);
}

} // namespace quorvan

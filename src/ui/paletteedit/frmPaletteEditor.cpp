#include "ui/paletteedit/frmPaletteEditor.h"

#include "data/RomDocument.h"
#include "graphics/NesColours.h"
#include "ui/common/PictureBox.h"
#include "ui/common/SetTopMostWindow.h"

#include <QCloseEvent>
#include <QPainter>

namespace quorvan {

namespace {

// A colour of the table (0x00RRGGBB) as the controls take it.
QColor DisplayColour(std::uint32_t colour)
{
    return QColor(static_cast<QRgb>(colour));
}

constexpr int kClientWidth = 529;
constexpr int kClientHeight = 287;
constexpr QPoint kGridPosition(8, 144);
constexpr int kGridWidth = frmPaletteEditor::kGridColumns * frmPaletteEditor::kCell;  // 512
constexpr int kGridHeight = frmPaletteEditor::kGridRows * frmPaletteEditor::kCell;    // 128

// Three nested outlines, black, white, black, inside the square (x, y)-(x + 32, y + 32).
void DrawFrame(PictureBox& picture, int x, int y, int size)
{
    picture.setForeColor(QColor(0, 0, 0));
    picture.Rectangle(x, y, x + size, y + size);
    picture.setForeColor(QColor(255, 255, 255));
    picture.Rectangle(x + 1, y + 1, x + size - 1, y + size - 1);
    picture.setForeColor(QColor(0, 0, 0));
    picture.Rectangle(x + 2, y + 2, x + size - 2, y + size - 2);
}

} // namespace

frmPaletteEditor::frmPaletteEditor(RomDocument& document, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      document_(document)
{
    CreateWidgets();
    ConnectWidgets();
    Form_Load();
}

void frmPaletteEditor::CreateWidgets()
{
    setObjectName(QStringLiteral("frmPaletteEditor"));
    setWindowTitle(QStringLiteral("Palette Editor"));
    setFixedSize(kClientWidth, kClientHeight);

    for (int i = 0; i < kSwatches; ++i) {
        auto* swatch = new PictureBox(QStringLiteral("picLoadedPal(%1)").arg(i), kCell, kCell, this);
        swatch->move(SwatchPosition(i));
        picLoadedPal_[static_cast<std::size_t>(i)] = swatch;
    }
    picPalGrid_ = new PictureBox(QStringLiteral("picPalGrid"), kGridWidth, kGridHeight, this);
    picPalGrid_->move(kGridPosition);
}

void frmPaletteEditor::ConnectWidgets()
{
    for (int i = 0; i < kSwatches; ++i) {
        // A swatch is selected by a left click.
        connect(picLoadedPal_[static_cast<std::size_t>(i)], &PictureBox::mouseDown, this,
                [this, i](int button, int, int, int) {
                    if (button == 1)
                        picLoadedPal_Click(i);
                });
    }
    connect(picPalGrid_, &PictureBox::mouseDown, this, &frmPaletteEditor::picPalGrid_MouseDown);
    // The swatches follow every change of the stage's palette bytes, made here or anywhere.
    connect(&document_, &RomDocument::changed, this, &frmPaletteEditor::Document_Changed);
    const auto catchUp = [this] { document_.FlushChanges(); };
    picPalGrid_->setCatchUp(catchUp);
    for (PictureBox* swatch : picLoadedPal_)
        swatch->setCatchUp(catchUp);
}

void frmPaletteEditor::Document_Changed(const DocumentChange& change)
{
    if (change.replaced) {
        Init(); // another image: its swatches from the start
        return;
    }
    const std::int64_t first = PaletteByteOffset(0);
    if (change.bytes.Intersects(first, first + kSwatches))
        Refresh(); // the user's swatch stays selected
}

void frmPaletteEditor::Form_Load()
{
    // Where it opens is its owner's choice.
    SetTopMostWindow(this, true);
    Init();
}

PictureBox* frmPaletteEditor::picLoadedPal(int index) const
{
    if (index < 0 || index >= kSwatches)
        return nullptr;
    return picLoadedPal_[static_cast<std::size_t>(index)];
}

QPoint frmPaletteEditor::SwatchPosition(int index)
{
    // Two rows of eight; each row holds two palettes of four swatches, 48 pixels
    // apart, with a wider gap between the palettes.
    const int k = index % 8;
    const int left = k < 4 ? 56 + 48 * k : 288 + 48 * (k - 4);
    const int top = index < 8 ? 40 : 88;
    return {left, top};
}

QString frmPaletteEditor::SwatchToolTip(std::uint8_t value)
{
    return QString::number(value, 16).toUpper();
}

std::int64_t frmPaletteEditor::PaletteByteOffset(int index) const
{
    return std::int64_t{document_.currentStageInfo().Palettes} + index;
}

void frmPaletteEditor::ShowSwatch(int index)
{
    PictureBox* swatch = picLoadedPal_[static_cast<std::size_t>(index)];
    const std::int64_t offset = PaletteByteOffset(index);
    const RomBuffer& image = document_.image();
    if (!image.contains(offset)) {
        // No byte to show: the fault colour, and no value in the tooltip.
        swatch->setBackColor(DisplayColour(kFaultColour));
        swatch->setToolTip(QString());
        return;
    }
    const std::uint8_t value = image.at(offset);
    // A byte of 64 or more names no colour: the fault colour shows it, the
    // tooltip still tells the value.
    const std::uint32_t colour = NesColourOrFault(value);
    swatch->setBackColor(DisplayColour(colour));
    swatch->setToolTip(SwatchToolTip(value));
}

void frmPaletteEditor::Init()
{
    if (document_.fileName().isEmpty())
        return;
    for (int i = 0; i < kSwatches; ++i)
        ShowSwatch(i);
    picLoadedPal_Click(0);
}

void frmPaletteEditor::Refresh()
{
    if (document_.fileName().isEmpty())
        return;
    // Selecting the same swatch again recolours every swatch from the image.
    picLoadedPal_Click(SelectedPal_);
}

void frmPaletteEditor::picLoadedPal_Click(int Index)
{
    if (Index < 0 || Index >= kSwatches)
        return;
    // Recolouring clears every swatch, and with it the frame of the previous selection.
    for (int i = 0; i < kSwatches; ++i)
        ShowSwatch(i);

    const std::uint8_t value = document_.image().at(PaletteByteOffset(Index));
    DrawPaletteGrid(static_cast<std::int16_t>((value % 16) * kCell), static_cast<std::int16_t>((value / 16) * kCell));

    PictureBox* swatch = picLoadedPal_[static_cast<std::size_t>(Index)];
    DrawFrame(*swatch, 0, 0, swatch->ScaleWidth());
    swatch->update();

    SelectedPal_ = static_cast<std::int16_t>(Index);
}

void frmPaletteEditor::PaintColourCells()
{
    QPainter painter(&picPalGrid_->backBuffer());
    for (int c = 0; c < kGridColumns; ++c) {
        for (int r = 0; r < kGridRows; ++r) {
            const auto n = static_cast<std::size_t>(r * kGridColumns + c);
            painter.fillRect(QRect(c * kCell, r * kCell, kCell, kCell), DisplayColour(kNesColours[n]));
        }
    }
    picPalGrid_->update();
}

void frmPaletteEditor::DrawPaletteGrid(std::int16_t x, std::int16_t y)
{
    PaintColourCells();

    // Lines at every multiple of 32; those beyond the picture are clipped.
    picPalGrid_->setForeColor(QColor(0, 0, 0));
    picPalGrid_->GridLines(kCell, 16);

    // A byte of 64 or more has no cell: no highlight.
    if (x >= 0 && y >= 0 && x + kCell <= kGridWidth && y + kCell <= kGridHeight)
        DrawFrame(*picPalGrid_, x, y, kCell);
    picPalGrid_->update();
}

void frmPaletteEditor::picPalGrid_MouseDown(int, int, int X, int Y)
{
    if (X < 0 || Y < 0 || X >= kGridWidth || Y >= kGridHeight)
        return;
    if (document_.fileName().isEmpty())
        return;
    const auto sx = static_cast<std::int16_t>(X / kCell * kCell);
    const auto sy = static_cast<std::int16_t>(Y / kCell * kCell);

    const auto n = static_cast<std::uint8_t>((sy / kCell) * kGridColumns + sx / kCell);
    {
        EditStep step(document_.history(), QStringLiteral("Colour"), {document_.currentStage(), -1, -1});
        document_.image().write(PaletteByteOffset(SelectedPal_), n);
    }
    // Every view drawn with the palette, this one too, follows the change
    // (Document_Changed); the same colour picked again changes nothing.
}

void frmPaletteEditor::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

} // namespace quorvan

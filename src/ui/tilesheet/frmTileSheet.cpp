#include "ui/tilesheet/frmTileSheet.h"

#include "data/RomDocument.h"
#include "graphics/DocumentSource.h"
#include "graphics/TileSheet.h"
#include "graphics/clsNesTiles.h"
#include "ui/common/FrameOverlay.h"
#include "ui/common/PictureBox.h"
#include "ui/common/RenderFaultReport.h"
#include "ui/common/SetTopMostWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QRegion>
#include <QWindow>

namespace quorvan {

namespace {

// The sheet on the left; the zoomed tile, its swatches and the palette
// options in a column beside it; the info line under both.
constexpr int kMargin = 8;
constexpr int kColumnX = kMargin + kSheetSide + 12;
constexpr int kSwatch = 24;
constexpr int kSwatchX = kColumnX + kTileZoomSide + 8;
constexpr int kSwatchPitch = 34;
constexpr int kOptionsY = kMargin + kTileZoomSide + 10;
constexpr int kInfoY = kMargin + kSheetSide + 8;
constexpr int kLineHeight = 17;
constexpr int kClientWidth = kSwatchX + kSwatch + kMargin;
constexpr int kClientHeight = kInfoY + kLineHeight + kMargin;
constexpr QRgb kNoTileColour = 0xFF404040; // picPixels while no tile is selected

constexpr int kLeftButton = 1;

QColor Colour(std::uint32_t rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | rgb));
}

// Three nested outlines, black, white, black, at the swatch's edge.
void FrameSwatch(PictureBox& swatch)
{
    const int last = kSwatch - 1;
    for (int ring = 0; ring < 3; ++ring) {
        swatch.setForeColor(ring == 1 ? Qt::white : Qt::black);
        swatch.Rectangle(ring, ring, last - ring, last - ring);
    }
}

} // namespace

frmTileSheet::frmTileSheet(RomDocument& document, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      document_(document)
{
    setObjectName(QStringLiteral("frmTileSheet"));
    setWindowTitle(QStringLiteral("Tile Sheet"));
    CreateWidgets();
    ConnectWidgets();
    SetTopMostWindow(this, true);
}

void frmTileSheet::CreateWidgets()
{
    setFixedSize(kClientWidth, kClientHeight);

    picSheet_ = new PictureBox(QStringLiteral("picSheet"), kSheetSide, kSheetSide, this);
    picSheet_->move(kMargin, kMargin);
    picSheet_->setMouseTracking(true); // the info line follows the pointer
    // The frame lies on the grid lines around the tile: one pixel past the
    // cell's right and bottom edges, which for the last column and row is
    // past the picture.
    frame_ = new FrameOverlay(QStringLiteral("picSheetFrame"), picSheet_, FrameStyle{false, 1});

    picPixels_ = new PictureBox(QStringLiteral("picPixels"), kTileZoomSide, kTileZoomSide, this);
    picPixels_->move(kColumnX, kMargin);
    picPixels_->setToolTip(QStringLiteral("Left button: draw with the framed colour. Right button: take a pixel's colour."));
    picPixels_->setBackColor(Colour(kNoTileColour));

    for (int i = 0; i < 4; ++i) {
        auto* swatch = new PictureBox(QStringLiteral("picSheetPal(%1)").arg(i), kSwatch, kSwatch, this);
        swatch->move(kSwatchX, kMargin + i * kSwatchPitch);
        swatch->setToolTip(QStringLiteral("Pixel value %1: click to draw with it").arg(i));
        picSheetPal_[static_cast<std::size_t>(i)] = swatch;
    }

    auto* caption = new QLabel(QStringLiteral("Palette"), this);
    caption->setObjectName(QStringLiteral("lblSheetPal"));
    caption->setGeometry(kColumnX, kOptionsY, kTileZoomSide, kLineHeight);
    // One exclusive group: the four buttons share this window as their parent.
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(QString::number(i), this);
        option->setObjectName(QStringLiteral("optSheetPal(%1)").arg(i));
        option->setGeometry(kColumnX + i * 40, kOptionsY + kLineHeight + 2, 38, kLineHeight);
        optSheetPal_[static_cast<std::size_t>(i)] = option;
    }
    optSheetPal_[0]->setChecked(true);

    lblSheetInfo_ = new QLabel(this);
    lblSheetInfo_->setObjectName(QStringLiteral("lblSheetInfo"));
    lblSheetInfo_->setGeometry(kMargin, kInfoY, kClientWidth - 2 * kMargin, kLineHeight);
}

void frmTileSheet::ConnectWidgets()
{
    connect(picSheet_, &PictureBox::mouseDown, this, &frmTileSheet::picSheet_MouseDown);
    connect(picSheet_, &PictureBox::mouseMove, this, [this](int, int, int x, int y) {
        const int tile = SheetTileAt(x, y);
        if (tile != hoverTile_) {
            hoverTile_ = tile;
            ShowInfo();
        }
    });
    connect(picSheet_, &PictureBox::mouseLeave, this, [this] {
        hoverTile_ = -1;
        ShowInfo();
    });
    connect(picPixels_, &PictureBox::mouseDown, this, &frmTileSheet::picPixels_MouseDown);
    connect(picPixels_, &PictureBox::mouseMove, this, &frmTileSheet::picPixels_MouseMove);
    connect(picPixels_, &PictureBox::mouseUp, this, &frmTileSheet::picPixels_MouseUp);
    for (int i = 0; i < 4; ++i) {
        connect(picSheetPal_[static_cast<std::size_t>(i)], &PictureBox::mouseDown, this,
                [this, i](int button, int, int, int) {
                    if (button == kLeftButton)
                        SetDrawingValue(i);
                });
        connect(optSheetPal_[static_cast<std::size_t>(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (!on || i == palette_)
                return;
            palette_ = i;
            if (isVisible())
                DrawAll();
            else
                stale_ = true;
        });
    }
    // The tiles shown follow every change of the image, made here or anywhere.
    connect(&document_, &RomDocument::changed, this, &frmTileSheet::Document_Changed);
    const auto catchUp = [this] { CatchUp(); };
    picSheet_->setCatchUp(catchUp);
    picPixels_->setCatchUp(catchUp);
    for (PictureBox* swatch : picSheetPal_)
        swatch->setCatchUp(catchUp);
    // Another window took the keyboard in the middle of a stroke: its release
    // may never come here.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* now) {
        if (now != nullptr && now != windowHandle())
            EndStroke();
    });
}

bool frmTileSheet::CanDraw() const
{
    return document_.isOpen() && document_.currentStage() >= 0 && document_.currentStage() < kStageRows;
}

void frmTileSheet::CatchUp()
{
    document_.FlushChanges();
    if (stale_)
        DrawAll();
}

void frmTileSheet::ShowStage()
{
    // A stroke belongs to the stage it began in.
    EndStroke();
    if (isVisible())
        DrawAll();
    else
        stale_ = true;
}

void frmTileSheet::DrawAll()
{
    // Pending changes first, so that the drawing below is the image as it stands.
    document_.FlushChanges();
    stale_ = false;
    if (!CanDraw()) {
        shownStage_ = -1;
        picSheet_->setBackColor(Colour(kNoTileColour));
        DrawZoom();
        ShowInfo();
        return;
    }
    shownStage_ = document_.currentStage();
    BeginRenderFaultCheck();
    RenderFaults faults;
    DrawTileSheet(ViewOf(picSheet_->backBuffer()), SourceOf(document_), palette_, faults);
    EnsureNesTiles().NoteFaults(faults);
    picSheet_->Refresh();
    DrawZoom();
    DrawSwatches();
    EndRenderFaultCheck(this, QStringLiteral("Tile sheet"));
    ShowInfo();
}

void frmTileSheet::DrawTiles(const std::bitset<256>& tiles)
{
    RenderFaults faults;
    DrawSheetTiles(ViewOf(picSheet_->backBuffer()), SourceOf(document_), palette_, tiles, faults);
    EnsureNesTiles().NoteFaults(faults);
    if (tiles.all()) {
        picSheet_->Refresh();
        return;
    }
    QRegion changed;
    for (int tile = 0; tile < kStageTiles; ++tile)
        if (tiles.test(static_cast<std::size_t>(tile)))
            changed += SheetCellRect(tile);
    picSheet_->update(changed);
}

void frmTileSheet::DrawZoom()
{
    if (selectedTile_ < 0 || !CanDraw()) {
        picPixels_->setBackColor(Colour(kNoTileColour));
        return;
    }
    RenderFaults faults;
    DrawTileZoom(ViewOf(picPixels_->backBuffer()), SourceOf(document_), palette_, selectedTile_, faults);
    EnsureNesTiles().NoteFaults(faults);
    picPixels_->Refresh();
}

void frmTileSheet::DrawSwatches()
{
    if (!CanDraw())
        return;
    RenderFaults faults;
    const TileColours colours = SheetColours(SourceOf(document_), palette_, faults);
    EnsureNesTiles().NoteFaults(faults);
    for (int i = 0; i < 4; ++i) {
        PictureBox& swatch = *picSheetPal_[static_cast<std::size_t>(i)];
        swatch.setBackColor(Colour(colours[static_cast<std::size_t>(i)]));
        if (i == drawingValue_)
            FrameSwatch(swatch);
        swatch.Refresh();
    }
}

void frmTileSheet::ShowInfo()
{
    const int tile = hoverTile_ >= 0 ? hoverTile_ : selectedTile_;
    QString text;
    if (tile >= 0 && CanDraw())
        text = TileInfo(document_.image().bytes(), document_.stages(), document_.currentStage(), tile).toQString();
    // Only a new text reaches the label: a stroke step changes no number.
    if (lblSheetInfo_->text() != text)
        lblSheetInfo_->setText(text);
}

void frmTileSheet::Document_Changed(const DocumentChange& change)
{
    if (change.replaced)
        EndStroke(); // its tile is in an image that went
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    if (change.replaced || !CanDraw() || shownStage_ != document_.currentStage()) {
        DrawAll();
        return;
    }
    // Only the tiles whose pixels read a changed byte, and the rest only when
    // what it shows changed.
    const StageSource source = SourceOf(document_);
    const TileMask touched = SheetTilesTouched(source, palette_, change.bytes);
    if (touched.any()) {
        BeginRenderFaultCheck();
        DrawTiles(touched);
        if (selectedTile_ >= 0 && touched.test(static_cast<std::size_t>(selectedTile_)))
            DrawZoom();
        const std::int64_t colours = std::int64_t{document_.currentStageInfo().Palettes} + 4 * palette_;
        if (change.bytes.Intersects(colours, colours + 4))
            DrawSwatches();
        EndRenderFaultCheck(this, QStringLiteral("Tile sheet"));
    }
    ShowInfo(); // a block may name the tile now, or no longer
}

void frmTileSheet::SetPalette(int palette)
{
    if (palette < 0 || palette > 3 || palette == palette_)
        return;
    optSheetPal_[static_cast<std::size_t>(palette)]->setChecked(true); // its handler draws
}

void frmTileSheet::SelectTile(int tile)
{
    if (tile < -1 || tile >= kStageTiles || tile == selectedTile_)
        return;
    EndStroke(); // a stroke paints the tile it began on
    selectedTile_ = tile;
    frame_->setFrame(tile >= 0 ? SheetCellRect(tile).adjusted(0, 0, 1, 1) : QRect());
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    DrawZoom();
    ShowInfo();
}

void frmTileSheet::SetDrawingValue(int value)
{
    if (value < 0 || value > 3 || value == drawingValue_)
        return;
    drawingValue_ = value;
    if (isVisible())
        DrawSwatches();
    else
        stale_ = true;
}

void frmTileSheet::picSheet_MouseDown(int button, int, int x, int y)
{
    const int tile = SheetTileAt(x, y);
    if (button == kLeftButton && tile >= 0 && CanDraw())
        SelectTile(tile);
}

void frmTileSheet::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (stale_ || shownStage_ != document_.currentStage())
        DrawAll();
}

void frmTileSheet::hideEvent(QHideEvent* event)
{
    EndStroke();
    QWidget::hideEvent(event);
}

void frmTileSheet::closeEvent(QCloseEvent* event)
{
    // Closing only hides the window; it keeps its tile, palette and value.
    event->ignore();
    hide();
    emit closed();
}

} // namespace quorvan

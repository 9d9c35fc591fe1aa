#include "ui/tileedit/frmTileEdit.h"

#include "data/RomDocument.h"
#include "graphics/DocumentSource.h"
#include "graphics/DrawBlock.h"
#include "graphics/RoomDependencies.h"
#include "graphics/NesColours.h"
#include "graphics/clsNesTiles.h"
#include "ui/common/PictureBox.h"
#include "ui/common/RenderFaultReport.h"
#include "ui/common/SetTopMostWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>

namespace quorvan {

namespace {

constexpr int kClientWidth = 176;
constexpr int kClientHeight = 306;
constexpr int kFlagValues = 64;
constexpr int kScale = 8;

// A platform colour value (red in the low byte) as a QColor.
QColor FromPlatformColour(std::uint32_t value)
{
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

QString FlagText(int flags)
{
    return QString::number(flags, 16).toUpper() + QStringLiteral(" - ???");
}

QScrollBar* NewScrollBar(Qt::Orientation orientation, const QString& name, const QRect& geometry, QWidget* parent)
{
    auto* bar = new QScrollBar(orientation, parent);
    bar->setObjectName(name);
    bar->setGeometry(geometry);
    bar->setRange(0, 255);
    bar->setSingleStep(1);
    bar->setPageStep(16);
    // Tracking on: valueChanged fires at every step of a drag, so dragging
    // writes and redraws exactly like a committed change.
    bar->setTracking(true);
    return bar;
}

} // namespace

frmTileEdit::frmTileEdit(RomDocument& document, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      document_(document)
{
    setObjectName(QStringLiteral("frmTileEdit"));
    setWindowTitle(QStringLiteral("Tile Editor"));
    CreateWidgets();
    ConnectWidgets();
    Form_Load();
}

void frmTileEdit::CreateWidgets()
{
    setFixedSize(kClientWidth, kClientHeight);

    for (int i = 0; i < 4; ++i) {
        auto* swatch = new PictureBox(QStringLiteral("picPal(%1)").arg(i), 16, 16, this);
        swatch->move(24 + 32 * i, 16);
        picPal_[static_cast<std::size_t>(i)] = swatch;
    }

    // Created in tab order: the top tiles, the block, the bottom tiles, palette, flags.
    const std::array<QPoint, 4> tilePositions{QPoint(16, 40), QPoint(80, 40), QPoint(16, 184), QPoint(80, 184)};
    for (int k = 0; k < 2; ++k) {
        hsTile_[static_cast<std::size_t>(k)] =
            NewScrollBar(Qt::Horizontal, QStringLiteral("hsTile(%1)").arg(k),
                         QRect(tilePositions[static_cast<std::size_t>(k)], QSize(64, 17)), this);
    }

    picTile_ = new PictureBox(QStringLiteral("picTile"), 128, 128, this);
    picTile_->move(16, 56);

    vsTile_ = NewScrollBar(Qt::Vertical, QStringLiteral("vsTile"), QRect(144, 56, 17, 128), this);

    for (int k = 2; k < 4; ++k) {
        hsTile_[static_cast<std::size_t>(k)] =
            NewScrollBar(Qt::Horizontal, QStringLiteral("hsTile(%1)").arg(k),
                         QRect(tilePositions[static_cast<std::size_t>(k)], QSize(64, 17)), this);
    }

    // One exclusive group: the four buttons share this window as their parent.
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(this);
        option->setObjectName(QStringLiteral("optPal(%1)").arg(i));
        option->setGeometry(24 + 32 * i, 208, 17, 13);
        optPal_[static_cast<std::size_t>(i)] = option;
    }

    lblFlags_ = new QLabel(QStringLiteral("Flags"), this);
    lblFlags_->setObjectName(QStringLiteral("lblFlags"));
    lblFlags_->setGeometry(16, 224, 49, 17);

    cboFlags_ = new QComboBox(this);
    cboFlags_->setObjectName(QStringLiteral("cboFlags"));
    cboFlags_->setEditable(false);
    cboFlags_->setGeometry(72, 224, 81, 21);

    cmdRefresh_ = new QPushButton(QStringLiteral("Refresh Editor"), this);
    cmdRefresh_->setObjectName(QStringLiteral("cmdRefresh"));
    cmdRefresh_->setGeometry(40, 256, 81, 25);
    // The caption must fit the button's fixed width: with a wide system font,
    // a smaller size of it rather than a clipped caption.
    QFont captionFont = cmdRefresh_->font();
    while (QFontMetrics(captionFont).horizontalAdvance(cmdRefresh_->text()) > 81 - 8 && captionFont.pointSizeF() > 6.0)
        captionFont.setPointSizeF(captionFont.pointSizeF() - 0.5);
    cmdRefresh_->setFont(captionFont);

    CreateValueLabels();
}

void frmTileEdit::CreateValueLabels()
{
    // Two hex digits in the free margins beside the controls, none of which
    // moves: left of the left tile bars, right of the right ones (above and
    // below vsTile), and right of vsTile.
    struct Place {
        QRect geometry;
        Qt::Alignment alignment;
    };
    const std::array<Place, 4> tiles{{{QRect(0, 40, 16, 16), Qt::AlignRight | Qt::AlignVCenter},
                                      {QRect(145, 40, 30, 16), Qt::AlignLeft | Qt::AlignVCenter},
                                      {QRect(0, 184, 16, 16), Qt::AlignRight | Qt::AlignVCenter},
                                      {QRect(145, 184, 30, 16), Qt::AlignLeft | Qt::AlignVCenter}}};
    const QRect block(161, 112, 15, 16);

    // A size at which "FF" fits the narrowest place.
    QFont font = this->font();
    font.setPixelSize(11);
    while (QFontMetrics(font).horizontalAdvance(QStringLiteral("FF")) > block.width() - 1 && font.pixelSize() > 6)
        font.setPixelSize(font.pixelSize() - 1);

    const auto newLabel = [&](const QString& name, const Place& place, const QString& tip) {
        auto* label = new QLabel(QStringLiteral("00"), this);
        label->setObjectName(name);
        label->setGeometry(place.geometry);
        label->setAlignment(place.alignment);
        label->setFont(font);
        label->setToolTip(tip);
        return label;
    };
    for (int k = 0; k < 4; ++k)
        lblTileValue_[static_cast<std::size_t>(k)] =
            newLabel(QStringLiteral("lblTileValue(%1)").arg(k), tiles[static_cast<std::size_t>(k)],
                     QStringLiteral("Tile number (hexadecimal)"));
    lblBlockValue_ = newLabel(QStringLiteral("lblBlockValue"), {block, Qt::AlignLeft | Qt::AlignVCenter},
                              QStringLiteral("Block number (hexadecimal)"));
}

void frmTileEdit::ConnectWidgets()
{
    // Each number label shows its control's value, however the value was set.
    const auto showValue = [](QScrollBar* bar, QLabel* label) {
        connect(bar, &QScrollBar::valueChanged, label, [label](int value) {
            label->setText(QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0')));
        });
    };
    showValue(vsTile_, lblBlockValue_);
    for (std::size_t k = 0; k < 4; ++k)
        showValue(hsTile_[k], lblTileValue_[k]);
    connect(vsTile_, &QScrollBar::valueChanged, this, [this] { vsTile_Change(); });
    connect(vsTile_, &QScrollBar::valueChanged, this, &frmTileEdit::blockShown);
    connect(picTile_, &PictureBox::mouseDown, this, [this](int button, int, int x, int y) {
        if (x >= 0 && y >= 0 && x < picTile_->ScaleWidth() && y < picTile_->ScaleHeight())
            emit quadrantClicked((x < picTile_->ScaleWidth() / 2 ? 0 : 1) + (y < picTile_->ScaleHeight() / 2 ? 0 : 2), button);
    });
    for (int k = 0; k < 4; ++k) {
        QScrollBar* bar = hsTile_[static_cast<std::size_t>(k)];
        connect(bar, &QScrollBar::valueChanged, this, [this, k] { hsTile_Change(k); });
        // One drag of the thumb writes at every step but is undone as one edit.
        connect(bar, &QScrollBar::sliderPressed, this, &frmTileEdit::BeginDragStep);
        connect(bar, &QScrollBar::sliderReleased, this, &frmTileEdit::EndDragStep);
    }
    for (int i = 0; i < 4; ++i) {
        connect(optPal_[static_cast<std::size_t>(i)], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked)
                optPal_Click(i);
        });
    }
    connect(cboFlags_, &QComboBox::currentIndexChanged, this, [this] { cboFlags_Click(); });
    connect(cmdRefresh_, &QPushButton::clicked, this, &frmTileEdit::cmdRefresh_Click);
    // The block shown follows every change of the image, made here or anywhere.
    connect(&document_, &RomDocument::changed, this, &frmTileEdit::Document_Changed);
    const auto catchUp = [this] { document_.FlushChanges(); };
    picTile_->setCatchUp(catchUp);
    for (PictureBox* swatch : picPal_)
        swatch->setCatchUp(catchUp);
}

void frmTileEdit::Document_Changed(const DocumentChange& change)
{
    if (document_.fileName().isEmpty() || !document_.isOpen())
        return;
    // Another image: the same block number of it. Otherwise only a change of
    // what the block is drawn from: its tile numbers, attribute, palette or tiles.
    if (change.replaced || TouchedBlocks(SourceOf(document_), change.bytes).test(static_cast<std::size_t>(vsTile_->value())))
        vsTile_Change();
}

void frmTileEdit::Form_Load()
{
    SetTopMostWindow(this, true);
    Init();
}

void frmTileEdit::Init()
{
    {
        QScopedValueRollback<bool> guard(refreshing_, true);
        bool complete = cboFlags_->count() == kFlagValues;
        for (int f = 0; complete && f < kFlagValues; ++f)
            complete = cboFlags_->itemText(f) == FlagText(f);
        if (!complete) {
            cboFlags_->clear();
            for (int f = 0; f < kFlagValues; ++f)
                cboFlags_->addItem(FlagText(f));
        }
    }
    if (!document_.fileName().isEmpty())
        vsTile_Change();
}

void frmTileEdit::ShowBlock(int block)
{
    vsTile_->setValue(block);
}

std::uint32_t frmTileEdit::NesColorToRGB(std::uint32_t entry)
{
    const std::uint32_t red = (entry >> 16) & 0xFFu;
    const std::uint32_t green = (entry >> 8) & 0xFFu;
    const std::uint32_t blue = entry & 0xFFu;
    return red + 256u * green + 65536u * blue;
}

std::int64_t frmTileEdit::TileOffset(int block, int k) const
{
    return std::int64_t{document_.currentStageInfo().BlockTiles} + 4 * std::int64_t{block} + k;
}

EditPlace frmTileEdit::BlockPlace(int block) const
{
    return {document_.currentStage(), -1, block};
}

std::int64_t frmTileEdit::AttributeOffset(int block) const
{
    return std::int64_t{document_.currentStageInfo().BlockAttributes} + block;
}

bool frmTileEdit::CanEdit() const
{
    return !refreshing_ && !document_.fileName().isEmpty() && document_.isOpen();
}

void frmTileEdit::vsTile_Change()
{
    if (document_.fileName().isEmpty() || !document_.isOpen())
        return;
    const RomBuffer& image = document_.image();
    BeginRenderFaultCheck();
    {
        // Setting the controls below raises their change handlers; the guard
        // keeps them from taking it for an edit, so the image stays untouched.
        QScopedValueRollback<bool> guard(refreshing_, true);
        const int b = vsTile_->value();
        for (int k = 0; k < 4; ++k)
            hsTile_[static_cast<std::size_t>(k)]->setValue(image.at(TileOffset(b, k)));

        const int attribute = image.at(AttributeOffset(b));
        const int flags = attribute / 4;
        const int palette = attribute % 4;
        cboFlags_->setCurrentIndex(flags);

        clsNesTiles& tiles = EnsureNesTiles();
        const std::int64_t palettes = std::int64_t{document_.currentStageInfo().Palettes} + 4 * palette;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t number = image.at(palettes + i);
            QColor colour;
            if (number < kNesColours.size()) {
                colour = FromPlatformColour(NesColorToRGB(kNesColours[number]));
            } else {
                // No such colour: show the swatch in the fault colour and count it,
                // so that the notice after this refresh names it.
                colour = QColor::fromRgb(static_cast<QRgb>(0xFF000000u | kFaultColour));
                tiles.NoteBadColour();
            }
            picPal_[static_cast<std::size_t>(i)]->setBackColor(colour);
        }

        optPal_[static_cast<std::size_t>(palette)]->setChecked(true);

        DrawBlock(*picTile_, SourceOf(document_), b, kScale);

        // A white cross three pixels wide between the four tiles, and a line
        // before every tile pixel (0, 8, ..., 120) both ways.
        picTile_->setForeColor(Qt::white);
        const int w = picTile_->ScaleWidth();
        const int h = picTile_->ScaleHeight();
        for (int k = 63; k <= 65; ++k) {
            picTile_->Line(0, k, w, k);
            picTile_->Line(k, 0, k, h);
        }
        picTile_->GridLines(kScale, 16);
        picTile_->Refresh();
    }
    EndRenderFaultCheck(this, QStringLiteral("Tile editor"));
}

void frmTileEdit::hsTile_Change(int k)
{
    if (!CanEdit())
        return;
    const int b = vsTile_->value();
    {
        // Clicks on the same bar for the same block, each within a second of
        // the last, are one step, as a dragged thumb is.
        const StepMerge merge{QStringLiteral("hsTile(%1) %2 %3").arg(k).arg(document_.currentStage()).arg(b),
                              std::chrono::seconds(1)};
        EditStep step(document_.history(), QStringLiteral("Tile Number"), BlockPlace(b), merge);
        document_.image().write(TileOffset(b, k),
                                static_cast<std::uint8_t>(hsTile_[static_cast<std::size_t>(k)]->value()));
    }
}

void frmTileEdit::optPal_Click(int i)
{
    if (!CanEdit())
        return;
    // The flags come from the image, not from the list: after a stage change or
    // an Open the list may still show another block's flags, and writing those
    // would overwrite this block's flags with stale ones. While the window is
    // up to date both are the same.
    const int b = vsTile_->value();
    RomBuffer& image = document_.image();
    const int attribute = image.at(AttributeOffset(b));
    {
        EditStep step(document_.history(), QStringLiteral("Palette"), BlockPlace(b));
        image.write(AttributeOffset(b), static_cast<std::uint8_t>((attribute / 4) * 4 + i));
    }
    emit blockShown(b);
}

void frmTileEdit::cboFlags_Click()
{
    const int flags = cboFlags_->currentIndex();
    if (!CanEdit() || flags < 0 || flags >= kFlagValues)
        return;
    const int b = vsTile_->value();
    RomBuffer& image = document_.image();
    const int attribute = image.at(AttributeOffset(b));
    {
        EditStep step(document_.history(), QStringLiteral("Flags"), BlockPlace(b));
        image.write(AttributeOffset(b), static_cast<std::uint8_t>(flags * 4 + attribute % 4));
    }
}

void frmTileEdit::cmdRefresh_Click()
{
    emit refreshRequested();
}

void frmTileEdit::BeginDragStep()
{
    if (dragStep_)
        return;
    dragStep_ = true;
    document_.history().BeginStep(QStringLiteral("Tile Number"), BlockPlace(vsTile_->value()));
}

void frmTileEdit::EndDragStep()
{
    if (!dragStep_)
        return;
    dragStep_ = false;
    document_.history().EndStep();
}

void frmTileEdit::closeEvent(QCloseEvent* event)
{
    // The window stays loaded: closing, by the user or by the main window, hides it.
    event->ignore();
    hide();
}

} // namespace quorvan

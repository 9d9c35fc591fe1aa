#include "ui/main/frmQuorvan.h"

#include "data/EditHistory.h"
#include "data/RomDocument.h"
#include "data/Version.h"
#include "data/modGlobals.h"
#include "ui/common/PictureBox.h"
#include "ui/common/ScrollBarStyle.h"
#include "ui/common/clsDialog.h"
#include "ui/common/modODMenus.h"
#include "ui/main/BlockTableView.h"
#include "ui/main/LevelInsight.h"
#include "ui/main/LevelView.h"
#include "ui/main/PlayTest.h"
#include "ui/main/RoomEditor.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

namespace quorvan {

namespace {

constexpr int kClientWidth = 652;
constexpr int kClientHeight = 449;
constexpr int kStatusBarHeight = 25;
// The status bar keeps 3 pixels above its panels and 2 below.
constexpr int kStatusPanelHeight = kStatusBarHeight - 5;
constexpr int kRoomPanelWidth = 96;

// Wide enough for the longest text the hover panel shows.
int Panel3Width(const QLabel& label)
{
    const QString longest = QStringLiteral("Block FF  Tiles FF FF FF FF  Pal 3  Flags 3F  @ 0x3FFFF  used 48960");
    return label.fontMetrics().horizontalAdvance(longest) + 2 * label.margin() + 8;
}

} // namespace

frmQuorvan::frmQuorvan(QWidget* parent) : QMainWindow(parent), document_(RomDocument::Program())
{
    setObjectName(QStringLiteral("frmQuorvan"));
    CreateWidgets();
    ConnectWidgets();
    Form_Load();
}

frmQuorvan::~frmQuorvan() = default;

EditHistory& frmQuorvan::History()
{
    return document_.history();
}

void frmQuorvan::CreateWidgets()
{
    // A fixed single border with a minimise button and no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    // The client area below the menu bar: every control at its pixel position.
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    setCentralWidget(client);

    picEditor_ = new PictureBox(QStringLiteral("picEditor"), 512, 384, client);
    picEditor_->move(8, 16);

    hLevel_Frames_ = new QScrollBar(Qt::Horizontal, client);
    hLevel_Frames_->setObjectName(QStringLiteral("hLevel_Frames"));
    hLevel_Frames_->setGeometry(8, 400, 512, 13);

    picTile_ = new PictureBox(QStringLiteral("picTile"), 64, 256, client);
    picTile_->move(568, 48);

    hsTable_ = new QScrollBar(Qt::Horizontal, client);
    hsTable_->setObjectName(QStringLiteral("hsTable"));
    hsTable_->setGeometry(568, 304, 64, 13);

    picSelectedTile_ = new PictureBox(QStringLiteral("picSelectedTile"), 32, 32, client);
    picSelectedTile_->move(584, 336);

    cmdEditTile_ = new QPushButton(QStringLiteral("Edit Tile"), client);
    cmdEditTile_->setObjectName(QStringLiteral("cmdEditTile"));
    cmdEditTile_->setGeometry(576, 376, 49, 17);

    for (QScrollBar* bar : {hLevel_Frames_, hsTable_}) {
        UsePlainScrollBarStyle(bar);
        bar->setRange(0, 0);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        // The value is committed when the thumb is released; sliderMoved reports the drag.
        bar->setTracking(false);
    }

    SB1_ = new QStatusBar(this);
    SB1_->setObjectName(QStringLiteral("SB1"));
    SB1_->setSizeGripEnabled(false);
    SB1_->setFixedHeight(kStatusBarHeight);
    panel1_ = new QLabel(SB1_);
    panel1_->setObjectName(QStringLiteral("Panels(1)"));
    panel2_ = new QLabel(SB1_);
    panel2_->setObjectName(QStringLiteral("Panels(2)"));
    // Fixed size: a new room text repaints this panel alone. A panel whose size
    // may change makes the main window lay out and repaint everything for every
    // text (a panel added later wants the same).
    panel2_->setFixedSize(kRoomPanelWidth, kStatusPanelHeight);
    SB1_->addWidget(panel1_, 1);
    SB1_->addWidget(panel2_, 0);
    // Panel 3: what lies under the pointer. A fixed width (the longest text it
    // shows), so that its texts never lay the bar out again.
    panel3_ = new QLabel(SB1_);
    panel3_->setObjectName(QStringLiteral("Panels(3)"));
    panel3_->setFixedWidth(Panel3Width(*panel3_));
    SB1_->addWidget(panel3_, 0);
    // A passing note: shown beside the panels (a status-bar message would hide
    // them) and gone by itself after a while.
    statusNote_ = new QLabel(SB1_);
    statusNote_->setObjectName(QStringLiteral("StatusNote"));
    statusNote_->hide();
    SB1_->addPermanentWidget(statusNote_, 0);
    statusNoteTimer_ = new QTimer(this);
    statusNoteTimer_->setSingleShot(true);
    connect(statusNoteTimer_, &QTimer::timeout, statusNote_, [this] {
        statusNote_->clear();
        statusNote_->hide();
    });
    setStatusBar(SB1_);

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));
    bar->setNativeMenuBar(false); // the same menu bar on every platform
    menus_.Build(bar);

    // What draws the views and edits the room; the layers over the room are
    // drawn in this order: the marks of uses and changes under the selection
    // and the paste.
    levelView_ = new LevelView(document_, view_, *picEditor_, *panel2_, this);
    tableView_ = new BlockTableView(document_, view_, *picTile_, *picSelectedTile_, this);
    insight_ = new LevelInsight(document_, view_, *panel3_);
    roomEditor_ = new RoomEditor(document_, view_, *picEditor_, this);
    insight_->Watch(*picEditor_, *picTile_);
    levelView_->AddLayer(insight_);
    levelView_->AddLayer(roomEditor_);
}

void frmQuorvan::ShowStatusNote(const QString& text)
{
    constexpr int kNoteMs = 8000;
    statusNote_->setText(text);
    statusNote_->show();
    statusNoteTimer_->start(kNoteMs);
}

void frmQuorvan::ConnectWidgets()
{
    const auto click = [this](QAction* item, void (frmQuorvan::*handler)()) {
        connect(item, &QAction::triggered, this, handler);
    };
    // Qt has already flipped a check item's mark when triggered() arrives; the
    // handlers decide from the mark as it was and set it themselves.
    const auto toggle = [this](QAction* item, void (frmQuorvan::*handler)()) {
        connect(item, &QAction::triggered, this, [this, item, handler](bool checked) {
            item->setChecked(!checked);
            (this->*handler)();
        });
    };
    click(menus_.open, &frmQuorvan::mnuOpen_Click);
    click(menus_.save, &frmQuorvan::mnuSave_Click);
    click(menus_.saveAs, &frmQuorvan::mnuSaveAS_Click);
    click(menus_.exportIps, &frmQuorvan::mnuExportIPS_Click);
    click(menus_.exportBps, &frmQuorvan::mnuExportBPS_Click);
    click(menus_.applyPatch, &frmQuorvan::mnuApplyPatch_Click);
    click(menus_.exportRoomImage, &frmQuorvan::mnuExportRoomImage_Click);
    click(menus_.exportStageMap, &frmQuorvan::mnuExportStageMap_Click);
    click(menus_.exportTiles, &frmQuorvan::mnuExportTiles_Click);
    click(menus_.importTiles, &frmQuorvan::mnuImportTiles_Click);
    for (std::size_t k = 0; k < menus_.recent.size(); ++k)
        connect(menus_.recent[k], &QAction::triggered, this, [this, k] { mnuRecent_Click(static_cast<int>(k)); });
    click(menus_.exit, &frmQuorvan::mnuExit_Click);
    click(menus_.undo, &frmQuorvan::mnuUndo_Click);
    click(menus_.redo, &frmQuorvan::mnuRedo_Click);
    toggle(menus_.palette, &frmQuorvan::mnuPalette_Click);
    toggle(menus_.tileEditor, &frmQuorvan::mnuTileEditor_Click);
    toggle(menus_.history, &frmQuorvan::mnuHistory_Click);
    toggle(menus_.tileSheet, &frmQuorvan::mnuTileSheet_Click);
    click(menus_.cut, &frmQuorvan::mnuCut_Click);
    click(menus_.copy, &frmQuorvan::mnuCopy_Click);
    click(menus_.paste, &frmQuorvan::mnuPaste_Click);
    click(menus_.fillSelection, &frmQuorvan::mnuFillSelection_Click);
    click(menus_.selectAll, &frmQuorvan::mnuSelectAll_Click);
    click(menus_.selectNone, &frmQuorvan::mnuSelectNone_Click);
    click(menus_.pasteInPlace, &frmQuorvan::mnuPasteInPlace_Click);
    click(menus_.findNextUse, &frmQuorvan::mnuFindNextUse_Click);
    click(menus_.preferences, &frmQuorvan::mnuPreferences_Click);
    for (int k = 0; k < static_cast<int>(menus_.stages.size()); ++k)
        connect(menus_.stages[static_cast<std::size_t>(k)], &QAction::triggered, this, [this, k] {
            mnuStageSelect_Click(k);
        });
    click(menus_.testInEmulator, &frmQuorvan::mnuTestInEmulator_Click);
    for (int k = 0; k < 2; ++k)
        connect(menus_.grid[static_cast<std::size_t>(k)], &QAction::triggered, this, [this, k](bool checked) {
            menus_.grid[static_cast<std::size_t>(k)]->setChecked(!checked);
            mnuGrid_Click(k);
        });
    toggle(menus_.stageOverview, &frmQuorvan::mnuStageOverview_Click);
    toggle(menus_.highlightUses, &frmQuorvan::mnuHighlightUses_Click);
    toggle(menus_.showChanges, &frmQuorvan::mnuShowChanges_Click);
    click(menus_.about, &frmQuorvan::mnuAbout_Click);
    click(menus_.trelvix, &frmQuorvan::mnuTrelvix_Click);
    click(menus_.emal, &frmQuorvan::mnuEmal_Click);
    // The switches' check marks show the view state; a mark set another way is taken in too.
    const auto follow = [this](QAction* item, bool& flag) {
        connect(item, &QAction::toggled, this, [&flag](bool on) { flag = on; });
    };
    follow(menus_.palette, view_.paletteOpen);
    follow(menus_.tileEditor, view_.tileEditorOpen);
    follow(menus_.history, view_.historyOpen);
    follow(menus_.stageOverview, view_.overviewOpen);
    follow(menus_.tileSheet, view_.sheetOpen);
    follow(menus_.grid[0], view_.editorGrid);
    follow(menus_.grid[1], view_.tableGrid);
    follow(menus_.highlightUses, view_.highlightUses);
    follow(menus_.showChanges, view_.showChanges);
    // The selected block's Tag shows the view state; a Tag set another way is
    // taken in too (a number 0..255, anything else is none).
    connect(picSelectedTile_, &PictureBox::tagChanged, this, [this](const QString& tag) {
        bool ok = false;
        const int block = tag.toInt(&ok);
        view_.selectedBlock = ok && block >= 0 && block <= 255 ? block : -1;
    });
    // The list may have changed in another window of the program since it was drawn.
    connect(menus_.file, &QMenu::aboutToShow, this, &frmQuorvan::UpdateRecentMenu);

    connect(cmdEditTile_, &QPushButton::clicked, this, &frmQuorvan::cmdEditTile_Click);
    connect(hLevel_Frames_, &QScrollBar::valueChanged, this, &frmQuorvan::hLevel_Frames_Change);
    connect(hLevel_Frames_, &QScrollBar::sliderMoved, this, &frmQuorvan::hLevel_Frames_Scroll);
    connect(hsTable_, &QScrollBar::valueChanged, this, &frmQuorvan::hsTable_Change);
    connect(hsTable_, &QScrollBar::sliderMoved, this, &frmQuorvan::hsTable_Scroll);

    connect(&document_, &RomDocument::imageReplaced, this, &frmQuorvan::Document_ImageReplaced);
    connect(&document_, &RomDocument::fileNameChanged, this, &frmQuorvan::Document_FileNameChanged);
    connect(&document_, &RomDocument::undoStateChanged, this, &frmQuorvan::UpdateHistoryState);
    connect(&document_, &RomDocument::modifiedChanged, this, &frmQuorvan::UpdateHistoryState);
    // Back from another program: the open file may have been changed there.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            QTimer::singleShot(0, this, &frmQuorvan::CheckFileOnDisk);
    });
    ConnectViews();
    // Escape on the menu bar once its drop-down closed (the bar keeps the
    // keyboard until a second Escape) is also the room's: it leaves the bar
    // and cancels the paste or clears the selection, in one press.
    menuBar()->installEventFilter(this);
    setAcceptDrops(true);
    UpdateHistoryState();
    UpdateRecentMenu();
    UpdateEditItems();
}

void frmQuorvan::Form_Load()
{
    setWindowTitle(MainCaption());
    SetupMenus();
    InitStages();

    // Fixed size: the client area plus whatever the menu bar needs.
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(kClientWidth, kClientHeight + menuHeight);

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void frmQuorvan::SetupMenus()
{
    InstallODMenus(this);

    // Icons by caption, as the items read now; a caption registered already
    // keeps its first pair.
    IconTable* icons = MenuIcons();
    if (icons == nullptr)
        return;
    const auto addIcons = [icons](const QAction* item, std::int16_t image, std::int16_t mask) {
        (void)icons->Add(item->text(), MenuIconPair{image, mask});
    };
    addIcons(menus_.open, 101, 102);
    addIcons(menus_.save, 103, 104);
    addIcons(menus_.saveAs, 105, 106);
    addIcons(menus_.exit, 107, 108);
    for (const QAction* item : menus_.stages)
        addIcons(item, 996, 997);
    for (const QAction* item : menus_.grid)
        addIcons(item, 996, 997);
}

bool frmQuorvan::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == menuBar() && event->type() == QEvent::KeyPress && QApplication::activePopupWidget() == nullptr) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier)
            roomEditor_->Cancel();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmQuorvan::keyPressEvent(QKeyEvent* event)
{
    // Only what reaches the main window itself: a key taken by a menu, a
    // dialog or a tool window never gets here.
    switch (event->key()) {
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier && roomEditor_->Cancel())
            return;
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // A room back and on, as the scroll bar moves.
        if (view_.stageChosen && event->modifiers() == Qt::NoModifier) {
            ShowRoom(view_.room + (event->key() == Qt::Key_PageUp ? -1 : 1));
            return;
        }
        break;
    default:
        break;
    }
    QMainWindow::keyPressEvent(event);
}

} // namespace quorvan

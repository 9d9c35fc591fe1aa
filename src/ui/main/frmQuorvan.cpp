#include "ui/main/frmQuorvan.h"

#include "data/EditHistory.h"
#include "data/RomDocument.h"
#include "data/Version.h"
#include "data/modGlobals.h"
#include "ui/common/PictureBox.h"
#include "ui/common/ScrollBarStyle.h"
#include "ui/common/clsDialog.h"
#include "ui/common/modODMenus.h"
#include "ui/main/PlayTest.h"

#include <QAction>
#include <QApplication>
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

QAction* NamedAction(QMenu* menu, const QString& name, const QString& caption, bool enabled)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setEnabled(enabled);
    return action;
}

QAction* NamedSeparator(QMenu* menu, const QString& name)
{
    QAction* action = menu->addSeparator();
    action->setObjectName(name);
    return action;
}

// Wide enough for the longest text the hover panel shows.
int Panel3Width(const QLabel& label)
{
    const QString longest = QStringLiteral("Block FF  Tiles FF FF FF FF  Pal 3  Flags 3F  @ 0x3FFFF  used 48960");
    return label.fontMetrics().horizontalAdvance(longest) + 2 * label.margin() + 8;
}

QMenu* NamedMenu(QMenuBar* bar, const QString& name, const QString& caption)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

} // namespace

frmQuorvan::frmQuorvan(QWidget* parent) : QMainWindow(parent), document_(RomDocument::Program())
{
    setObjectName(QStringLiteral("frmQuorvan"));
    CreateWidgets();
    CreateMenus();
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

    // Stands where the Help links' browser control stood; never visible.
    WebBrowser_ = new QWidget(client);
    WebBrowser_->setObjectName(QStringLiteral("WebBrowser"));
    WebBrowser_->setGeometry(536, 296, 25, 25);
    WebBrowser_->hide();

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
}

void frmQuorvan::ShowStatusNote(const QString& text)
{
    constexpr int kNoteMs = 8000;
    statusNote_->setText(text);
    statusNote_->show();
    statusNoteTimer_->start(kNoteMs);
}

void frmQuorvan::CreateMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));
    bar->setNativeMenuBar(false); // the same menu bar on every platform

    mnuFIle_ = NamedMenu(bar, QStringLiteral("mnuFIle"), QStringLiteral("&File"));
    mnuOpen_ = NamedAction(mnuFIle_, QStringLiteral("mnuOpen"), QStringLiteral("&Open"), true);
    FileFiller1_ = NamedSeparator(mnuFIle_, QStringLiteral("FileFiller1"));
    mnuSave_ = NamedAction(mnuFIle_, QStringLiteral("mnuSave"), QStringLiteral("&Save"), false);
    mnuSaveAS_ = NamedAction(mnuFIle_, QStringLiteral("mnuSaveAS"), QStringLiteral("S&ave As"), false);
    FileFiller2_ = NamedSeparator(mnuFIle_, QStringLiteral("FileFiller2"));
    mnuExit_ = NamedAction(mnuFIle_, QStringLiteral("mnuExit"), QStringLiteral("E&xit"), true);

    mnuEdit_ = NamedMenu(bar, QStringLiteral("mnuEdit"), QStringLiteral("&Edit"));
    mnuPalette_ = NamedAction(mnuEdit_, QStringLiteral("mnuPalette"), QStringLiteral("&Palette"), false);
    mnuPalette_->setCheckable(true);
    mnuTileEditor_ = NamedAction(mnuEdit_, QStringLiteral("mnuTileEditor"), QStringLiteral("&Tile Editor"), false);
    mnuTileEditor_->setCheckable(true);

    mnuLevel_ = NamedMenu(bar, QStringLiteral("mnuLevel"), QStringLiteral("&Level"));
    mnuLevel_->menuAction()->setEnabled(false);
    for (int k = 0; k < 9; ++k) {
        QAction* item = NamedAction(mnuLevel_, QStringLiteral("mnuStageSelect(%1)").arg(k),
                                    QStringLiteral("Stage %1").arg(k + 1), true);
        item->setCheckable(true);
        mnuStageSelect_[static_cast<std::size_t>(k)] = item;
    }

    mnuView_ = NamedMenu(bar, QStringLiteral("mnuView"), QStringLiteral("&View"));
    mnuGrid_[0] = NamedAction(mnuView_, QStringLiteral("mnuGrid(0)"), QStringLiteral("Editor Grid"), false);
    mnuGrid_[1] = NamedAction(mnuView_, QStringLiteral("mnuGrid(1)"), QStringLiteral("Tile Selector Grid"), false);
    for (QAction* item : mnuGrid_)
        item->setCheckable(true);

    mnuHelp_ = NamedMenu(bar, QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
    mnuAbout_ = NamedAction(mnuHelp_, QStringLiteral("mnuAbout"), QStringLiteral("&About"), true);
    mnuWeb_ = mnuHelp_->addMenu(QStringLiteral("Web"));
    mnuWeb_->setObjectName(QStringLiteral("mnuWeb"));
    mnuWeb_->menuAction()->setObjectName(QStringLiteral("mnuWeb"));
    mnuTrelvix_ = NamedAction(mnuWeb_, QStringLiteral("mnuTrelvix"), QStringLiteral("Trelvix"), true);
    mnuEmal_ = NamedAction(mnuWeb_, QStringLiteral("mnuEmal"), QStringLiteral("Email Author"), true);

    // Undo, Redo and the patch export join the menus above, then the other
    // patch items and Preferences, then the picture exports, the recent files
    // and the play-test.
    CreateHistoryMenus();
    CreatePatchMenus();
    // Painting: its Edit items, keys and marks.
    CreatePaintMenus();
    CreateShareMenus();
    CreateInsightMenus();
}

void frmQuorvan::ConnectWidgets()
{
    connect(mnuOpen_, &QAction::triggered, this, &frmQuorvan::mnuOpen_Click);
    connect(mnuSave_, &QAction::triggered, this, &frmQuorvan::mnuSave_Click);
    connect(mnuSaveAS_, &QAction::triggered, this, &frmQuorvan::mnuSaveAS_Click);
    connect(mnuExit_, &QAction::triggered, this, &frmQuorvan::mnuExit_Click);
    for (int k = 0; k < 9; ++k)
        connect(mnuStageSelect_[static_cast<std::size_t>(k)], &QAction::triggered, this,
                [this, k] { mnuStageSelect_Click(k); });
    for (int k = 0; k < 2; ++k)
        connect(mnuGrid_[static_cast<std::size_t>(k)], &QAction::triggered, this, [this, k](bool checked) {
            // The handler flips the mark itself.
            mnuGrid_[static_cast<std::size_t>(k)]->setChecked(!checked);
            mnuGrid_Click(k);
        });
    connect(mnuAbout_, &QAction::triggered, this, &frmQuorvan::mnuAbout_Click);
    connect(mnuTrelvix_, &QAction::triggered, this, &frmQuorvan::mnuTrelvix_Click);
    connect(mnuEmal_, &QAction::triggered, this, &frmQuorvan::mnuEmal_Click);
    // Qt has already toggled the check mark when triggered() arrives; the handler
    // decides from the mark as it was and sets it itself.
    connect(mnuPalette_, &QAction::triggered, this, [this](bool checked) {
        mnuPalette_->setChecked(!checked);
        mnuPalette_Click();
    });
    connect(mnuTileEditor_, &QAction::triggered, this, [this](bool checked) {
        mnuTileEditor_->setChecked(!checked);
        mnuTileEditor_Click();
    });
    connect(cmdEditTile_, &QPushButton::clicked, this, &frmQuorvan::cmdEditTile_Click);
    connect(hLevel_Frames_, &QScrollBar::valueChanged, this, &frmQuorvan::hLevel_Frames_Change);
    connect(hLevel_Frames_, &QScrollBar::sliderMoved, this, &frmQuorvan::hLevel_Frames_Scroll);
    connect(hsTable_, &QScrollBar::valueChanged, this, &frmQuorvan::hsTable_Change);
    connect(hsTable_, &QScrollBar::sliderMoved, this, &frmQuorvan::hsTable_Scroll);
    connect(picTile_, &PictureBox::mouseDown, this, &frmQuorvan::picTile_MouseDown);
    connect(picEditor_, &PictureBox::mouseDown, this, &frmQuorvan::picEditor_MouseDown);
    connect(&document_, &RomDocument::imageReplaced, this, &frmQuorvan::Document_ImageReplaced);
    connect(&document_, &RomDocument::fileNameChanged, this, &frmQuorvan::Document_FileNameChanged);
    // Back from another program: the open file may have been changed there.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            QTimer::singleShot(0, this, &frmQuorvan::CheckFileOnDisk);
    });
    ConnectHistory();
    ConnectPatches();
    ConnectPaint();
    ConnectShare();
    ConnectInsight();
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
    addIcons(mnuOpen_, 101, 102);
    addIcons(mnuSave_, 103, 104);
    addIcons(mnuSaveAS_, 105, 106);
    addIcons(mnuExit_, 107, 108);
    for (const QAction* item : mnuStageSelect_)
        addIcons(item, 996, 997);
    for (const QAction* item : mnuGrid_)
        addIcons(item, 996, 997);
}

} // namespace quorvan

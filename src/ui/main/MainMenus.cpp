#include "ui/main/MainMenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace quorvan {

namespace {

// How an item starts.
struct Item {
    bool enabled = false; // most items need an open image
    bool checkable = false;
    std::initializer_list<QKeySequence> keys = {};
    // Keys that work from the tool windows too (they show the same image).
    bool everywhere = false;
};

QAction* Add(QMenu* menu, const QString& name, const QString& caption, const Item& item = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setEnabled(item.enabled);
    action->setCheckable(item.checkable);
    action->setShortcuts(QList<QKeySequence>(item.keys));
    if (item.everywhere)
        action->setShortcutContext(Qt::ApplicationShortcut);
    return action;
}

QAction* Separator(QMenu* menu, const QString& name)
{
    QAction* action = menu->addSeparator();
    action->setObjectName(name);
    return action;
}

QMenu* Menu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QKeySequence Key(QKeyCombination key)
{
    return QKeySequence(key);
}

} // namespace

void MainMenus::Build(QMenuBar* bar)
{
    constexpr Item kAlways{true};

    file = Menu(bar, "mnuFIle", QStringLiteral("&File"));
    open = Add(file, QStringLiteral("mnuOpen"), QStringLiteral("&Open"), {true, false, {Key(Qt::CTRL | Qt::Key_O)}});
    Separator(file, QStringLiteral("FileFiller1"));
    save = Add(file, QStringLiteral("mnuSave"), QStringLiteral("&Save"), {false, false, {Key(Qt::CTRL | Qt::Key_S)}});
    saveAs = Add(file, QStringLiteral("mnuSaveAS"), QStringLiteral("S&ave As"), {false, false, {Key(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}});
    Separator(file, QStringLiteral("FileFiller2"));
    exportIps = Add(file, QStringLiteral("mnuExportIPS"), QStringLiteral("Export IPS Patch..."));
    exportBps = Add(file, QStringLiteral("mnuExportBPS"), QStringLiteral("Export &BPS Patch..."));
    applyPatch = Add(file, QStringLiteral("mnuApplyPatch"), QStringLiteral("Appl&y Patch..."));
    Separator(file, QStringLiteral("FileFiller4"));
    exportRoomImage = Add(file, QStringLiteral("mnuExportRoomImage"), QStringLiteral("Export Room &Image..."));
    exportStageMap = Add(file, QStringLiteral("mnuExportStageMap"), QStringLiteral("Export Stage &Map..."));
    exportTiles = Add(file, QStringLiteral("mnuExportTiles"), QStringLiteral("Export &Tile Set..."));
    importTiles = Add(file, QStringLiteral("mnuImportTiles"), QStringLiteral("Im&port Tile Set..."));
    Separator(file, QStringLiteral("FileFiller3"));
    for (std::size_t k = 0; k < recent.size(); ++k) {
        recent[k] = new QAction(file); // placed while in use
        recent[k]->setObjectName(QStringLiteral("mnuRecent(%1)").arg(k));
    }
    recentSeparator = new QAction(file);
    recentSeparator->setSeparator(true);
    recentSeparator->setObjectName(QStringLiteral("FileFiller5"));
    exit = Add(file, QStringLiteral("mnuExit"), QStringLiteral("E&xit"), kAlways);

    edit = Menu(bar, "mnuEdit", QStringLiteral("&Edit"));
    undo = Add(edit, QStringLiteral("mnuUndo"), QStringLiteral("&Undo"), {false, false, {Key(Qt::CTRL | Qt::Key_Z)}, true});
    redo = Add(edit, QStringLiteral("mnuRedo"), QStringLiteral("&Redo"),
               {false, false, {Key(Qt::CTRL | Qt::Key_Y), Key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, true});
    Separator(edit, QStringLiteral("EditFiller0"));
    palette = Add(edit, QStringLiteral("mnuPalette"), QStringLiteral("&Palette"), {false, true});
    tileEditor = Add(edit, QStringLiteral("mnuTileEditor"), QStringLiteral("&Tile Editor"), {false, true});
    history = Add(edit, QStringLiteral("mnuHistory"), QStringLiteral("Histor&y"), {false, true});
    tileSheet = Add(edit, QStringLiteral("mnuTileSheet"), QStringLiteral("Tile S&heet"), {false, true});
    Separator(edit, QStringLiteral("EditFiller2"));
    cut = Add(edit, QStringLiteral("mnuCut"), QStringLiteral("&Cut"), {false, false, {Key(Qt::CTRL | Qt::Key_X)}});
    copy = Add(edit, QStringLiteral("mnuCopy"), QStringLiteral("C&opy"), {false, false, {Key(Qt::CTRL | Qt::Key_C)}});
    paste = Add(edit, QStringLiteral("mnuPaste"), QStringLiteral("Pa&ste"), {false, false, {Key(Qt::CTRL | Qt::Key_V)}});
    pasteInPlace = Add(edit, QStringLiteral("mnuPasteInPlace"), QStringLiteral("Paste &in Place"),
                       {false, false, {Key(Qt::CTRL | Qt::SHIFT | Qt::Key_V)}});
    fillSelection = Add(edit, QStringLiteral("mnuFillSelection"), QStringLiteral("&Fill Selection"));
    selectAll = Add(edit, QStringLiteral("mnuSelectAll"), QStringLiteral("Select &All"), {false, false, {Key(Qt::CTRL | Qt::Key_A)}});
    selectNone = Add(edit, QStringLiteral("mnuSelectNone"), QStringLiteral("Se&lect None"),
                     {false, false, {Key(Qt::CTRL | Qt::SHIFT | Qt::Key_A)}});
    Separator(edit, QStringLiteral("EditFiller3"));
    // F3 works from the tool windows too, the overview above all.
    findNextUse = Add(edit, QStringLiteral("mnuFindNextUse"), QStringLiteral("Find &Next Use"), {false, false, {Key(QKeyCombination(Qt::Key_F3))}, true});
    Separator(edit, QStringLiteral("EditFiller1"));
    preferences = Add(edit, QStringLiteral("mnuPreferences"), QStringLiteral("Pr&eferences..."), kAlways);

    level = Menu(bar, "mnuLevel", QStringLiteral("&Level"));
    level->menuAction()->setEnabled(false);
    for (std::size_t k = 0; k < stages.size(); ++k) {
        // Ctrl+1 .. Ctrl+9 choose the stages as the items do.
        stages[k] = Add(level, QStringLiteral("mnuStageSelect(%1)").arg(k), QStringLiteral("Stage %1").arg(k + 1),
                        {true, true, {Key(QKeyCombination(Qt::ControlModifier, static_cast<Qt::Key>(Qt::Key_1 + static_cast<int>(k))))}});
    }
    Separator(level, QStringLiteral("LevelFiller1"));
    testInEmulator = Add(level, QStringLiteral("mnuTestInEmulator"), QStringLiteral("&Test in Emulator"), {false, false, {Key(QKeyCombination(Qt::Key_F5))}});

    view = Menu(bar, "mnuView", QStringLiteral("&View"));
    grid[0] = Add(view, QStringLiteral("mnuGrid(0)"), QStringLiteral("Editor Grid"), {false, true});
    grid[1] = Add(view, QStringLiteral("mnuGrid(1)"), QStringLiteral("Tile Selector Grid"), {false, true});
    Separator(view, QStringLiteral("ViewFiller1"));
    stageOverview = Add(view, QStringLiteral("mnuStageOverview"), QStringLiteral("Stage &Overview"), {false, true});
    highlightUses = Add(view, QStringLiteral("mnuHighlightUses"), QStringLiteral("&Highlight Uses"), {false, true});
    showChanges = Add(view, QStringLiteral("mnuShowChanges"), QStringLiteral("Show &Changes"), {false, true});

    help = Menu(bar, "mnuHelp", QStringLiteral("&Help"));
    about = Add(help, QStringLiteral("mnuAbout"), QStringLiteral("&About"), kAlways);
    web = help->addMenu(QStringLiteral("Web"));
    web->setObjectName(QStringLiteral("mnuWeb"));
    web->menuAction()->setObjectName(QStringLiteral("mnuWeb"));
    trelvix = Add(web, QStringLiteral("mnuTrelvix"), QStringLiteral("Trelvix"), kAlways);
    emal = Add(web, QStringLiteral("mnuEmal"), QStringLiteral("Email Author"), kAlways);
}

} // namespace quorvan

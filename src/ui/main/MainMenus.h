#pragma once
// The main window's menu bar, declared in one place in the order it shows.
// Every item carries the object name the automation finds it by; items that
// need an open image or a chosen stage start disabled. Each menu's mnemonics
// (the letter after "&") are unique within it.

#include <QString>

#include <array>

class QAction;
class QMenu;
class QMenuBar;

namespace quorvan {

struct MainMenus {
    // Builds the menus into `bar`.
    void Build(QMenuBar* bar);

    QMenu* file = nullptr;
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* exportIps = nullptr;
    QAction* exportBps = nullptr;
    QAction* applyPatch = nullptr;
    QAction* exportRoomImage = nullptr;
    QAction* exportStageMap = nullptr;
    QAction* exportTiles = nullptr;
    QAction* importTiles = nullptr;
    // The recent files, shown (with recentSeparator) before Exit only while in use.
    std::array<QAction*, 8> recent{};
    QAction* recentSeparator = nullptr;
    QAction* exit = nullptr;

    QMenu* edit = nullptr;
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    QAction* palette = nullptr;
    QAction* tileEditor = nullptr;
    QAction* history = nullptr;
    QAction* tileSheet = nullptr;
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* pasteInPlace = nullptr;
    QAction* fillSelection = nullptr;
    QAction* selectAll = nullptr;
    QAction* selectNone = nullptr;
    QAction* findNextUse = nullptr;
    QAction* preferences = nullptr;

    QMenu* level = nullptr;
    std::array<QAction*, 9> stages{};
    QAction* testInEmulator = nullptr;

    QMenu* view = nullptr;
    std::array<QAction*, 2> grid{};
    QAction* stageOverview = nullptr;
    QAction* highlightUses = nullptr;
    QAction* showChanges = nullptr;

    QMenu* help = nullptr;
    QAction* about = nullptr;
    QMenu* web = nullptr;
    QAction* trelvix = nullptr;
    QAction* emal = nullptr;
};

} // namespace quorvan

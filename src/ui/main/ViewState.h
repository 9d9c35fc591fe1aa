#pragma once
// What the main window shows, apart from the image itself: the stage, room
// and table page in view, the selected block, and the switches of the View
// and Edit menus. The one record of it: the window's widgets (scroll bars,
// check marks, picSelectedTile's Tag) are set from here, and code reads it
// here, never from a widget.

namespace quorvan {

struct ViewState {
    bool stageChosen = false; // a stage was chosen since the program started
    int stage = 0;            // the stage row chosen (0..8); the document's current stage
    int room = 0;             // the room in the level view
    int page = 0;             // the block table's page (it follows the thumb while dragged)
    int selectedBlock = -1;   // the block placed by a click, 0..255; -1 for none
    bool editorGrid = false;  // View > Editor Grid
    bool tableGrid = false;   // View > Tile Selector Grid
    bool highlightUses = false;
    bool showChanges = false;
    // Tool windows the user opened from their menu items: they come back
    // with the main window after it was minimised.
    bool paletteOpen = false;
    bool tileEditorOpen = false;
    bool overviewOpen = false;
    bool historyOpen = false;
    bool sheetOpen = false;

    bool blockSelected() const { return selectedBlock >= 0; }
};

} // namespace quorvan

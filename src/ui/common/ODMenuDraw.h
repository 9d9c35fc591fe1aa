#pragma once
// Measuring and drawing the owner-drawn menu items, the menu font and the
// colour scheme. Captions and icons come from the registries of modODMenus.
//
// Coordinates: a draw record's rectangle is in the coordinates of its
// painter ("the record's surface"). For a drop-down the style translates the
// painter so that the first column starts at x = 0; for the menu bar they are
// the bar's own coordinates. Each item is composed in an image of its own and
// put on the surface in one copy.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>

class QPainter;
class QPaintDevice;
class QWidget;

namespace quorvan {

// Item state bits of a draw record.
constexpr unsigned kOdsSelected = 0x1;
constexpr unsigned kOdsDisabled = 0x4;
constexpr unsigned kOdsChecked = 0x8;
constexpr unsigned kOdsHotLight = 0x40;
// Not a state of the window system's: the item can be checked (a switch),
// so that it shows an empty box while off when it has no icon of its own.
constexpr unsigned kOdsCheckBox = 0x10000;

// Layout constants in pixels.
constexpr int kIconColumn = 20;
constexpr int kCaptionLeft = kIconColumn + 6;
constexpr int kShortcutRightMargin = 10;
constexpr int kMeasureMargin = 6;
constexpr int kEnabledIconLeft = 2;
constexpr int kLeftStrip = 4;
constexpr int kUncheckedImage = 996;
constexpr int kUncheckedMask = 997;
constexpr int kCheckedImage = 998;
constexpr int kCheckedMask = 999;

// One draw request. Right and bottom are exclusive.
struct MenuDrawRecord {
    int itemID = 0;
    unsigned itemState = 0;
    QWidget* hwndItem = nullptr; // the QMenu or QMenuBar that holds the item
    QPainter* hDC = nullptr;     // the surface the item ends up on
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    std::int64_t itemData = 0;
};

// The menu-bar item drawn last (all zero at start).
struct TopItemRecord {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int itemID = 0;
};
TopItemRecord& PrevTopItem();

// Colour of a scheme key, compared in lower case; "menubg" is the menu
// background colour of the application's palette at the moment of the call,
// unknown keys are black.
QColor SchemeColor(const QString& key);

// The light and shadow colours of raised and etched edges and of the
// embossed disabled style.
QColor MenuEdgeLight();
QColor MenuEdgeShadow();

// The font of all menu text: the application's menu font, its pixel height
// scaled by the surface's vertical dots per inch / 72 and then taken as the
// height of the whole character cell.
QFont CreateMenuFont(const QPaintDevice& surface);
QFont CreateMenuFont(int dotsPerInchY);

// The extent of a text in the menu font, "&" counted as a character; the
// height is the font's cell height even for an empty text.
QSize MenuTextExtent(const QFont& font, const QString& text);

// Width and height of an item. Unknown windows measure at 96 dots per inch.
QSize MeasureMenuItem(std::int64_t windowHandle, int itemId, std::int64_t itemData);

// Draws one item; does nothing for a null record or one without a surface.
void DrawMenuItem(std::int64_t windowHandle, const MenuDrawRecord* record);

// Right end of the menu-bar background fills for a window of that width.
int BarRightLimit(int windowWidth, int borderWidth = 1);

// To the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int RoundHalfEven(double value);

// A menu bitmap by resource number, as RGB32; null when there is none.
QImage LoadMenuBitmap(int resourceId);

} // namespace quorvan

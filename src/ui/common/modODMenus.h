#pragma once
// Owner-drawn menus: the menu bar and every drop-down of a window are measured
// and drawn by the program, with icons, check boxes and a fixed colour scheme.
//
// How it maps onto Qt. Installing the module on a window puts an ODMenuStyle
// (a QProxyStyle) on its menu bar and on each of its drop-downs; the style's
// sizeFromContents/drawControl for menu items are the measure and draw
// requests, answered by MeasureMenuItem and DrawMenuItem. Every other style
// call goes on unchanged to a copy of the style the widget had before, and
// removing the module puts the previous style back.
//
// Identifiers. Qt actions have no numbers, so each converted action carries
// its item identifier, item type and item data as dynamic properties:
// menu-bar item p gets 666 + p and the top-level marker 2 as its item data,
// drop-down items get a program-wide number from 1000 up on first conversion.
// A window is known by a stable number of its own (WindowHandle), assigned on
// first use. Together they form the item keys of the caption registry:
// "<window>-<item>M", e.g. "1312-667M".
//
// A drop-down is converted each time it is about to open (QMenu::aboutToShow),
// after the handlers that were connected before the module was installed.
// Only the drop-downs reachable from the window's own menu bar are hooked: Qt
// keeps a window's system menu outside the program's QMenus, so a system menu
// can never reach the conversion.

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace quorvan {

// A keyed table whose keys compare without regard to letter case. Adding a
// key that exists and removing one that does not both fail (return false) and
// change nothing; callers that run "under ignore-errors" drop the result.
template <typename T>
class ODMenuTable {
public:
    bool Add(const QString& key, const T& value)
    {
        const QString folded = key.toLower();
        if (items_.contains(folded))
            return false;
        items_.insert(folded, value);
        return true;
    }
    bool Remove(const QString& key) { return items_.remove(key.toLower()) > 0; }
    std::optional<T> Item(const QString& key) const
    {
        const auto it = items_.constFind(key.toLower());
        if (it == items_.constEnd())
            return std::nullopt;
        return *it;
    }
    bool Exists(const QString& key) const { return items_.contains(key.toLower()); }
    int Count() const { return static_cast<int>(items_.size()); }

private:
    QHash<QString, T> items_;
};

// Resource numbers of an item's image and its mask.
using MenuIconPair = std::array<std::int16_t, 2>;
using CaptionTable = ODMenuTable<QString>;
using IconTable = ODMenuTable<MenuIconPair>;

// The two registries, shared by every window the module is installed on; null
// before the first installation and after the last window removed it.
CaptionTable* MenuCaptions();
IconTable* MenuIcons();

// Identifier of the last menu-bar item converted: 665 + the number of items.
std::int32_t LastTopItemID();

constexpr int kFirstTopItemID = 666;
constexpr int kFirstPopupItemID = 1000;
constexpr std::int64_t kTopLevelMarker = 2;

// Item types (the bits the drawing looks at).
constexpr int kMftMenuBreak = 0x40;
constexpr int kMftOwnerDraw = 0x100;
constexpr int kMftSeparator = 0x800;

// "<window>-<item>M".
QString ItemKey(std::int64_t windowHandle, std::int64_t itemId);

// The stable number of a window (assigned on first use, never reused).
std::int64_t WindowHandle(QWidget* form);
// The window with that number while the module is installed on it, else null.
QWidget* FormForHandle(std::int64_t windowHandle);

// What a converted action carries; 0 for an action never converted.
int ItemID(const QAction* action);
int ItemType(const QAction* action);
std::int64_t ItemData(const QAction* action);
// The action of `menu` (a QMenu or QMenuBar) with that item identifier, or null.
QAction* ActionByID(const QWidget* menu, int itemId);
// The menu bar of a form: a QMainWindow's, or a direct child QMenuBar.
QMenuBar* FormMenuBar(QWidget* form);

// Converts the menu bar and installs the owner drawing on the form. Installing
// again on the same form only converts the bar again.
void InstallODMenus(QWidget* form);
// Puts the form's previous styles back; when no other window has the module
// installed, releases both registries. Does nothing on a form without it.
void RemoveODMenus(QWidget* form);
// Gives every menu-bar item its identifier and the top-level marker and
// registers the captions.
void ConvertMenuBar(QWidget* form);
// Converts every item of one drop-down and registers its captions under
// `windowHandle`.
void ConvertPopup(QMenu* menu, std::int64_t windowHandle);

// True while the module is installed on the form.
bool ODMenusInstalled(const QWidget* form);

} // namespace quorvan

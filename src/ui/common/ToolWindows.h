#pragma once
// Tool windows owned by a main window (the editors, the about box, notices):
// where they open, where they reopen, and how they come back after their owner
// was minimised.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <span>

class QSettings;
class QWidget;

namespace quorvan {

enum class ToolPlacement {
    AsIs,        // the window places itself (the about box centres itself)
    BesideOwner, // its first show puts it where the user last left it, or else beside its owner
};

// Manages `tool` (a window) from now on; a second call changes nothing. Every
// show of a managed window shows it in the normal state: a window manager
// that minimised the window together with its owner leaves Qt believing it is
// still minimised, and shown in that state it would come up iconic and take
// its owner down with it. With BesideOwner, the window's position is kept
// whenever it is hidden (see KeepToolWindowPositions).
void ManageToolWindow(QWidget* tool, ToolPlacement placement);

// Where positions are kept between runs: `open` returns the settings to read
// or write, each time they are needed. Without it (the default) nothing is
// kept, so that tests and tools never touch the user's settings; an empty
// function turns keeping off again.
using SettingsFactory = std::function<std::unique_ptr<QSettings>()>;
void KeepToolWindowPositions(SettingsFactory open);

// The top-left corner for a window whose frame has size `tool`, beside the
// frame `owner`, inside the screen area `available`: to the right of the
// owner, its top edge level with the owner's (the first choice), or to the
// left, below or above, also stacked after any of `others` (frames of other
// tool windows) on that side. Of these, the one that covers the owner and the
// others least; on a tie, the earlier one. All in global coordinates.
QPoint PlaceBeside(const QRect& owner, const QSize& tool, const QRect& available, std::span<const QRect> others);

// The gap left between a placed window and what it stands beside.
constexpr int kToolWindowGap = 8;

} // namespace quorvan

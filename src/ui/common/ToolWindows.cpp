#include "ui/common/ToolWindows.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <optional>
#include <vector>

namespace quorvan {

namespace {

const QString kKeeperName = QStringLiteral("ToolWindowKeeper");
const QString kSettingsGroup = QStringLiteral("ToolWindows");

SettingsFactory& SettingsOpener()
{
    static SettingsFactory open;
    return open;
}

std::int64_t OverlapArea(const QRect& a, const QRect& b)
{
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : std::int64_t{common.width()} * common.height();
}

// Moves `rect` into `area` as far as it goes; a rect larger than the area keeps
// its top-left corner on the area's.
QRect ClampInto(QRect rect, const QRect& area)
{
    rect.moveLeft(std::max(area.left(), std::min(rect.left(), area.right() + 1 - rect.width())));
    rect.moveTop(std::max(area.top(), std::min(rect.top(), area.bottom() + 1 - rect.height())));
    return rect;
}

// A position the user left the window at, as long as some screen still shows
// the left part of its title bar (screens may have changed since).
std::optional<QPoint> SavedPosition(const QWidget& tool)
{
    const SettingsFactory& open = SettingsOpener();
    if (!open || tool.objectName().isEmpty())
        return std::nullopt;
    const std::unique_ptr<QSettings> settings = open();
    if (!settings)
        return std::nullopt;
    const QVariant value = settings->value(kSettingsGroup + QLatin1Char('/') + tool.objectName());
    if (!value.canConvert<QPoint>())
        return std::nullopt;
    const QPoint position = value.toPoint();
    const QPoint titleBar = position + QPoint(std::min(tool.width() / 2, 48), 8);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(titleBar))
            return position;
    return std::nullopt;
}

void SavePosition(const QWidget& tool)
{
    const SettingsFactory& open = SettingsOpener();
    if (!open || tool.objectName().isEmpty())
        return;
    if (const std::unique_ptr<QSettings> settings = open())
        settings->setValue(kSettingsGroup + QLatin1Char('/') + tool.objectName(), tool.pos());
}

bool FrameKnown(const QWidget& window)
{
    return window.frameGeometry() != window.geometry();
}

// The window frame's widths on each side. Before a window is first shown its
// frame is unknown; its owner's is a fair guess.
QMargins FrameMarginsOf(const QWidget& tool, const QWidget& owner)
{
    const QWidget& known = FrameKnown(tool) ? tool : owner;
    const QRect frame = known.frameGeometry();
    const QRect client = known.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// Where the frame's top-left corner goes on a first show: where the user left
// it, or beside the owner. Nothing for a window without an owner or screen.
std::optional<QPoint> FramePositionFor(const QWidget& tool, const QMargins& frame)
{
    QWidget* owner = tool.parentWidget() != nullptr ? tool.parentWidget()->window() : nullptr;
    if (owner == nullptr)
        return std::nullopt;
    if (const std::optional<QPoint> saved = SavedPosition(tool))
        return saved;
    const QScreen* screen = owner->screen();
    if (screen == nullptr)
        return std::nullopt;
    // The owner's other tool windows that are up stay uncovered too.
    std::vector<QRect> others;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == &tool || window == owner || !window->isVisible() || window->parentWidget() == nullptr ||
            window->parentWidget()->window() != owner)
            continue;
        others.push_back(window->frameGeometry());
    }
    return PlaceBeside(owner->frameGeometry(), tool.size().grownBy(frame), screen->availableGeometry(), others);
}

// Watches one tool window: clears a stale minimised state as it is shown,
// places it on its first show and keeps its position when it is hidden.
class ToolWindowKeeper final : public QObject {
public:
    ToolWindowKeeper(QWidget* tool, ToolPlacement placement) : QObject(tool), tool_(tool), placement_(placement)
    {
        setObjectName(kKeeperName);
        tool->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != tool_)
            return false;
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            // Sent before the window is mapped, so both changes take effect
            // as it appears. (Clearing the state of a hidden window would map
            // it behind Qt's back: only here, on the way to being shown.)
            if (tool_->windowState().testFlag(Qt::WindowMinimized))
                tool_->setWindowState(tool_->windowState() & ~Qt::WindowMinimized);
            if (placement_ == ToolPlacement::BesideOwner && !placed_) {
                placed_ = true;
                Place();
            }
        } else if (event->type() == QEvent::Paint && pending_ && FrameKnown(*tool_)) {
            // On screen, and framed: the frame it got may differ from the
            // guess. Now that it is known, the frame goes where it was meant
            // to (after the paint, not in the middle of it).
            const QPoint intended = *pending_;
            pending_.reset();
            QTimer::singleShot(0, tool_, [tool = tool_, intended] {
                if (tool->pos() != intended)
                    tool->move(intended);
            });
        } else if (event->type() == QEvent::Hide && !event->spontaneous() && placed_) {
            SavePosition(*tool_);
        }
        return false;
    }

private:
    void Place()
    {
        QWidget* owner = tool_->parentWidget() != nullptr ? tool_->parentWidget()->window() : nullptr;
        if (owner == nullptr)
            return;
        const QMargins frame = FrameMarginsOf(*tool_, *owner);
        const std::optional<QPoint> position = FramePositionFor(*tool_, frame);
        if (!position)
            return;
        if (FrameKnown(*tool_)) {
            tool_->move(*position);
            return;
        }
        // Not shown before: Qt puts the window's inside where it is moved,
        // so the frame is allowed for by the guess, and put right when known.
        tool_->move(*position + QPoint(frame.left(), frame.top()));
        pending_ = *position;
    }

    QWidget* tool_;
    ToolPlacement placement_;
    bool placed_ = false;
    std::optional<QPoint> pending_; // where the frame should be, once it is known
};

} // namespace

void ManageToolWindow(QWidget* tool, ToolPlacement placement)
{
    if (tool == nullptr || tool->findChild<QObject*>(kKeeperName, Qt::FindDirectChildrenOnly) != nullptr)
        return;
    new ToolWindowKeeper(tool, placement);
}

void KeepToolWindowPositions(SettingsFactory open)
{
    SettingsOpener() = std::move(open);
}

QPoint PlaceBeside(const QRect& owner, const QSize& tool, const QRect& available, std::span<const QRect> others)
{
    const int gap = kToolWindowGap;
    // Edges a window may line up with on each side: the owner's, and the far
    // edge of every other tool window.
    std::vector<int> tops{owner.top()};
    std::vector<int> lefts{owner.left()};
    for (const QRect& other : others) {
        tops.push_back(other.bottom() + 1 + gap);
        lefts.push_back(other.right() + 1 + gap);
    }
    std::vector<QPoint> candidates;
    for (const int top : tops)
        candidates.emplace_back(owner.right() + 1 + gap, top);
    for (const int top : tops)
        candidates.emplace_back(owner.left() - gap - tool.width(), top);
    for (const int left : lefts)
        candidates.emplace_back(left, owner.bottom() + 1 + gap);
    for (const int left : lefts)
        candidates.emplace_back(left, owner.top() - gap - tool.height());

    QPoint best = ClampInto(QRect(candidates.front(), tool), available).topLeft();
    std::int64_t bestCover = -1;
    for (const QPoint& candidate : candidates) {
        const QRect rect = ClampInto(QRect(candidate, tool), available);
        std::int64_t cover = OverlapArea(rect, owner);
        for (const QRect& other : others)
            cover += OverlapArea(rect, other);
        if (bestCover < 0 || cover < bestCover) {
            bestCover = cover;
            best = rect.topLeft();
        }
    }
    return best;
}

} // namespace quorvan

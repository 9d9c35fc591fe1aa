#include "ui/common/ODMenuStyle.h"

#include "ui/common/AppStyle.h"
#include "ui/common/ODMenuDraw.h"
#include "ui/common/modODMenus.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPolygon>
#include <QStyleOptionMenuItem>

namespace quorvan {

namespace {

QString LeadingText(const QString& text)
{
    return text.section(QLatin1Char('\t'), 0, 0);
}

// Where the first column of a drop-down starts: the draw records of a
// drop-down are relative to it.
QPoint ContentsOrigin(const QWidget* widget)
{
    if (qobject_cast<const QMenu*>(widget) == nullptr)
        return {};
    const QMargins margins = widget->contentsMargins();
    return {ODMenuStyle::kMenuFrame + margins.left(), ODMenuStyle::kMenuFrame + margins.top()};
}

// The small arrow of an item that leads to another drop-down; the window
// system draws it beside an owner-drawn item.
void DrawSubMenuArrow(QPainter* painter, const QRect& rect, const QColor& colour)
{
    const int x = rect.right() - 8;
    const int y = rect.center().y();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    painter->setBrush(colour);
    painter->drawPolygon(QPolygon({QPoint(x, y - 3), QPoint(x + 3, y), QPoint(x, y + 3)}));
    painter->restore();
}

void FillMenuBackground(QPainter* painter, const QRect& rect)
{
    painter->fillRect(rect, SchemeColor(QStringLiteral("menubg")));
}

} // namespace

ODMenuStyle::ODMenuStyle(std::int64_t windowHandle, QObject* parent)
    : QProxyStyle(ApplicationStyleName()),
      windowHandle_(windowHandle)
{
    setParent(parent);
}

QAction* ODMenuStyle::ActionToMeasure(const QStyleOptionMenuItem& option, const QWidget* widget) const
{
    if (widget == nullptr)
        return nullptr;
    const QList<QAction*> actions = widget->actions();
    const qsizetype count = actions.size();
    if (count == 0)
        return nullptr;
    const bool separator = option.menuItemType == QStyleOptionMenuItem::Separator;
    const QString text = LeadingText(option.text);
    const qsizetype start = measureCursor_.value(widget, -1) + 1;
    for (qsizetype k = 0; k < count; ++k) {
        const qsizetype index = (start + k) % count;
        QAction* action = actions.at(index);
        if (!action->isVisible() || action->isSeparator() != separator || LeadingText(action->text()) != text)
            continue;
        measureCursor_.insert(widget, index);
        return ItemID(action) != 0 ? action : nullptr;
    }
    return nullptr;
}

QAction* ODMenuStyle::ActionToDraw(const QStyleOptionMenuItem& option, const QWidget* widget)
{
    QAction* found = nullptr;
    if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
        for (QAction* action : menu->actions())
            if (menu->actionGeometry(action) == option.rect) {
                found = action;
                break;
            }
    } else if (const auto* bar = qobject_cast<const QMenuBar*>(widget)) {
        for (QAction* action : bar->actions())
            if (bar->actionGeometry(action) == option.rect) {
                found = action;
                break;
            }
    }
    return ItemID(found) != 0 ? found : nullptr;
}

QSize ODMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                    const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (item != nullptr && (type == CT_MenuItem || type == CT_MenuBarItem)) {
        if (const QAction* action = ActionToMeasure(*item, widget)) {
            QSize measured = MeasureMenuItem(windowHandle_, ItemID(action), ItemData(action));
            // A drop-down adds the widest shortcut of its items to the column
            // by itself; the measured width already holds this item's.
            const qsizetype tab = item->text.indexOf(QLatin1Char('\t'));
            if (type == CT_MenuItem && tab >= 0)
                measured.rwidth() -= widget->fontMetrics().horizontalAdvance(item->text.mid(tab + 1));
            // The measured width ends where the text ends. The window system
            // the measure was made for adds room beside an owner-drawn row (a
            // check mark's width); Qt adds none, so the longest caption would
            // end on the menu's border. The row keeps the right margin the
            // shortcut text keeps.
            if (type == CT_MenuItem && item->menuItemType != QStyleOptionMenuItem::Separator)
                measured.rwidth() += kShortcutRightMargin;
            return measured;
        }
    }
    if (type == CT_Menu || type == CT_MenuBar)
        return size;
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void ODMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    switch (element) {
    case CE_MenuEmptyArea:
    case CE_MenuBarEmptyArea:
        FillMenuBackground(painter, option->rect);
        return;
    case CE_MenuItem:
    case CE_MenuBarItem: {
        const QAction* action = item != nullptr ? ActionToDraw(*item, widget) : nullptr;
        if (action == nullptr)
            break;
        const bool bar = element == CE_MenuBarItem;
        MenuDrawRecord record;
        record.itemID = ItemID(action);
        record.itemData = ItemData(action);
        record.hwndItem = const_cast<QWidget*>(widget);
        record.hDC = painter;
        if (!(option->state & State_Enabled))
            record.itemState |= kOdsDisabled;
        if (option->state & State_Selected) {
            // On the bar, an item whose drop-down is open is selected; one the
            // mouse is only over is hot-tracked.
            if (!bar || (option->state & State_Sunken))
                record.itemState |= kOdsSelected;
            else
                record.itemState |= kOdsHotLight;
        }
        if (item->checkType != QStyleOptionMenuItem::NotCheckable)
            record.itemState |= item->checked ? kOdsChecked : kOdsCheckBox;
        const QPoint origin = ContentsOrigin(widget);
        const QRect rect = option->rect.translated(-origin);
        record.left = rect.left();
        record.top = rect.top();
        record.right = rect.left() + rect.width();
        record.bottom = rect.top() + rect.height();

        painter->save();
        painter->translate(origin);
        DrawMenuItem(windowHandle_, &record);
        painter->restore();
        if (item->menuItemType == QStyleOptionMenuItem::SubMenu)
            DrawSubMenuArrow(painter, option->rect,
                             SchemeColor((record.itemState & kOdsSelected) && !(record.itemState & kOdsDisabled)
                                             ? QStringLiteral("SelectedText")
                                             : QStringLiteral("menutext")));
        return;
    }
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void ODMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    switch (element) {
    case PE_PanelMenu:
    case PE_PanelMenuBar:
        FillMenuBackground(painter, option->rect);
        return;
    case PE_FrameMenu: {
        // A raised frame two pixels wide, then a pixel of the menu colour.
        const QPalette palette = QApplication::palette();
        const QRect r = option->rect;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        FillMenuBackground(painter, r);
        const auto edge = [painter](const QRect& box, const QColor& topLeft, const QColor& bottomRight) {
            painter->setPen(topLeft);
            painter->drawLine(box.topLeft(), box.topRight());
            painter->drawLine(box.topLeft(), box.bottomLeft());
            painter->setPen(bottomRight);
            painter->drawLine(box.bottomLeft(), box.bottomRight());
            painter->drawLine(box.topRight(), box.bottomRight());
        };
        edge(r, palette.color(QPalette::Midlight), palette.color(QPalette::Shadow));
        edge(r.adjusted(1, 1, -1, -1), palette.color(QPalette::Light), palette.color(QPalette::Dark));
        painter->restore();
        return;
    }
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

int ODMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_MenuPanelWidth:
        return kMenuFrame;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
    case PM_MenuBarPanelWidth:
    case PM_MenuBarHMargin:
    case PM_MenuBarVMargin:
    case PM_MenuBarItemSpacing:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int ODMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                           QStyleHintReturn* returnData) const
{
    // Disabled items can be selected; they are drawn without a highlight.
    if (hint == SH_Menu_AllowActiveAndDisabled)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

} // namespace quorvan

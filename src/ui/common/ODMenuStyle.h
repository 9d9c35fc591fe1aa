#pragma once
// The style put on an owner-drawn window's menu bar and drop-downs: it turns
// Qt's requests to size and paint menu items into MeasureMenuItem and
// DrawMenuItem calls for the item's identifier, and passes every other
// request on to the style the application uses.

#include <QHash>
#include <QProxyStyle>

#include <cstdint>

class QAction;
class QStyleOptionMenuItem;

namespace quorvan {

class ODMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    // `windowHandle`: the number of the window whose menus this style draws.
    ODMenuStyle(std::int64_t windowHandle, QObject* parent);

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;

    // Width of the raised frame around a drop-down.
    static constexpr int kMenuFrame = 3;

private:
    // The converted action an option describes, or null.
    QAction* ActionToMeasure(const QStyleOptionMenuItem& option, const QWidget* widget) const;
    static QAction* ActionToDraw(const QStyleOptionMenuItem& option, const QWidget* widget);

    std::int64_t windowHandle_;
    // Qt measures a menu's items in order; where the last one was found.
    mutable QHash<const QWidget*, qsizetype> measureCursor_;
};

} // namespace quorvan

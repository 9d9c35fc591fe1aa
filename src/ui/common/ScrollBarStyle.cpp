#include "ui/common/ScrollBarStyle.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>

namespace quorvan {

namespace {

// One style for every bar, created with the first and owned by the
// application (a widget does not own the style set on it).
QStyle* PlainStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = QStyleFactory::create(QStringLiteral("Windows"));
        if (style)
            style->setParent(qApp);
    }
    return style;
}

} // namespace

void UsePlainScrollBarStyle(QScrollBar* bar)
{
    if (bar == nullptr)
        return;
    if (QStyle* style = PlainStyle())
        bar->setStyle(style);
}

} // namespace quorvan

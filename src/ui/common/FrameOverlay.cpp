#include "ui/common/FrameOverlay.h"

#include "ui/common/PictureBox.h"

#include <QPainter>

namespace quorvan {

FrameOverlay::FrameOverlay(const QString& name, PictureBox* picture, FrameStyle style)
    : QWidget(picture->parentWidget()), style_(style)
{
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(picture->geometry().adjusted(0, 0, style_.spill, style_.spill));
    raise();
}

void FrameOverlay::setFrame(const QRect& rect)
{
    const QRect next = rect.isEmpty() ? QRect() : rect;
    if (next == frame_)
        return;
    // Both the old and the new frame's pixels change.
    if (!frame_.isNull())
        update(frame_);
    frame_ = next;
    if (!frame_.isNull())
        update(frame_);
}

void FrameOverlay::paintEvent(QPaintEvent*)
{
    if (frame_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // One-pixel outlines through the rectangle's edge pixels, then the ring
    // inside them (drawRect of w-1 x h-1 covers exactly the edge pixels).
    painter.setPen(QColor::fromRgb(static_cast<QRgb>(0xFF000000u | kOuterColour)));
    painter.drawRect(frame_.adjusted(0, 0, -1, -1));
    if (!style_.innerRing)
        return;
    painter.setPen(QColor::fromRgb(static_cast<QRgb>(0xFF000000u | kInnerColour)));
    painter.drawRect(frame_.adjusted(1, 1, -2, -2));
}

} // namespace quorvan

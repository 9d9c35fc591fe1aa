#include "ui/common/PictureBox.h"

#include "graphics/clsNesTiles.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace quorvan {

PictureBox::PictureBox(const QString& name, int width, int height, QWidget* parent)
    : QWidget(parent), backBuffer_(width, height, QImage::Format_RGB32)
{
    setObjectName(name);
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    backBuffer_.fill(backColor_);
}

int PictureBox::SetBits(const BitmapInfoHeader& header, const std::uint32_t* bits, int lines)
{
    // The buffer is top-down 0x00RRGGBB, the back buffer's own layout: copy rows as they are.
    const int sourceWidth = header.biWidth;
    const int rows = std::min(lines, backBuffer_.height());
    const int columns = std::min(sourceWidth, backBuffer_.width());
    if (bits == nullptr || rows <= 0 || columns <= 0)
        return 0;
    for (int r = 0; r < rows; ++r) {
        std::memcpy(backBuffer_.scanLine(r), bits + static_cast<std::ptrdiff_t>(r) * sourceWidth,
                    static_cast<std::size_t>(columns) * sizeof(std::uint32_t));
    }
    return rows;
}

void PictureBox::Refresh()
{
    update();
}

void PictureBox::BitBlt(int x, int y, int w, int h, const PictureBox& source, int sx, int sy)
{
    const QImage& from = source.backBuffer_;
    // Clip against both buffers.
    if (sx < 0) { x -= sx; w += sx; sx = 0; }
    if (sy < 0) { y -= sy; h += sy; sy = 0; }
    if (x < 0) { sx -= x; w += x; x = 0; }
    if (y < 0) { sy -= y; h += y; y = 0; }
    w = std::min({w, from.width() - sx, backBuffer_.width() - x});
    h = std::min({h, from.height() - sy, backBuffer_.height() - y});
    if (w <= 0 || h <= 0)
        return;
    for (int r = 0; r < h; ++r) {
        std::memcpy(reinterpret_cast<std::uint32_t*>(backBuffer_.scanLine(y + r)) + x,
                    reinterpret_cast<const std::uint32_t*>(from.constScanLine(sy + r)) + sx,
                    static_cast<std::size_t>(w) * sizeof(std::uint32_t));
    }
}

void PictureBox::Cls()
{
    backBuffer_.fill(backColor_.rgb() & 0xFFFFFF);
    update();
}

void PictureBox::setBackColor(const QColor& colour)
{
    backColor_ = colour;
    Cls();
}

void PictureBox::Line(int x1, int y1, int x2, int y2)
{
    QPainter painter(&backBuffer_);
    painter.setPen(QPen(foreColor_, 1));
    painter.drawLine(x1, y1, x2, y2);
}

void PictureBox::Rectangle(int x1, int y1, int x2, int y2)
{
    // Outline through the pixels x1..x2-1, y1..y2-1 (the right and bottom
    // coordinates are exclusive, as for a window-system rectangle).
    if (x2 <= x1 || y2 <= y1)
        return;
    QPainter painter(&backBuffer_);
    painter.setPen(QPen(foreColor_, 1));
    painter.drawRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect r = event->rect();
    painter.drawImage(r, backBuffer_, r);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton: button = 1; break;
    case Qt::RightButton: button = 2; break;
    case Qt::MiddleButton: button = 4; break;
    default: break;
    }
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (event->modifiers() & Qt::ControlModifier) shift |= 2;
    if (event->modifiers() & Qt::AltModifier) shift |= 4;
    const QPointF p = event->position();
    emit mouseDown(button, shift, static_cast<int>(p.x()), static_cast<int>(p.y()));
    QWidget::mousePressEvent(event);
}

} // namespace quorvan

#include "ui/common/PictureBox.h"

#include "graphics/clsNesTiles.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quorvan {

PictureBox::PictureBox(const QString& name, int width, int height, QWidget* parent)
    : QWidget(parent), backBuffer_(width, height, QImage::Format_RGB32)
{
    setObjectName(name);
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    backBuffer_.fill(backColor_.rgb() & 0xFFFFFFu);
}

int PictureBox::SetBits(const BitmapInfoHeader& header, const std::uint32_t* bits, int lines)
{
    // The buffer is top-down 0x00RRGGBB, the back buffer's own layout: rows are
    // copied as they are, with no conversion. A buffer narrower than the back
    // buffer fills only its own columns; a wider one is cut.
    const int sourceWidth = header.biWidth;
    const int rows = std::min(lines, backBuffer_.height());
    const int columns = std::min(sourceWidth, backBuffer_.width());
    if (bits == nullptr || rows <= 0 || columns <= 0)
        return 0;
    const auto rowBytes = static_cast<std::size_t>(columns) * sizeof(std::uint32_t);
    uchar* target = backBuffer_.bits(); // detaches once, not once per row
    const auto stride = static_cast<std::size_t>(backBuffer_.bytesPerLine());
    if (sourceWidth == columns && stride == rowBytes) {
        std::memcpy(target, bits, rowBytes * static_cast<std::size_t>(rows));
        return rows;
    }
    for (int r = 0; r < rows; ++r) {
        std::memcpy(target + static_cast<std::size_t>(r) * stride,
                    bits + static_cast<std::ptrdiff_t>(r) * sourceWidth, rowBytes);
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
    // Clip against both buffers, in 64 bits so that no coordinate can overflow.
    std::int64_t dx = x, dy = y, cw = w, ch = h, fx = sx, fy = sy;
    if (fx < 0) { dx -= fx; cw += fx; fx = 0; }
    if (fy < 0) { dy -= fy; ch += fy; fy = 0; }
    if (dx < 0) { fx -= dx; cw += dx; dx = 0; }
    if (dy < 0) { fy -= dy; ch += dy; dy = 0; }
    cw = std::min({cw, from.width() - fx, backBuffer_.width() - dx});
    ch = std::min({ch, from.height() - fy, backBuffer_.height() - dy});
    if (cw <= 0 || ch <= 0)
        return;
    if (&source == this) {
        // Overlapping copy within one picture: go through a copy of the source rows.
        const QImage part = from.copy(static_cast<int>(fx), static_cast<int>(fy), static_cast<int>(cw),
                                      static_cast<int>(ch));
        for (std::int64_t r = 0; r < ch; ++r) {
            std::memcpy(reinterpret_cast<std::uint32_t*>(backBuffer_.scanLine(static_cast<int>(dy + r))) + dx,
                        part.constScanLine(static_cast<int>(r)), static_cast<std::size_t>(cw) * sizeof(std::uint32_t));
        }
        return;
    }
    uchar* target = backBuffer_.bits();
    const auto targetStride = static_cast<std::size_t>(backBuffer_.bytesPerLine());
    const uchar* origin = from.constBits();
    const auto sourceStride = static_cast<std::size_t>(from.bytesPerLine());
    for (std::int64_t r = 0; r < ch; ++r) {
        std::memcpy(reinterpret_cast<std::uint32_t*>(target + static_cast<std::size_t>(dy + r) * targetStride) + dx,
                    reinterpret_cast<const std::uint32_t*>(origin + static_cast<std::size_t>(fy + r) * sourceStride) + fx,
                    static_cast<std::size_t>(cw) * sizeof(std::uint32_t));
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

void PictureBox::GridLines(int step, int count)
{
    const int w = backBuffer_.width();
    const int h = backBuffer_.height();
    // Positions in 64 bits: d * step may overflow. With a positive step the
    // lines past the picture's far edge need no visit; with step 0 every line
    // lies at 0, with a negative one every line but the first lies outside.
    const std::int64_t limit = std::max(w, h);
    const auto lineAt = [step](int d) { return std::int64_t{d} * step; };
    if (foreColor_.alpha() != 255) {
        // A translucent pen blends where lines cross or repeat; the painter does that.
        for (int d = 0; d < count; ++d) {
            const std::int64_t at = lineAt(d);
            if (at >= limit && step > 0)
                break;
            if (at < 0 || at >= limit)
                continue;
            const int p = static_cast<int>(at);
            Line(0, p, w, p);
            Line(p, 0, p, h);
        }
        return;
    }
    // Opaque lines across the whole picture are runs of one pixel value, the
    // value a painter stores for this colour; writing them directly costs a
    // small part of drawing them one by one with a painter.
    const std::uint32_t pixel = foreColor_.rgb() | 0xFF000000u;
    std::vector<int> columns;
    std::vector<int> rows;
    const int lines = step > 0 ? count : std::min(count, 1);
    for (int d = 0; d < lines; ++d) {
        const std::int64_t at = lineAt(d);
        if (at >= limit)
            break;
        if (at < w)
            columns.push_back(static_cast<int>(at));
        if (at < h)
            rows.push_back(static_cast<int>(at));
    }
    uchar* bits = backBuffer_.bits();
    const auto stride = static_cast<std::size_t>(backBuffer_.bytesPerLine());
    // Row by row, so that the buffer is walked through once.
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(bits + static_cast<std::size_t>(y) * stride);
        for (const int x : columns)
            line[x] = pixel;
    }
    for (const int y : rows)
        std::fill_n(reinterpret_cast<std::uint32_t*>(bits + static_cast<std::size_t>(y) * stride), w, pixel);
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
    CatchUp();
    QPainter painter(this);
    const QRect r = event->rect();
    painter.drawImage(r, backBuffer_, r);
}

namespace {

int ButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int ButtonsCode(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int ShiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

// Pixel coordinates: whole pixels, rounded down (a point may lie left of or
// above the picture while a button is held).
int Pixel(qreal coordinate)
{
    return static_cast<int>(std::floor(coordinate));
}

} // namespace

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    emit mouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()), Pixel(p.x()), Pixel(p.y()));
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    emit mouseMove(ButtonsCode(event->buttons()), ShiftCode(event->modifiers()), Pixel(p.x()), Pixel(p.y()));
    QWidget::mouseMoveEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF p = event->position();
    emit mouseUp(ButtonCode(event->button()), ShiftCode(event->modifiers()), Pixel(p.x()), Pixel(p.y()));
    QWidget::mouseReleaseEvent(event);
}

void PictureBox::wheelEvent(QWheelEvent* event)
{
    // One notch is 120 eighths of a degree; finer wheels add up to a notch.
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / 120;
    wheelRemainder_ -= steps * 120;
    if (steps != 0) {
        const QPointF p = event->position();
        emit wheel(steps, ShiftCode(event->modifiers()), Pixel(p.x()), Pixel(p.y()));
    }
    event->accept();
}

void PictureBox::leaveEvent(QEvent* event)
{
    emit mouseLeave();
    QWidget::leaveEvent(event);
}

} // namespace quorvan

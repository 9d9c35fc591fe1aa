#pragma once
// A picture box: a fixed-size widget with a persistent back buffer in pixel
// coordinates. paintEvent only blits the back buffer, so grab() of the widget
// equals its back buffer. The tile renderer draws into it through
// PictureTarget; views copy between back buffers with BitBlt.

#include "graphics/PictureTarget.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

namespace quorvan {

class PictureBox : public QWidget, public PictureTarget {
    Q_OBJECT
public:
    PictureBox(const QString& name, int width, int height, QWidget* parent = nullptr);

    // PictureTarget
    int ScaleWidth() const override { return backBuffer_.width(); }
    int ScaleHeight() const override { return backBuffer_.height(); }
    int Width() const override { return width(); }
    int SetBits(const BitmapInfoHeader& header, const std::uint32_t* bits, int lines) override;
    void Refresh() override;

    // The back buffer (Format_RGB32, 0x00RRGGBB pixels).
    const QImage& backBuffer() const
    {
        CatchUp();
        return backBuffer_;
    }
    QImage& backBuffer()
    {
        CatchUp();
        return backBuffer_;
    }

    // What brings the picture up to date with what it shows (a document's
    // pending changes drawn): run before the picture is painted or its
    // buffer is read, so that nobody sees it behind.
    void setCatchUp(std::function<void()> catchUp) { catchUp_ = std::move(catchUp); }

    // Copies a w x h rectangle from another picture's back buffer (SRCCOPY).
    void BitBlt(int x, int y, int w, int h, const PictureBox& source, int sx, int sy);

    // Fills the whole back buffer with the background colour.
    void Cls();
    void setBackColor(const QColor& colour);
    void setForeColor(const QColor& colour) { foreColor_ = colour; }

    // One-pixel lines and rectangle outlines in the foreground colour, both ends
    // included, clipped to the back buffer.
    void Line(int x1, int y1, int x2, int y2);
    void Rectangle(int x1, int y1, int x2, int y2);
    // A grid in the foreground colour: for d = 0 .. count - 1, a horizontal
    // line at y = d * step and a vertical one at x = d * step, each across the
    // whole picture (lines outside it are clipped away).
    void GridLines(int step, int count);

    // The selected block text on the selection preview ("-1" for none).
    QString Tag() const { return tag_; }
    void setTag(const QString& tag)
    {
        if (tag == tag_)
            return;
        tag_ = tag;
        emit tagChanged(tag_);
    }

signals:
    // The Tag was set to another text.
    void tagChanged(const QString& tag);
    // Mouse press: button (1 left, 2 right, 4 middle), shift state (1 Shift,
    // 2 Ctrl, 4 Alt), position in pixels.
    void mouseDown(int button, int shift, int x, int y);
    // The pointer moved: the buttons held (1 left, 2 right, 4 middle, or'ed),
    // shift state, position. Without a button held only when mouse tracking is on.
    void mouseMove(int buttons, int shift, int x, int y);
    // A button was released.
    void mouseUp(int button, int shift, int x, int y);
    // The wheel turned: steps away from the user are positive (one notch = 1).
    void wheel(int steps, int shift, int x, int y);
    // The pointer left the picture.
    void mouseLeave();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void CatchUp() const
    {
        if (catchUp_)
            catchUp_();
    }

    QImage backBuffer_;
    std::function<void()> catchUp_;
    int wheelRemainder_ = 0; // eighths of a degree not yet a whole notch
    QColor backColor_ = Qt::black;
    QColor foreColor_ = Qt::black;
    QString tag_;
};

} // namespace quorvan

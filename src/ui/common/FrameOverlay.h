#pragma once
// A see-through widget laid over a picture box that draws a frame around one
// rectangle of it, or nothing. It takes no mouse input (clicks and the wheel
// reach the picture under it) and is no part of the picture's back buffer:
// grab() of the picture box does not show the frame, grab() of their parent
// widget does, as the screen does.

#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace quorvan {

class PictureBox;

// How a frame looks: the inner black ring or not, and how many pixels the
// overlay reaches past the picture's right and bottom edges (so that a frame
// around the picture's last cells can close outside it).
struct FrameStyle {
    bool innerRing = true;
    int spill = 0;
};

class FrameOverlay : public QWidget {
    Q_OBJECT
public:
    // Lies over `picture` (and `style.spill` pixels past it), as its sibling, above it.
    FrameOverlay(const QString& name, PictureBox* picture, FrameStyle style = {});

    // The framed rectangle in the picture's pixels; an empty one for none.
    // The frame is two pixels wide, just inside the rectangle: the outer ring
    // in kOuterColour, the inner one in kInnerColour, so that it shows on
    // light and dark blocks alike (one pixel, the outer ring, without the inner).
    void setFrame(const QRect& rect);
    QRect frame() const { return frame_; }

    static constexpr std::uint32_t kOuterColour = 0xFFFF00; // yellow
    static constexpr std::uint32_t kInnerColour = 0x000000;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect frame_;
    FrameStyle style_;
};

} // namespace quorvan

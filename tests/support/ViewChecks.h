#pragma once
// Helpers of the main-window view tests: exact mouse presses, blocks drawn
// independently of the views, cells of a grabbed picture, and the image bytes.

#include "demo/DemoImage.h"
#include "data/modGlobals.h"
#include "support/ReferenceRenderer.h"
#include "support/TestSupport.h"
#include "ui/common/PictureBox.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quorvan::test {

// A press and release at exactly `at` (QTest takes the point (0, 0) to mean the centre).
inline void Press(QWidget* widget, Qt::MouseButton button, QPoint at)
{
    const QPointF local(at);
    QMouseEvent press(QEvent::MouseButtonPress, local, widget->mapToGlobal(local), button, button, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, widget->mapToGlobal(local), button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// Room 0 of stage row `row`, written out here rather than taken from the program's table.
inline std::int64_t RoomStart(DemoLayout layout, int row)
{
    return 0x58 + std::int64_t{row} * 0x2000 + (layout == DemoLayout::Shifted ? 0x200 : 0);
}

// Block `block` of the current stage at scale 2, by the reference renderer.
inline QImage ExpectedBlock(int block)
{
    return ReferenceBlock(ImageData(RomImage.bytes().begin(), RomImage.bytes().end()), CurrentStage, block, 2);
}

// A mouse event of `type` at exactly `at`, with `button` held (released for a release).
inline void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers keys)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, keys);
    QApplication::sendEvent(widget, &event);
}

// Press at the first point, move through the others, release at the last.
inline void Drag(QWidget* widget, const QList<QPoint>& points, Qt::KeyboardModifiers keys = {})
{
    Mouse(widget, QEvent::MouseButtonPress, points.first(), Qt::LeftButton, keys);
    for (qsizetype i = 1; i < points.size(); ++i)
        Mouse(widget, QEvent::MouseMove, points[i], Qt::LeftButton, keys);
    Mouse(widget, QEvent::MouseButtonRelease, points.last(), Qt::LeftButton, keys);
}

inline QImage Cell(const QImage& picture, int column, int row)
{
    return picture.copy(column * 32, row * 32, 32, 32).convertToFormat(QImage::Format_RGB32);
}

inline bool AllPixels(const QImage& image, std::uint32_t colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Rgb(image, x, y) != colour)
                return false;
    return true;
}

inline std::vector<std::uint8_t> ImageNow()
{
    return {RomImage.bytes().begin(), RomImage.bytes().end()};
}

// Offsets at which two images differ.
inline std::vector<std::int64_t> Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    std::vector<std::int64_t> offsets;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            offsets.push_back(static_cast<std::int64_t>(i));
    return offsets;
}

} // namespace quorvan::test

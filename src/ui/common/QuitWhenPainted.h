#pragma once
// Ending a program once a widget has been painted: start-up measurements time
// the whole process from launch to the first picture on screen. Header-only,
// so that a bare comparison program can use the very same mechanism.

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

namespace quorvan {

// Quits the application with exit code 0 right after `widget`'s next paint
// event has been handled. The watcher belongs to the widget.
inline void QuitWhenPainted(QWidget* widget)
{
    class Watcher : public QObject {
    public:
        explicit Watcher(QWidget* watched) : QObject(watched) { watched->installEventFilter(this); }

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint) {
                watched->removeEventFilter(this);
                // Queued: the paint (and the rest of this repaint) finishes first.
                QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
            }
            return false;
        }
    };
    new Watcher(widget);
}

} // namespace quorvan

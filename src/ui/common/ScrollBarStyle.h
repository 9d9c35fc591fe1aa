#pragma once
// The look of the scroll bars that move on every view change: the plain
// "Windows" style (a grey groove, raised arrow buttons and thumb), painted
// with a few solid fills. The application's default style paints a scroll bar
// with gradients whose fills Qt hands to its thread pool and waits for, which
// costs more than drawing the room the bar chooses. Behaviour, signals and
// object names are those of any QScrollBar; only the painting changes.

class QScrollBar;

namespace quorvan {

// Paints `bar` in the plain style from now on. Where the style is not
// available the bar keeps the application's style.
void UsePlainScrollBarStyle(QScrollBar* bar);

} // namespace quorvan

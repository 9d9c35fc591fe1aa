#pragma once
// Keeps a tool window above the ordinary windows (pin) or releases it.

#include <functional>

class QWidget;

namespace quorvan {

// Pins (`pin` true) or releases a window. With pin, returns what the window
// system reported (non-zero on success); without, always 0. An error raised on
// the way reaches the caller as a RuntimeError whose source ends in
// "+modAPIStuff/SetTopMostWindow".
int SetTopMostWindow(QWidget* window, bool pin);

// The window-system call behind it; replaceable so that tests can see the
// arguments and choose the result. Returns non-zero on success.
using SetWindowPosFunction = std::function<int(QWidget* window, bool topmost)>;
void SetWindowPosForTesting(SetWindowPosFunction function); // empty: back to the real one

} // namespace quorvan

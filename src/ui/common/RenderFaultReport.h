#pragma once
// Telling the user about pixels that could not be drawn (a palette byte above 63,
// tile bytes outside the image) once per redraw, without flooding them.

#include <QString>

class QWidget;

namespace quorvan {

// Call before a redraw of a view.
void BeginRenderFaultCheck();

// Call after it: when the redraw met faults, tells the user once, naming `what`
// was being drawn (for example "Level view").
void EndRenderFaultCheck(QWidget* window, const QString& what);

} // namespace quorvan

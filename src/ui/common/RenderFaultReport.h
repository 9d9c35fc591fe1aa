#pragma once
// Telling the user about pixels that could not be drawn (a palette byte above 63,
// tile bytes outside the image) once per redraw, without flooding them.
//
// Drawing never stops for such data: the pixels come out in magenta and the
// renderer counts them. A view brackets each whole redraw with the two calls
// below; when the redraw met faults, one non-modal notice window (objectName
// "RenderFaultNotice") says what was drawn wrongly and why. There is only ever
// one notice: later redraws update its lines instead of opening another, and a
// view whose redraw is clean again drops its line (the notice hides when no
// line is left). It never touches the status bar and never blocks.
//
// Once the user closes the notice, it stays closed while the redraws meet only
// the kinds of problem it showed in each view (dragging the block table back
// and forth over a page with a bad palette byte, say). It comes back for a
// kind of problem not shown before in that view, and for everything after
// NewRenderFaultContext.

#include <QString>

class QWidget;

namespace quorvan {

// Call before a redraw of a view. Calls may nest.
void BeginRenderFaultCheck();

// Call after it: when the redraw met faults, tells the user once, naming `what`
// was being drawn (for example "Level view"). `window` is the window that drew;
// the notice belongs to the outermost window that owns it. An End without a
// matching Begin does nothing.
void EndRenderFaultCheck(QWidget* window, const QString& what);

// Call when what the views show changes as a whole (another image, another
// stage): problems the user closed the notice on are reported again.
void NewRenderFaultContext();

// The notice window, or nullptr while none was ever needed.
QWidget* RenderFaultNotice();

} // namespace quorvan

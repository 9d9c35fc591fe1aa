#pragma once
// Modal message boxes. Every question and notice of the program goes through
// here, so that tests can find the box as the active modal widget and answer it.

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace quorvan {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };

// Shows a modal box with the given buttons and default button and returns the
// button that was pressed (Escape gives the escape button Qt picks, normally
// No or Cancel). `informativeText`, when given, stands under the text. The
// texts can be selected and copied.
QMessageBox::StandardButton MsgBox(QWidget* parent, const QString& text, const QString& title,
                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                   MsgIcon icon = MsgIcon::None,
                                   QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                   const QString& informativeText = QString());

// A question whose buttons have captions of their own ("&Overwrite", "Save
// &As...", "Cancel"): returns the index of the button pressed. `escapeChoice`
// is what Escape or the close box answer; `defaultChoice` what Enter answers.
int MsgChoice(QWidget* parent, const QString& text, const QString& title, MsgIcon icon,
              const QStringList& choices, int defaultChoice, int escapeChoice);

} // namespace quorvan

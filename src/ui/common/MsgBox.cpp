#include "ui/common/MsgBox.h"

#include <QPushButton>

namespace quorvan {

namespace {

QMessageBox::Icon BoxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QMessageBox::StandardButton MsgBox(QWidget* parent, const QString& text, const QString& title,
                                   QMessageBox::StandardButtons buttons, MsgIcon icon,
                                   QMessageBox::StandardButton defaultButton, const QString& informativeText)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setWindowTitle(title);
    box.setText(text);
    if (!informativeText.isEmpty())
        box.setInformativeText(informativeText);
    // A path or an address in a message is there to be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setStandardButtons(buttons);
    box.setIcon(BoxIcon(icon));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    const int result = box.exec();
    return static_cast<QMessageBox::StandardButton>(result);
}

int MsgChoice(QWidget* parent, const QString& text, const QString& title, MsgIcon icon,
              const QStringList& choices, int defaultChoice, int escapeChoice)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setWindowTitle(title);
    box.setText(text);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setIcon(BoxIcon(icon));
    QList<QAbstractButton*> buttons;
    for (const QString& caption : choices)
        buttons << box.addButton(caption, QMessageBox::ActionRole);
    if (defaultChoice >= 0 && defaultChoice < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons[defaultChoice]));
    if (escapeChoice >= 0 && escapeChoice < buttons.size())
        box.setEscapeButton(buttons[escapeChoice]);
    box.exec();
    const int pressed = static_cast<int>(buttons.indexOf(box.clickedButton()));
    return pressed >= 0 ? pressed : escapeChoice;
}

} // namespace quorvan

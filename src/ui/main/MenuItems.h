#pragma once
// Menu items made apart from the menu bar's first set-up, to be placed into
// their menu by the code that makes them.

#include <QAction>
#include <QMenu>
#include <QString>

namespace quorvan {

// A new item owned by `menu` but not yet in it, with the object name that the
// automation finds it by; disabled unless `enabled` (most need an open image).
inline QAction* NewMenuItem(QMenu* menu, const QString& name, const QString& caption, bool enabled = false)
{
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    action->setEnabled(enabled);
    return action;
}

} // namespace quorvan

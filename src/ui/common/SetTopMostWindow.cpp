#include "ui/common/SetTopMostWindow.h"

#include "ui/common/RuntimeError.h"

#include <QWidget>

namespace quorvan {

namespace {

// Qt's means of keeping a window on top: the stay-on-top hint. Changing window
// flags hides a shown window, so it is shown again afterwards.
int QtSetWindowPos(QWidget* window, bool topmost)
{
    if (window == nullptr)
        return 0;
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (wasVisible)
        window->show();
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost ? 1 : 0;
}

SetWindowPosFunction& SetWindowPos()
{
    static SetWindowPosFunction function;
    return function;
}

} // namespace

void SetWindowPosForTesting(SetWindowPosFunction function)
{
    SetWindowPos() = std::move(function);
}

int SetTopMostWindow(QWidget* window, bool pin)
{
    try {
        const auto& call = SetWindowPos();
        const int result = call ? call(window, pin) : QtSetWindowPos(window, pin);
        return pin ? result : 0;
    } catch (const RuntimeError& error) {
        throw error.PassedOnBy(QStringLiteral("modAPIStuff/SetTopMostWindow"));
    }
}

} // namespace quorvan

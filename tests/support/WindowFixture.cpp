#include "support/WindowFixture.h"

#include "data/modGlobals.h"

#include <QSettings>
#include <QTest>

namespace quorvan::test {

void WindowFixture::SetUpWindow()
{
    QSettings().clear();
    ResetGlobals();
    answerer_.reset();
    box_ = std::make_unique<Sandbox>();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
}

void WindowFixture::TearDownWindow()
{
    QCOMPARE(answerer_.pending(), 0);
    window_.reset();
    box_.reset();
}

} // namespace quorvan::test

#pragma once
// The set-up that the tests of the main window with files of their own share.
// A test class derives from it beside QObject and calls SetUpWindow() from
// init() and TearDownWindow() from cleanup().

#include "support/TestSupport.h"
#include "ui/main/frmQuorvan.h"

#include <memory>

namespace quorvan::test {

class WindowFixture {
protected:
    // Clears the settings, resets the program's state and the dialog answers,
    // makes a sandbox and shows a new main window.
    void SetUpWindow();
    // Fails the test when a queued dialog answer was never used; then closes
    // the window and removes the sandbox.
    void TearDownWindow();

    std::unique_ptr<Sandbox> box_;
    std::unique_ptr<frmQuorvan> window_;
    ModalAnswerer& answerer_ = ModalAnswerer::instance();
};

} // namespace quorvan::test

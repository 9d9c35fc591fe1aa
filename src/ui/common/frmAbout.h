#pragma once
// The about box.

#include <QDialog>

namespace quorvan {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner);
};

} // namespace quorvan

#pragma once
// The Preferences dialog: the emulator's command, the clean original image
// (each with a Browse button) and the export scale, with OK and Cancel. It
// edits a copy of the values; the caller saves them when the dialog is accepted.

#include "ui/prefs/Preferences.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quorvan {

class frmPreferences : public QDialog {
    Q_OBJECT
public:
    frmPreferences(const Preferences& values, QWidget* owner);

    // The values as the controls show them.
    Preferences values() const;

    QLineEdit* txtEmulator() const { return txtEmulator_; }
    QLineEdit* txtCleanOriginal() const { return txtCleanOriginal_; }
    QComboBox* cmbExportScale() const { return cmbExportScale_; }
    QPushButton* cmdBrowseEmulator() const { return cmdBrowseEmulator_; }
    QPushButton* cmdBrowseCleanOriginal() const { return cmdBrowseCleanOriginal_; }

public slots:
    // OK: a clean original that cannot serve as one is pointed out first, and
    // the user may go back to correct it.
    void accept() override;

private:
    void Browse(QLineEdit* target, const QString& title, const QString& filter);

    QLineEdit* txtEmulator_ = nullptr;
    QLineEdit* txtCleanOriginal_ = nullptr;
    QComboBox* cmbExportScale_ = nullptr;
    QPushButton* cmdBrowseEmulator_ = nullptr;
    QPushButton* cmdBrowseCleanOriginal_ = nullptr;
};

} // namespace quorvan

#pragma once
// The Preferences dialog: the emulator's command, the clean original image
// (each with a Browse button) and the export scale, with OK and Cancel. It
// edits a copy of the values; the caller saves them when the dialog is accepted.
// Paths are kept exactly as typed or chosen (never trimmed).

#include "ui/prefs/Preferences.h"

#include <QDialog>

#include <cstddef>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quorvan {

class frmPreferences : public QDialog {
    Q_OBJECT
public:
    // `openImageLength`: the open image's length in bytes, which a clean
    // original must have; 0 when no image is open.
    frmPreferences(const Preferences& values, QWidget* owner, std::size_t openImageLength = 0);

    // The values as the controls show them.
    Preferences values() const;

    QLineEdit* txtEmulator() const { return txtEmulator_; }
    QLineEdit* txtCleanOriginal() const { return txtCleanOriginal_; }
    QComboBox* cmbExportScale() const { return cmbExportScale_; }
    QPushButton* cmdBrowseEmulator() const { return cmdBrowseEmulator_; }
    QPushButton* cmdBrowseCleanOriginal() const { return cmdBrowseCleanOriginal_; }

public slots:
    // OK: a clean original that cannot serve as one (missing, unreadable, not a
    // regular file, not an image, or of another length than the open image) is
    // pointed out first with the reason, and the user may keep it or go back.
    void accept() override;

private:
    void Browse(QLineEdit* target, const QString& title, const QString& filter);

    QLineEdit* txtEmulator_ = nullptr;
    QLineEdit* txtCleanOriginal_ = nullptr;
    QComboBox* cmbExportScale_ = nullptr;
    QPushButton* cmdBrowseEmulator_ = nullptr;
    QPushButton* cmdBrowseCleanOriginal_ = nullptr;
    std::size_t openImageLength_ = 0;
};

} // namespace quorvan

#include "ui/prefs/frmPreferences.h"

#include "data/RomFile.h"
#include "ui/common/MsgBox.h"
#include "ui/common/clsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvan {

namespace {

QPushButton* BrowseButton(const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("Browse..."), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QWidget* Row(QLineEdit* edit, QPushButton* button, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    return row;
}

// Why the file cannot serve as a clean original; empty when it can.
QString WhyNotAnImage(const QString& path)
{
    const LoadResult loaded = LoadRomFile(path);
    switch (loaded.status) {
    case LoadResult::Status::Ok:
        return {};
    case LoadResult::Status::BadSize:
        return QStringLiteral("It is not an image of an accepted length.");
    case LoadResult::Status::ReadFailed:
        break;
    }
    return loaded.error;
}

} // namespace

frmPreferences::frmPreferences(const Preferences& values, QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmPreferences"));
    setWindowTitle(QStringLiteral("Preferences"));
    setMinimumWidth(460);

    txtEmulator_ = new QLineEdit(values.emulator, this);
    txtEmulator_->setObjectName(QStringLiteral("txtEmulator"));
    txtEmulator_->setPlaceholderText(QStringLiteral("%1 (none found on the PATH)")
                                         .arg(Preferences::EmulatorCandidates().join(QStringLiteral(" or "))));
    cmdBrowseEmulator_ = BrowseButton(QStringLiteral("cmdBrowseEmulator"), this);

    txtCleanOriginal_ = new QLineEdit(values.cleanOriginal, this);
    txtCleanOriginal_->setObjectName(QStringLiteral("txtCleanOriginal"));
    txtCleanOriginal_->setPlaceholderText(QStringLiteral("None: patches are made against the image as opened"));
    cmdBrowseCleanOriginal_ = BrowseButton(QStringLiteral("cmdBrowseCleanOriginal"), this);

    cmbExportScale_ = new QComboBox(this);
    cmbExportScale_->setObjectName(QStringLiteral("cmbExportScale"));
    cmbExportScale_->addItems({QStringLiteral("1"), QStringLiteral("2")});
    cmbExportScale_->setCurrentIndex(values.exportScale == 1 ? 0 : 1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Emulator:"), Row(txtEmulator_, cmdBrowseEmulator_, this));
    form->addRow(QStringLiteral("&Clean original:"), Row(txtCleanOriginal_, cmdBrowseCleanOriginal_, this));
    form->addRow(QStringLiteral("Export &scale:"), cmbExportScale_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &frmPreferences::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmPreferences::reject);
    connect(cmdBrowseEmulator_, &QPushButton::clicked, this, [this] {
        Browse(txtEmulator_, QStringLiteral("Choose the Emulator"), QStringLiteral("All Files (*.*)|*.*"));
    });
    connect(cmdBrowseCleanOriginal_, &QPushButton::clicked, this, [this] {
        Browse(txtCleanOriginal_, QStringLiteral("Choose the Clean Original"),
               QStringLiteral("NES Images (*.NES)|*.nes|All Files (*.*)|*.*"));
    });
}

Preferences frmPreferences::values() const
{
    Preferences values;
    values.emulator = txtEmulator_->text().trimmed();
    values.cleanOriginal = txtCleanOriginal_->text().trimmed();
    values.exportScale = cmbExportScale_->currentIndex() == 0 ? 1 : 2;
    return values;
}

void frmPreferences::Browse(QLineEdit* target, const QString& title, const QString& filter)
{
    clsDialog dialog;
    dialog.sethwnd(this);
    dialog.setDialogTitle(title);
    dialog.setFilter(filter);
    dialog.setflags(clsDialog::OFN_FILEMUSTEXIST);
    // Starts beside the file named now, if any.
    const QFileInfo current(target->text().trimmed());
    const QString folder = !target->text().trimmed().isEmpty() && current.absoluteDir().exists()
                               ? current.absolutePath()
                               : QDir::homePath();
    dialog.setInitDir(QDir::toNativeSeparators(folder));
    if (dialog.ShowOpen())
        target->setText(dialog.FileName());
}

void frmPreferences::accept()
{
    const QString clean = txtCleanOriginal_->text().trimmed();
    if (!clean.isEmpty()) {
        const QString why = WhyNotAnImage(clean);
        if (!why.isEmpty()) {
            const auto answer =
                MsgBox(this,
                       QStringLiteral("\"%1\" cannot serve as the clean original: %2\n\nWhile it cannot, patches are made "
                                      "against the image as opened. Keep it anyway?")
                           .arg(QDir::toNativeSeparators(clean), why),
                       QStringLiteral("Preferences"), QMessageBox::Yes | QMessageBox::No, MsgIcon::Exclamation,
                       QMessageBox::No);
            if (answer != QMessageBox::Yes) {
                txtCleanOriginal_->setFocus();
                return;
            }
        }
    }
    QDialog::accept();
}

} // namespace quorvan

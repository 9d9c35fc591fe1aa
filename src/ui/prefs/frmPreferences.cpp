#include "ui/prefs/frmPreferences.h"

#include "data/FileWriter.h"
#include "data/PatchResult.h"
#include "data/Stages.h"
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

// Why the file cannot serve as the clean original of an image of `imageLength`
// bytes (0: none open); empty when it can.
QString WhyNotACleanOriginal(const QString& path, std::size_t imageLength)
{
    const ReadResult read = ReadWholeFile(path, kImageLengthPlain);
    switch (read.status) {
    case ReadResult::Status::Ok:
        break;
    case ReadResult::Status::Missing:
        return QStringLiteral("It does not exist.");
    case ReadResult::Status::NotRegular:
        return read.reason;
    case ReadResult::Status::TooLarge:
        return QStringLiteral("It is larger than any image (%1).").arg(PatchLengthText(kImageLengthPlain));
    case ReadResult::Status::Failed:
        return QStringLiteral("It cannot be read (%1).").arg(read.reason);
    }
    const std::size_t length = read.bytes.size();
    if (!StagesForLength(length))
        return QStringLiteral("It is %1 long, not an image of an accepted length.").arg(PatchLengthText(length));
    // A patch is made against an original of the image's own length (IPS cannot
    // change a length, and the result would not be this image).
    if (imageLength != 0 && length != imageLength)
        return QStringLiteral("Its length (%1) differs from the open image's (%2).")
            .arg(PatchLengthText(length), PatchLengthText(imageLength));
    return {};
}

} // namespace

frmPreferences::frmPreferences(const Preferences& values, QWidget* owner, std::size_t openImageLength)
    : QDialog(owner), openImageLength_(openImageLength)
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
    // The path exactly as typed or chosen: "clean.nes " is another file than "clean.nes".
    values.cleanOriginal = txtCleanOriginal_->text();
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
    const QFileInfo current(target->text());
    const QString folder = !target->text().isEmpty() && current.absoluteDir().exists()
                               ? current.absolutePath()
                               : QDir::homePath();
    dialog.setInitDir(QDir::toNativeSeparators(folder));
    if (dialog.ShowOpen())
        target->setText(dialog.FileName());
}

void frmPreferences::accept()
{
    const QString clean = txtCleanOriginal_->text();
    if (!clean.isEmpty()) {
        const QString why = WhyNotACleanOriginal(clean, openImageLength_);
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

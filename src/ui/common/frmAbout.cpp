#include "ui/common/frmAbout.h"

#include "data/Links.h"
#include "data/Version.h"
#include "ui/common/MsgBox.h"
#include "ui/common/PictureBox.h"
#include "ui/common/Resources.h"
#include "ui/common/SetTopMostWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>

#include <memory>

namespace quorvan {

namespace {

constexpr int kClientWidth = 382;
constexpr int kClientHeight = 237;
const char* const kIconPath = ":/quorvan/quorvan.png";
const char* const kUnavailable = "System Information Is Unavailable At This Time";

std::optional<SettingsRoot>& SysInfoRoot()
{
    static std::optional<SettingsRoot> root;
    return root;
}

frmAbout::ProgramStarter& Starter()
{
    static frmAbout::ProgramStarter starter;
    return starter;
}

bool StartDetached(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QProcess::startDetached(path, {});
}

QLabel* NamedLabel(const QString& name, const QRect& geometry, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* LineSegment(const QString& name, const QRect& geometry, const QColor& colour, QWidget* parent)
{
    auto* line = new QWidget(parent);
    line->setObjectName(name);
    line->setGeometry(geometry);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

// Removes the terminator of a value stored with one; every other character stays.
template <typename Text, typename Char>
void CutTerminator(Text& text, Char nul)
{
    if (!text.isEmpty() && text.back() == nul)
        text.chop(1);
}

} // namespace

SettingsRoot LocalMachineRoot()
{
#ifdef Q_OS_WIN
    return SettingsRoot{QStringLiteral("HKEY_LOCAL_MACHINE"), QSettings::NativeFormat};
#else
    return SettingsRoot{}; // no registry: the system information tool is never found
#endif
}

frmAbout::frmAbout(QWidget* owner) : QDialog(owner, Qt::Tool)
{
    setObjectName(QStringLiteral("frmAbout"));
    CreateWidgets();
    ConnectWidgets();
    Form_Load();
}

void frmAbout::CreateWidgets()
{
    // A fixed dialog frame with a close box only; closing unloads the window.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(kClientWidth, kClientHeight);

    picIcon_ = new PictureBox(QStringLiteral("picIcon"), 36, 36, this);
    picIcon_->move(16, 16);

    lblTitle_ = NamedLabel(QStringLiteral("lblTitle"), QRect(70, 16, 259, 32), this);
    QFont titleFont = lblTitle_->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(20);
    lblTitle_->setFont(titleFont);

    lblVersion_ = NamedLabel(QStringLiteral("lblVersion"), QRect(70, 52, 259, 15), this);
    lblDescription_ = NamedLabel(QStringLiteral("lblDescription"), QRect(70, 75, 259, 78), this);
    lblDescription_->setWordWrap(true);

    // The etched separator: a gray line with a white one just below it.
    line1_[1] = LineSegment(QStringLiteral("Line1(1)"), QRect(6, 163, 372, 1), QColor(128, 128, 128), this);
    line1_[0] = LineSegment(QStringLiteral("Line1(0)"), QRect(7, 164, 371, 2), QColor(255, 255, 255), this);

    lblDisclaimer_ = NamedLabel(QStringLiteral("lblDisclaimer"), QRect(17, 175, 258, 55), this);
    lblDisclaimer_->setWordWrap(true);
    QFont smallFont = lblDisclaimer_->font();
    smallFont.setPixelSize(10);
    lblDisclaimer_->setFont(smallFont);
    lblDisclaimer_->setText(DisclaimerText());

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(283, 175, 84, 23);
    cmdOK_->setDefault(true);

    cmdSysInfo_ = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo_->setGeometry(284, 205, 83, 23);
}

void frmAbout::ConnectWidgets()
{
    // Enter reaches cmdOK as the default button; Escape rejects the dialog,
    // which closes (and so deletes) it like "OK".
    connect(cmdOK_, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo_, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

void frmAbout::Form_Load()
{
    SetTopMostWindow(this, true);

    const QString title = QString::fromLatin1(kProgramTitle);
    setWindowTitle(QStringLiteral("About ") + title);
    lblVersion_->setText(QStringLiteral("Version ") + VersionText());
    lblTitle_->setText(title);
    lblDescription_->setText(DescriptionText());

    EnsureResources();
    picIcon_->setBackColor(palette().color(QPalette::Window));
    picIcon_->Cls();
    const QImage icon(QString::fromLatin1(kIconPath));
    if (!icon.isNull()) {
        QPainter painter(&picIcon_->backBuffer());
        const QImage scaled = icon.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage((36 - scaled.width()) / 2, (36 - scaled.height()) / 2, scaled);
    }
    picIcon_->Refresh();

    cmdOK_->setFocus();

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

QString frmAbout::DescriptionText()
{
    return QStringLiteral("Quorvan, the stage, block and palette editor for the NES platform game.\n") + WebSiteText() +
           QStringLiteral("\n\nAny Bugs Report To ") + AuthorEmailText();
}

QString frmAbout::DisclaimerText()
{
    return QStringLiteral("I take no responsibility for damaged ROM files. If you publish a game image you "
                          "changed with this editor, please give me credit. Please e-mail me any bugs you find.");
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

QString frmAbout::FindSysInfo() const
{
    const SettingsRoot root = SysInfoRoot().value_or(LocalMachineRoot());

    // The tool's full path, where the system records it.
    QString path;
    if (GetKeyValue(root, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH"), path) &&
        !path.isEmpty())
        return path;

    // Otherwise the folder of the shared tools, if the tool is really there.
    QString folder;
    if (GetKeyValue(root, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"),
                    folder) &&
        !folder.isEmpty()) {
        const QString tool = QDir(QDir::fromNativeSeparators(folder)).filePath(QStringLiteral("MSINFO32.EXE"));
        if (QFileInfo(tool).isFile())
            return QDir::toNativeSeparators(tool);
    }
    return {};
}

void frmAbout::StartSysInfo()
{
    try {
        const QString path = FindSysInfo();
        if (!path.isEmpty()) {
            const ProgramStarter& starter = Starter();
            if (starter ? starter(path) : StartDetached(path))
                return;
        }
    } catch (...) {
        // Any failure on the way ends in the same message.
    }
    MsgBox(this, QString::fromLatin1(kUnavailable), QString::fromLatin1(kProgramTitle), QMessageBox::Ok);
}

bool frmAbout::GetKeyValue(const SettingsRoot& KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                           QString& KeyVal)
{
    if (KeyRoot.location.isEmpty() || KeyName.isEmpty() || SubKeyRef.isEmpty()) {
        KeyVal.clear();
        return false;
    }

    std::unique_ptr<QSettings> settings;
    if (KeyRoot.format == QSettings::NativeFormat) {
        // The registry: open the key itself below the root.
        settings = std::make_unique<QSettings>(KeyRoot.location + QLatin1Char('\\') + KeyName, KeyRoot.format);
    } else {
        // A settings file: the key path is a group of it.
        settings = std::make_unique<QSettings>(KeyRoot.location, KeyRoot.format);
        settings->beginGroup(QString(KeyName).replace(QLatin1Char('\\'), QLatin1Char('/')));
    }
    if (settings->status() != QSettings::NoError || !settings->contains(SubKeyRef)) {
        KeyVal.clear();
        return false;
    }

    const QVariant value = settings->value(SubKeyRef);
    switch (value.typeId()) {
    case QMetaType::QString: {
        QString text = value.toString();
        CutTerminator(text, QChar(u'\0'));
        KeyVal = text;
        break;
    }
    case QMetaType::QByteArray: {
        QByteArray bytes = value.toByteArray();
        CutTerminator(bytes, '\0');
        KeyVal = QString::fromLocal8Bit(bytes);
        break;
    }
    case QMetaType::Int:
        KeyVal = QString::number(static_cast<quint32>(value.toInt()));
        break;
    case QMetaType::UInt:
        KeyVal = QString::number(value.toUInt());
        break;
    default:
        break; // a type the lookup does not read: the text stays as it was
    }
    return true;
}

void frmAbout::SetSysInfoRootForTesting(std::optional<SettingsRoot> root)
{
    SysInfoRoot() = std::move(root);
}

void frmAbout::SetProgramStarterForTesting(ProgramStarter starter)
{
    Starter() = std::move(starter);
}

} // namespace quorvan

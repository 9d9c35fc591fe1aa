#include "support/WindowFiles.h"

#include "data/modGlobals.h"
#include "support/FaultInjection.h"
#include "ui/main/frmQuorvan.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <filesystem>

namespace quorvan::test {

const Bytes& Original()
{
    static const Bytes bytes = DemoBytes(DemoLayout::Plain, 1);
    return bytes;
}

const Bytes& Theirs()
{
    static const Bytes bytes = DemoBytes(DemoLayout::Plain, 3);
    return bytes;
}

const Bytes& Later()
{
    static const Bytes bytes = DemoBytes(DemoLayout::Plain, 4);
    return bytes;
}

Bytes ImageNow()
{
    return {RomImage.bytes().begin(), RomImage.bytes().end()};
}

QStringList Listing(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

namespace {

// Another program writes the file itself (same file, same size) and puts its
// modification time back, so that only its bytes tell.
void ChangeInPlace(const QString& path, const Bytes& bytes)
{
    const FileFacts before = Facts(path);
    const qint64 sizeBefore = QFileInfo(path).size();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())), qint64(bytes.size()));
    QVERIFY(file.resize(qint64(bytes.size())));
    file.close();
    QString why;
    if (before.exists && sizeBefore == qint64(bytes.size()))
        QVERIFY2(SetModifiedTime(path, before.modifiedNs, &why), qPrintable(why));
}

// Another program saves as careful editors do: a new file renamed over the name.
void ReplaceByRename(const QString& path, const Bytes& bytes)
{
    const QString temp = path + QStringLiteral(".theirs");
    QFile file(temp);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())), qint64(bytes.size()));
    file.close();
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temp).toStdString(), QFile::encodeName(path).toStdString(), error);
    QVERIFY2(!error, error.message().c_str());
}

} // namespace

void ChangeOnDisk(Change change, const QString& path, const Bytes& bytes)
{
    switch (change) {
    case Change::None: break;
    case Change::InPlace: ChangeInPlace(path, bytes); break;
    case Change::Renamed: ReplaceByRename(path, bytes); break;
    case Change::Removed: QVERIFY(QFile::remove(path)); break;
    }
}

ModalAnswerer::Answer Respond(Reply reply)
{
    const auto key = [](Qt::Key k) { return [k](QWidget* modal) { QTest::keyClick(modal, k); }; };
    switch (reply) {
    case Reply::Yes: return PressStandard(QMessageBox::Yes);
    case Reply::No: return PressStandard(QMessageBox::No);
    case Reply::Enter: return key(Qt::Key_Return); // the default button
    case Reply::Escape: return key(Qt::Key_Escape);
    case Reply::Cancel: return ClickButton(QStringLiteral("Cancel"));
    case Reply::Overwrite: return ClickButton(QStringLiteral("Overwrite"));
    case Reply::SaveAs: return ClickButton(QStringLiteral("Save As..."));
    case Reply::None: break;
    }
    return CancelDialog();
}

ModalAnswerer::Answer NotingDefault(QString* defaultButton, ModalAnswerer::Answer then)
{
    return [defaultButton, then](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        const QPushButton* button = box != nullptr ? box->defaultButton() : nullptr;
        *defaultButton = button != nullptr ? button->text().remove(QLatin1Char('&')) : QString();
        then(modal);
    };
}

std::optional<QString> MakeSpecial(Special kind, const QString& path)
{
    QString why;
    switch (kind) {
    case Special::Pipe: return MakeNamedPipe(path, &why) ? std::nullopt : std::optional(why);
    case Special::LinkToPipe:
        if (!MakeNamedPipe(path + QStringLiteral(".fifo"), &why))
            return why;
        return QFile::link(path + QStringLiteral(".fifo"), path) ? std::nullopt : std::optional(QStringLiteral("no links"));
    case Special::Device: return MakeDeviceNode(path, &why) ? std::nullopt : std::optional(why);
    case Special::Socket: return MakeSocketFile(path, &why) ? std::nullopt : std::optional(why);
    }
    return std::nullopt;
}

FileWindow::FileWindow()
{
    ResetGlobals();
    ModalAnswerer::instance().reset();
    window_ = std::make_unique<frmQuorvan>();
    window_->show();
    watch_.setInterval(200);
    watch_.callOnTimeout([this] {
        QWidget* modal = QApplication::activeModalWidget();
        if (ModalAnswerer::instance().pending() != 0 || modal == nullptr || !modal->isVisible())
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        unexpected_ << (box != nullptr ? box->windowTitle() + QLatin1Char('|') + box->text() : modal->windowTitle());
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    watch_.start();
}

FileWindow::~FileWindow() = default;

void FileWindow::open(const QString& path)
{
    QVERIFY(window_->OpenFile(path));
}

void FileWindow::trigger(QAction* action)
{
    action->trigger();
    QCOMPARE(ModalAnswerer::instance().pending(), 0);
}

int FileWindow::asked(const QString& title) const
{
    const QRegularExpression start(QStringLiteral("^") + QRegularExpression::escape(title) + QStringLiteral("\\|"));
    return int(ModalAnswerer::instance().seen().filter(start).size());
}

void FileWindow::finish()
{
    watch_.stop();
    QVERIFY2(unexpected_.isEmpty(), qPrintable(QStringLiteral("unexpected: ") + unexpected_.join(QStringLiteral(" / "))));
    QCOMPARE(ModalAnswerer::instance().pending(), 0);
}

} // namespace quorvan::test

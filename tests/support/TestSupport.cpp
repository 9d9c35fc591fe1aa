#include "support/TestSupport.h"

#include "data/RomFile.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace quorvan::test {

Sandbox::Sandbox()
{
    Q_ASSERT(dir_.isValid());
}

QString Sandbox::path(const QString& name) const
{
    return dir_.filePath(name);
}

QString Sandbox::write(const QString& name, const std::vector<std::uint8_t>& bytes) const
{
    return write(name, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

QString Sandbox::write(const QString& name, const QByteArray& bytes) const
{
    const QString file = path(name);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(file));
    return file;
}

QString Sandbox::demoImage(const QString& name, DemoLayout layout, std::uint64_t seed) const
{
    return write(name, DemoBytes(layout, seed));
}

std::vector<std::uint8_t> ReadFileBytes(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = in.readAll();
    return {data.begin(), data.end()};
}

std::vector<std::uint8_t> DemoBytes(DemoLayout layout, std::uint64_t seed)
{
    DemoOptions options;
    options.layout = layout;
    options.seed = seed;
    return GenerateDemoImage(options);
}

ModalAnswerer& ModalAnswerer::instance()
{
    static ModalAnswerer answerer;
    return answerer;
}

void ModalAnswerer::expect(Answer answer)
{
    answers_.push_back(std::move(answer));
    if (!polling_) {
        polling_ = true;
        QTimer::singleShot(10, [this] { poll(); });
    }
}

int ModalAnswerer::pending() const
{
    return static_cast<int>(answers_.size());
}

QStringList ModalAnswerer::seen() const
{
    return seen_;
}

void ModalAnswerer::reset()
{
    answers_.clear();
    seen_.clear();
}

void ModalAnswerer::poll()
{
    if (answers_.empty()) {
        polling_ = false;
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            seen_ << box->windowTitle() + QLatin1Char('|') + box->text();
        else
            seen_ << modal->metaObject()->className() + QStringLiteral("|") + modal->windowTitle();
        Answer answer = std::move(answers_.front());
        answers_.erase(answers_.begin());
        answer(modal);
    }
    QTimer::singleShot(10, [this] { poll(); });
}

ModalAnswerer::Answer ClickButton(const QString& buttonText)
{
    return [buttonText](QWidget* modal) {
        for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
            if (button->text() == buttonText || button->text().remove(QLatin1Char('&')) == buttonText) {
                button->click();
                return;
            }
        }
        qWarning("no button %s in the modal widget", qPrintable(buttonText));
    };
}

ModalAnswerer::Answer PressStandard(int standardButton)
{
    return [standardButton](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (QAbstractButton* button = box->button(static_cast<QMessageBox::StandardButton>(standardButton))) {
                button->click();
                return;
            }
        }
        qWarning("the modal widget has no such standard button");
    };
}

ModalAnswerer::Answer ChooseFile(const QString& path)
{
    return [path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) {
            qWarning("expected a file dialog");
            return;
        }
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit == nullptr) {
            qWarning("file dialog without a file name field");
            return;
        }
        // A file selected in the list would win over the typed name.
        for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>())
            if (view->selectionModel() != nullptr)
                view->selectionModel()->clear();
        edit->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    };
}

ModalAnswerer::Answer CancelDialog()
{
    return [](QWidget* modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    };
}

ModalAnswerer::Answer PressEnter()
{
    return [](QWidget* modal) {
        QWidget* target = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
        QTest::keyClick(target, Qt::Key_Return);
    };
}

QImage Grab(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::uint32_t Rgb(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFFu;
}

} // namespace quorvan::test

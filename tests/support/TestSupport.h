#pragma once
// Shared helpers of the test programs: synthetic images on disk, answering
// modal dialogs as a user would, and reading pixels.

#include "demo/DemoImage.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace quorvan::test {

// A folder of its own for each test, removed afterwards.
class Sandbox {
public:
    Sandbox();
    QString path(const QString& name) const;
    // Writes bytes to a file in the sandbox and returns its path.
    QString write(const QString& name, const std::vector<std::uint8_t>& bytes) const;
    QString write(const QString& name, const QByteArray& bytes) const;
    // A demo image of the given layout and seed, written to a file.
    QString demoImage(const QString& name, DemoLayout layout = DemoLayout::Plain, std::uint64_t seed = 1) const;

private:
    QTemporaryDir dir_;
};

std::vector<std::uint8_t> ReadFileBytes(const QString& path);
std::vector<std::uint8_t> DemoBytes(DemoLayout layout = DemoLayout::Plain, std::uint64_t seed = 1);

// Answers the next modal widget that appears, within `timeoutMs`: `answer` is
// called with it once it is the active modal widget. Several answers queue up
// in order. Records what it saw so that the test can check it afterwards.
class ModalAnswerer {
public:
    using Answer = std::function<void(QWidget*)>;
    void expect(Answer answer);
    // Answers queued and not yet used.
    int pending() const;
    // Text of each message box answered, "title|text".
    QStringList seen() const;

    static ModalAnswerer& instance();
    void reset();

private:
    void poll();
    std::vector<Answer> answers_;
    QStringList seen_;
    bool polling_ = false;

    friend struct ModalAnswererAccess;
};

// Common answers.
ModalAnswerer::Answer ClickButton(const QString& buttonText); // in a message box, by its text ("&Yes", "OK")
ModalAnswerer::Answer PressStandard(int standardButton);      // QMessageBox::StandardButton
ModalAnswerer::Answer ChooseFile(const QString& path);        // type into a file dialog and accept
ModalAnswerer::Answer CancelDialog();                          // reject any dialog
ModalAnswerer::Answer PressEnter();                            // Enter on the active widget

// The pixels of a widget as shown (grab), and of an image, as 0xRRGGBB.
QImage Grab(QWidget* widget);
std::uint32_t Rgb(const QImage& image, int x, int y);

} // namespace quorvan::test

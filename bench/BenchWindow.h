#pragma once
// The main window the window benchmarks work on: shown (offscreen unless a
// platform is chosen), with the synthetic demo image open and stage 1 chosen.

#include "demo/DemoImage.h"
#include "ui/main/frmQuorvan.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

namespace quorvan::bench {

// Call before the QApplication exists.
inline void ChooseOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Null (after saying why) when the image could not be written or opened.
inline std::unique_ptr<frmQuorvan> MakeBenchWindow(const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("bench.nes"));
    const std::vector<std::uint8_t> bytes = GenerateDemoImage({});
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        std::fprintf(stderr, "could not write the demo image\n");
        return nullptr;
    }
    file.close();
    auto window = std::make_unique<frmQuorvan>();
    window->show();
    if (!window->OpenFile(path)) {
        std::fprintf(stderr, "could not open the demo image\n");
        return nullptr;
    }
    window->mnuStageSelect_Click(0);
    // Shown and painted once, so that no benchmark pays for the first paint.
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    return window;
}

} // namespace quorvan::bench

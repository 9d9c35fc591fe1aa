#pragma once
// The main window the window benchmarks work on: shown (offscreen unless a
// platform is chosen), with the synthetic demo image open and stage 1 chosen.

#include "BenchRatios.h"

#include "demo/DemoImage.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <vector>

namespace quorvan::bench {

// Call before the QApplication exists.
inline void ChooseOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Writes `bytes` as an image file into `folder`, opens it in a shown main
// window and chooses stage 1. Null (after saying why) when the image could not
// be written or opened.
inline std::unique_ptr<frmQuorvan> OpenBenchWindow(const QTemporaryDir& folder, const std::vector<std::uint8_t>& bytes)
{
    const QString path = folder.filePath(QStringLiteral("bench.nes"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
                static_cast<qint64>(bytes.size())) {
            std::fprintf(stderr, "could not write the demo image\n");
            return nullptr;
        }
    }
    auto window = std::make_unique<frmQuorvan>();
    window->show();
    if (!window->OpenFile(path)) {
        std::fprintf(stderr, "could not open the demo image\n");
        return nullptr;
    }
    window->mnuStageSelect_Click(0);
    return window;
}

// The same with the demo image, shown and painted once, so that no benchmark
// pays for the first paint.
inline std::unique_ptr<frmQuorvan> MakeBenchWindow(const QTemporaryDir& folder)
{
    auto window = OpenBenchWindow(folder, GenerateDemoImage({}));
    if (window)
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
    return window;
}

// Notes which of the watched widgets have been painted.
class PaintCounter : public QObject {
public:
    void Watch(QWidget* widget) { widget->installEventFilter(this); }
    void Forget() { painted_.clear(); }

    // Processes events until every one of `widgets` has been painted since the
    // last Forget(); false when that does not happen within many rounds.
    bool WaitFor(std::initializer_list<QObject*> widgets)
    {
        for (int round = 0; round < 100000; ++round) {
            bool all = true;
            for (QObject* widget : widgets)
                all = all && std::find(painted_.begin(), painted_.end(), widget) != painted_.end();
            if (all)
                return true;
            QCoreApplication::processEvents();
        }
        return false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted_.push_back(watched);
        return false;
    }

private:
    std::vector<QObject*> painted_;
};

// Stages 1 and 5 chosen in turn from the Level menu, each time until the
// level view, the block table and `also` (when given) have been painted.
inline void ChangeStagesUntilPainted(benchmark::State& state, frmQuorvan& window, PaintCounter& paints, QObject* also)
{
    int stage = 0;
    for (auto _ : state) {
        stage = stage == 0 ? 4 : 0;
        paints.Forget();
        window.mnuStageSelect(stage)->trigger();
        const bool painted = also != nullptr ? paints.WaitFor({window.picEditor(), window.picTile(), also})
                                             : paints.WaitFor({window.picEditor(), window.picTile()});
        if (!painted) {
            state.SkipWithError("a view was never painted");
            break;
        }
    }
}

// main() of a benchmark program that needs widgets: the platform chosen, the
// application made and the benchmark library's arguments read, then `body()`,
// whose result is main()'s exit code (1 for arguments the library does not know).
template <typename Body>
int RunInApplication(int& argc, char** argv, Body body)
{
    ChooseOffscreenPlatform();
    QApplication app(argc, argv);
    if (!InitializeBenchmarks(argc, argv))
        return 1;
    return body();
}

// The same for the benchmarks of the main window: `body(window)` with the
// window of MakeBenchWindow (exit code 1 when it could not be made).
template <typename Body>
int RunWithBenchWindow(int& argc, char** argv, Body body)
{
    return RunInApplication(argc, argv, [&body] {
        QTemporaryDir folder;
        std::unique_ptr<frmQuorvan> window = MakeBenchWindow(folder);
        return window ? body(*window) : 1;
    });
}

} // namespace quorvan::bench

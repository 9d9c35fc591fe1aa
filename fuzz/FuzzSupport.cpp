#include "FuzzSupport.h"

#include "data/modGlobals.h"
#include "ui/main/frmQuorvan.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace quorvan::fuzz {

void StartApplication(int* argc, char*** argv)
{
    if (QApplication::instance() != nullptr)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application keeps a reference to its argument count, so it gets one
    // that lives as long as the process. It is never destroyed: libFuzzer ends
    // the process with exit(), and tearing Qt down in static destructors after
    // the windows that use it would only add noise to the findings.
    static int count = 1;
    static char* arguments[] = {(*argc > 0 ? (*argv)[0] : nullptr), nullptr};
    new QApplication(count, arguments);
}

frmQuorvan* Window()
{
    static frmQuorvan* window = nullptr;
    if (window == nullptr) {
        ResetGlobals();
        window = new frmQuorvan();
    }
    return window;
}

QString TemporaryPath(const QString& name)
{
    static QTemporaryDir dir;
    return dir.filePath(name);
}

const std::vector<std::uint8_t>& BaseImage(DemoLayout layout)
{
    static const std::vector<std::uint8_t> plain = GenerateDemoImage({1, DemoLayout::Plain});
    static const std::vector<std::uint8_t> shifted = GenerateDemoImage({1, DemoLayout::Shifted});
    return layout == DemoLayout::Plain ? plain : shifted;
}

std::span<const std::uint8_t> Input::take(std::size_t n)
{
    const std::size_t count = n < left() ? n : left();
    const auto piece = bytes_.subspan(position_, count);
    position_ += count;
    return piece;
}

void Check(bool ok, const char* what)
{
    if (ok)
        return;
    std::fprintf(stderr, "PROPERTY FAILED: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

} // namespace quorvan::fuzz

// Writes a synthetic cartridge image for the demo, the tests and the benchmarks.
//   quorvan_makedemo OUT.nes [--seed N] [--shifted]

#include "demo/DemoImage.h"
#include "data/RomFile.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char* argv[])
{
    const char* out = nullptr;
    quorvan::DemoOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--shifted") == 0) {
            options.layout = quorvan::DemoLayout::Shifted;
        } else if (argv[i][0] != '-' && out == nullptr) {
            out = argv[i];
        } else {
            out = nullptr;
            break;
        }
    }
    if (out == nullptr) {
        std::fprintf(stderr, "usage: quorvan_makedemo OUT.nes [--seed N] [--shifted]\n");
        return 2;
    }
    const auto image = quorvan::GenerateDemoImage(options);
    if (const auto error = quorvan::SaveRomFile(QString::fromLocal8Bit(out), image)) {
        std::fprintf(stderr, "quorvan_makedemo: cannot write %s: %s\n", out, qPrintable(*error));
        return 1;
    }
    std::printf("Wrote demo image %s (%zu bytes, seed %llu)\n", out, image.size(),
                static_cast<unsigned long long>(options.seed));
    return 0;
}

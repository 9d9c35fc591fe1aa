// Saves two images in turn over one file through the file layer, for ever,
// for the test that kills a save at random moments. Prints "ready" once the
// first save is done.
//   quorvan_save_loop TARGET IMAGE_A IMAGE_B

#include "data/FileWriter.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <limits>

int main(int argc, char** argv)
{
    using namespace quorvan;
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s TARGET IMAGE_A IMAGE_B\n", argv[0]);
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    const ReadResult images[2] = {ReadWholeFile(QString::fromLocal8Bit(argv[2]), std::numeric_limits<std::uint32_t>::max()),
                                  ReadWholeFile(QString::fromLocal8Bit(argv[3]), std::numeric_limits<std::uint32_t>::max())};
    if (!images[0].ok() || !images[1].ok()) {
        std::fprintf(stderr, "cannot read the images\n");
        return 2;
    }
    for (std::uint64_t i = 0;; ++i) {
        WriteRequest request;
        request.path = target;
        request.bytes = images[i % 2].bytes;
        request.replaceExisting = true;
        const WriteOutcome outcome = WriteWholeFile(request);
        if (!outcome.ok()) {
            std::fprintf(stderr, "save %llu failed: %s\n", static_cast<unsigned long long>(i),
                         outcome.reason.toLocal8Bit().constData());
            return 1;
        }
        if (i == 0) {
            std::printf("ready\n");
            std::fflush(stdout);
        }
    }
}

// Platforms without the POSIX calls: the write-failure guards do nothing and
// say so, and the tests that need them skip with that reason.

#include "support/FaultInjection.h"

namespace quorvan::test {

namespace {
const QString kUnsupported = QStringLiteral("not supported on this platform");
}

ReadOnlyFolder::ReadOnlyFolder(const QString& path) : path_(path), whyNot_(kUnsupported) {}
ReadOnlyFolder::~ReadOnlyFolder() = default;
void ReadOnlyFolder::undo() {}

FileSizeLimit::FileSizeLimit(std::int64_t) : whyNot_(kUnsupported) {}
FileSizeLimit::~FileSizeLimit() = default;

bool MakeNamedPipe(const QString&, QString* whyNot)
{
    if (whyNot != nullptr)
        *whyNot = kUnsupported;
    return false;
}

bool IsNamedPipe(const QString&)
{
    return false;
}

} // namespace quorvan::test

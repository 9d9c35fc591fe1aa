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

// No named pipes here, so no one can wait on one.
struct PipeRelease::Watch {};
PipeRelease::PipeRelease(const QString&, int) {}
PipeRelease::~PipeRelease() = default;
bool PipeRelease::released() const
{
    return false;
}

ImmutableFile::ImmutableFile(const QString& path) : path_(path), whyNot_(kUnsupported) {}
ImmutableFile::~ImmutableFile() = default;

bool RunsAsRoot()
{
    return false;
}

namespace {
bool Unsupported(QString* whyNot)
{
    if (whyNot != nullptr)
        *whyNot = kUnsupported;
    return false;
}
} // namespace

bool MakeDeviceNode(const QString&, QString* whyNot) { return Unsupported(whyNot); }
bool MakeSocketFile(const QString&, QString* whyNot) { return Unsupported(whyNot); }
bool MakeHardLink(const QString&, const QString&, QString* whyNot) { return Unsupported(whyNot); }
bool SetOwnerAndMode(const QString&, int, int, unsigned, QString* whyNot) { return Unsupported(whyNot); }
bool SetModifiedTime(const QString&, std::int64_t, QString* whyNot) { return Unsupported(whyNot); }
FileFacts Facts(const QString&) { return {}; }

struct WriteWhenReadAgain::Watch {};
WriteWhenReadAgain::WriteWhenReadAgain(const QString&, const std::vector<std::uint8_t>&) : whyNot_(kUnsupported) {}
WriteWhenReadAgain::~WriteWhenReadAgain() = default;
bool WriteWhenReadAgain::written() const { return false; }

bool PauseProcess(qint64, QString* whyNot) { return Unsupported(whyNot); }
void ResumeProcess(qint64) {}

std::optional<int> RunInChild(const std::function<int()>&, int, const ChildUser*, QString* whyNot)
{
    Unsupported(whyNot);
    return std::nullopt;
}

} // namespace quorvan::test

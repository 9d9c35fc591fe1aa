// Reading whole files with POSIX calls: anything but a regular file is refused
// before it is opened, and the open itself can never wait (a pipe with no
// writer, a terminal, a device that blocks).

#include "data/FileWriter.h"
#include "data/PosixFiles_posix.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <unistd.h>

namespace quorvan {

using namespace posix;

FileStamp StampFile(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return StampOf(st);
}

bool FileLayerIsQtOnly()
{
    return false;
}

namespace {

ReadResult Refuse(ReadResult::Status status, const QString& reason, const FileStamp& stamp = {})
{
    ReadResult result;
    result.status = status;
    result.reason = reason;
    result.stamp = stamp;
    return result;
}

ReadResult FromError(int error)
{
    return Refuse(error == ENOENT ? ReadResult::Status::Missing : ReadResult::Status::Failed, SystemReason(error));
}

} // namespace

ReadResult ReadWholeFile(const QString& path, std::uint64_t maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return FromError(ENOENT);
    // Look before opening, so that a device is not even opened (opening some
    // has effects); then check the open file itself, in case it was swapped.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return FromError(errno);
    if (!S_ISREG(st.st_mode))
        return Refuse(ReadResult::Status::NotRegular, filetext::NotRegular(KindOf(st.st_mode), false), StampOf(st));
    const Fd fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return FromError(errno);
    if (::fstat(fd.get(), &st) != 0)
        return FromError(errno);
    if (!S_ISREG(st.st_mode))
        return Refuse(ReadResult::Status::NotRegular, filetext::NotRegular(KindOf(st.st_mode), false), StampOf(st));
    const auto size = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
    if (size > maxBytes)
        return Refuse(ReadResult::Status::TooLarge, filetext::TooLarge(maxBytes), StampOf(st));

    // Read to the end, whatever the size said: the file may grow meanwhile, and
    // then it is refused as soon as it passes the limit.
    const std::uint64_t limit = std::min<std::uint64_t>(maxBytes, std::numeric_limits<std::size_t>::max() - 1);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min(size, limit)) + 1);
    std::size_t length = 0;
    for (;;) {
        if (length == bytes.size()) {
            if (length > limit)
                return Refuse(ReadResult::Status::TooLarge, filetext::TooLarge(maxBytes), StampOf(st));
            bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(limit + 1, std::uint64_t{length} * 2)));
        }
        const ssize_t got = ::read(fd.get(), bytes.data() + length, bytes.size() - length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return FromError(errno);
        if (got == 0)
            break;
        length += static_cast<std::size_t>(got);
    }
    if (length > limit)
        return Refuse(ReadResult::Status::TooLarge, filetext::TooLarge(maxBytes), StampOf(st));
    bytes.resize(length);

    ReadResult result;
    result.status = ReadResult::Status::Ok;
    result.bytes = std::move(bytes);
    // The stamp as it is after reading, so that it describes what was read.
    result.stamp = ::fstat(fd.get(), &st) == 0 ? StampOf(st) : FileStamp{};
    return result;
}

} // namespace quorvan

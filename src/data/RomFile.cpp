#include "data/RomFile.h"

namespace quorvan {

LoadResult LoadRomFile(const QString& path)
{
    LoadResult result;
    // Nothing longer than the longest accepted length can be an image: such a
    // file is refused by its length without being read.
    ReadResult read = ReadWholeFile(path, kImageLengthPlain);
    result.stamp = read.stamp;
    switch (read.status) {
    case ReadResult::Status::Ok:
        break;
    case ReadResult::Status::TooLarge:
        result.status = LoadResult::Status::BadSize;
        return result;
    case ReadResult::Status::Missing:
    case ReadResult::Status::NotRegular:
    case ReadResult::Status::Failed:
        result.error = read.reason;
        return result;
    }
    const auto stages = StagesForLength(read.bytes.size());
    if (!stages) {
        result.status = LoadResult::Status::BadSize;
        return result;
    }
    result.status = LoadResult::Status::Ok;
    result.bytes = std::move(read.bytes);
    result.stages = *stages;
    return result;
}

std::optional<QString> SaveRomFile(const QString& path, std::span<const std::uint8_t> bytes)
{
    WriteRequest request;
    request.path = path;
    request.bytes = bytes;
    request.replaceExisting = true;
    const WriteOutcome outcome = WriteWholeFile(request);
    if (outcome.ok())
        return std::nullopt;
    return outcome.reason;
}

} // namespace quorvan

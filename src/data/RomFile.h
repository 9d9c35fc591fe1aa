#pragma once
// Reading and writing a whole image file, through the file layer of
// FileWriter.h. Nothing here touches the globals: the caller decides what to
// do with the result.

#include "data/FileWriter.h"
#include "data/Stages.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvan {

struct LoadResult {
    enum class Status { Ok, ReadFailed, BadSize };
    Status status = Status::ReadFailed;
    std::vector<std::uint8_t> bytes; // the file's bytes when Ok
    StageTable stages{};             // the offsets in effect for its length when Ok
    QString error;                   // the system's reason, or what the file is, when ReadFailed
    FileStamp stamp;                 // the file as read, for CheckFileUnchanged

    bool ok() const { return status == Status::Ok; }
};

// Reads the file whole and checks its length. Anything but a regular file (a
// folder, pipe, device or socket) is refused at once, without waiting; files
// larger than the longest accepted length are refused without being read.
LoadResult LoadRomFile(const QString& path);

// Writes the bytes as the whole file with WriteWholeFile, replacing what is
// there (the caller has asked the user): atomically, keeping owner, group,
// mode and hard links, and refusing anything but a regular file or a new path
// and a read-only file. No backup. Returns the reason on failure, nothing on
// success.
std::optional<QString> SaveRomFile(const QString& path, std::span<const std::uint8_t> bytes);

} // namespace quorvan

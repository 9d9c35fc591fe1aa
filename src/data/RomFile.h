#pragma once
// Reading and writing a whole image file. Nothing here touches the globals:
// the caller decides what to do with the result.

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
    QString error;                   // the system's reason when ReadFailed

    bool ok() const { return status == Status::Ok; }
};

// Reads the file whole and checks its length. Files far larger than either
// accepted length are refused without being read into memory.
LoadResult LoadRomFile(const QString& path);

// Writes the bytes as the whole file: to a temporary file beside the target,
// which then replaces it, so that a failure leaves the old file untouched.
// Returns the system's reason on failure, nothing on success.
std::optional<QString> SaveRomFile(const QString& path, std::span<const std::uint8_t> bytes);

} // namespace quorvan

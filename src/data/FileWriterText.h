#pragma once
// The words of the file reader and writer, shared by its platform files so that
// every platform tells the user the same things.

#include <QString>

#include <cstdint>

namespace quorvan::filetext {

// What is at a path that is not a regular file.
enum class Kind { Folder, Pipe, Device, Socket, Other };

// "It is a named pipe, not a regular file." (and, when writing, that it is left alone).
QString NotRegular(Kind kind, bool writing);
// A link whose end is missing.
QString DanglingLink(const QString& linkText);
// A write that stopped after `done` of `total` bytes, with the system's reason when it gave one.
QString CutShort(std::uint64_t done, std::uint64_t total, const QString& systemReason);
// A copy that stopped on reading its source.
QString ReadShort(std::uint64_t done, std::uint64_t total, const QString& systemReason);
QString TooLarge(std::uint64_t maxBytes);
QString NoWriteBits();
QString MayNotWrite(const QString& systemReason);
QString AlreadyExists();
QString AppearedMeanwhile();
QString ChangedWhileSaving();
// The file was not what the caller expected at the last check before writing.
QString ChangedBeforeWriting();
// The backup at `backupPath` could not be written or checked.
QString BackupFailed(const QString& backupPath, const QString& reason);
// A backup whose name is the file's own.
QString BackupIsTheFile();
// A file written in place could not be given its old bytes back.
QString NotRestored(const QString& writeReason, const QString& restoreReason, const QString& copyPath);
// The save worked, but the backup stayed under its temporary name.
QString BackupNotNamed(const QString& backupPath, const QString& reason, const QString& copyPath);

} // namespace quorvan::filetext

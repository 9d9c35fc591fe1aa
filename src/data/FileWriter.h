#pragma once
// The one way this program reads and writes a whole file. Open, Save, Save As,
// the backup and every export go through here, so that all of them keep the
// same promises about the user's files. Nothing here touches the globals or
// shows anything: the caller decides what to tell the user.
//
// Reading (ReadWholeFile) refuses anything but a regular file at once, without
// waiting: a named pipe, device, socket or folder is never read.
//
// Writing (WriteWholeFile) takes one of these ways, chosen by what is there:
//  - Nothing at the path: the bytes are written and synced to a temporary file
//    in the target's folder (unnamed where the system allows it, else a short
//    name of its own), which then takes the name only if nothing has it by
//    then. Method NewFile.
//  - A regular file with one link whose owner, group and mode a new file can be
//    given (the user's own file of one of their groups, or any file for root):
//    a complete new file with that owner, group and mode (setuid, setgid and
//    sticky bits included) is renamed over it, and the folder is synced. The
//    name holds the old bytes or the new ones, complete, whatever happens (a
//    process killed between the last two calls leaves the new file beside it
//    under its temporary name). Extended attributes and ACLs are not carried
//    over. A folder that refuses new files stops the save. Method Replaced.
//  - A regular file with several hard links, or whose owner or group the saving
//    user cannot give to a new file (a teammate's file in a shared folder): it is
//    written in place, so that its links, owner, group and mode stay. First its
//    current bytes are written and synced to the backup (or, without a backup,
//    to a temporary copy beside it); then the new bytes are written, the file is
//    cut to their length and synced. If that fails, the old bytes are put back
//    from the copy; if even that fails, the copy is kept and named in the
//    outcome. The old bytes or the new ones are complete on disk at every moment,
//    though not always under the file's own name. Method InPlace.
//  - A symbolic link to a regular file: the file it leads to is written, in one
//    of the ways above, and the link stays a link.
//  - Anything else is refused and left as it is, never opened for writing: a
//    folder, pipe, device or socket, a link to one of them or to nothing.
//  - A file without any write permission bit (0444) is refused as read-only,
//    even for root, as is a file the user may not write (permissions, a
//    read-only file system, an immutable file).
//  - An existing file is replaced only when the request says the user agreed.
//  - With WriteRequest::expectedFile set, the file must still be that file with
//    those bytes at the last moment: its bytes are compared just before the new
//    file takes its temporary name, and its name is looked at again as the last
//    call before the rename (or before the first write in place). Otherwise
//    nothing is written (ChangedMeanwhile).
//
// The backup (WriteRequest::backupPath, and CopyWholeFile) is a regular file of
// its own: a link or hard link at its name is replaced, never written through;
// it gets the image's owner and group where the user can give them and never
// wider permissions than the image (no setuid, setgid or sticky bit). It is
// written and synced under a temporary name before the target is touched, and
// takes its name only once the save it protects has succeeded: a failed save
// removes it and leaves an older backup as it was. A process killed between the
// two renames leaves the old bytes under that temporary name.
//
// Every failure gives the system's reason or says what the file is; a write cut
// short says how many bytes went through. Never "Unknown error".
//
// On platforms without POSIX calls a Qt-only fallback is used (FileLayerIsQtOnly()):
// it writes through QSaveFile, never in place (a file's other hard links keep the
// old bytes), does not carry owner, group and the setuid, setgid and sticky bits
// over, cannot tell a replaced file from a changed one, and a process killed
// while saving may leave a temporary file.

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvan {

// What a path leads to on disk (following symbolic links), enough to tell
// whether it is still the same file later on.
struct FileStamp {
    bool exists = false;          // something is there
    bool regular = false;         // ...and it is a regular file
    std::uint64_t device = 0;     // with `inode`, which file it is (0 where unknown)
    std::uint64_t inode = 0;
    std::int64_t size = 0;        // bytes
    std::int64_t modifiedNs = 0;  // modification time, nanoseconds since 1970
    std::uint64_t linkCount = 0;  // hard links
    std::uint32_t owner = 0;      // user id
    std::uint32_t group = 0;      // group id
    std::uint32_t mode = 0;       // permission bits with setuid, setgid, sticky (07777)

    // The same file on disk (device and inode), whatever its contents.
    bool sameFileAs(const FileStamp& other) const
    {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of what is at `path` now; `exists` is false when nothing is there
// or it cannot be looked at.
FileStamp StampFile(const QString& path);

// True where the Qt-only fallback is in use (see the top of this file). There
// device and inode are not known, and a file replaced by another one is seen
// only through its contents.
bool FileLayerIsQtOnly();

struct ReadResult {
    enum class Status {
        Ok,         // `bytes` holds the whole file
        Missing,    // nothing at the path (or a link to nothing)
        NotRegular, // a folder, pipe, device or socket: not opened
        TooLarge,   // larger than the caller's limit: not read
        Failed,     // the system refused (see `reason`)
    };
    Status status = Status::Failed;
    std::vector<std::uint8_t> bytes;
    FileStamp stamp;  // of the file read (also for NotRegular and TooLarge)
    QString reason;   // when not Ok: the system's reason, or what the file is

    bool ok() const { return status == Status::Ok; }
};

// Reads the regular file at `path` whole. A file larger than `maxBytes` is
// refused without being read; a file that grows past it while being read too.
// This is the one reader of every file the program reads (images, patches, the
// clean original): a pipe, device (/dev/zero, /dev/ptmx), socket or folder is
// refused by what it is, before it is opened, and the open never waits.
ReadResult ReadWholeFile(const QString& path, std::uint64_t maxBytes);

// Whether `a` and `b` lead to the same file on disk: the same device and inode,
// so that another hard link, a symbolic link or another spelling of the path is
// seen as the file itself. Paths where nothing is yet are compared as cleaned
// absolute paths. The Qt-only layer knows no inodes: it compares real paths
// there, and another hard link of a file is not seen.
bool SameFileOnDisk(const QString& a, const QString& b);

// How the file at a path differs from what the program last read or wrote there.
enum class DiskChange {
    None,            // the same file, with the same bytes
    ContentsChanged, // the same file, other bytes (whatever its size and time say)
    Replaced,        // another file has the name now (e.g. renamed over it)
    Removed,         // nothing is there any more
    NotRegular,      // a folder, pipe, device or socket is there now
    Unreadable,      // it is there but cannot be read to compare it
};

// Compares the file at `path` with the one described by `known` and `knownBytes`
// (from ReadWholeFile or WriteWholeFile): its identity, then its bytes, one by
// one. The size and modification time alone decide nothing.
DiskChange CheckFileUnchanged(const QString& path, const FileStamp& known, std::span<const std::uint8_t> knownBytes);

enum class WriteMethod {
    None,     // nothing was written
    NewFile,  // a new file took the name
    Replaced, // a complete new file was renamed over the old one
    InPlace,  // the existing file was written over (see the top of this file)
};

// Why a write did not happen; each asks something else of the user.
enum class WriteFailure {
    None,         // it worked
    Exists,       // a file is there and the request has no agreement to replace it
    NotRegular,   // a folder, pipe, device, socket or dangling link is there: never replaced
    ReadOnly,     // the file may not be written (no write bits, permissions, read-only disk)
    BackupFailed, // the backup could not be written; the file was not touched
    WriteFailed,  // the file could not be written; it keeps its old bytes
    Damaged,      // written in place, failed, and the old bytes could not be put back:
                  // they are in `keptCopy`
    ChangedMeanwhile, // the file was not as the request expected at the last moment
                      // before it would have been replaced or written over; nothing
                      // was written (see WriteOutcome::change)
};

struct WriteRequest {
    QString path;
    std::span<const std::uint8_t> bytes;
    bool replaceExisting = false; // the user agreed to replace an existing file
    QString backupPath;           // keep the existing file's bytes there; empty: no backup
    // When set: the file at `path` must still be this one (device and inode) with
    // exactly `expectedBytes`. This is checked again as the very last step before
    // the rename over it (or before the first write into it, in place), so that
    // another program's write is lost only if it lands in the few microseconds
    // between that check and the rename.
    std::optional<FileStamp> expectedFile;
    std::span<const std::uint8_t> expectedBytes;
};

struct WriteOutcome {
    WriteFailure failure = WriteFailure::WriteFailed;
    QString reason;        // when failed: what went wrong, in the system's words where it has some
    WriteMethod method = WriteMethod::None;
    FileStamp stamp;       // of the file as written, for the next CheckFileUnchanged
    bool backupWritten = false; // the backup holds the bytes that were replaced
    QString warning;       // saved, but the backup could not take its name (it is in `keptCopy`)
    QString keptCopy;      // where the old bytes are kept when not where they were asked for
    DiskChange change = DiskChange::None; // ChangedMeanwhile: how the file differed

    bool ok() const { return failure == WriteFailure::None; }
};

// Writes `request.bytes` as the whole file at `request.path`; see the top of
// this file for the ways it takes and the guards it keeps.
WriteOutcome WriteWholeFile(const WriteRequest& request);

// Copies the regular file `from` whole to `to` the way a backup is written (a
// link at `to` is replaced, not followed; owner, group and permissions as the
// top of this file says), replacing what is at `to` without asking. Anything
// but a regular file, a link or nothing at `to` is refused.
WriteOutcome CopyWholeFile(const QString& from, const QString& to);

} // namespace quorvan

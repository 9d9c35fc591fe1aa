#pragma once
// The open image as a document: its bytes, the file they came from, the stage
// table in effect for its layout, the stage being edited, the undo history,
// the one record of unsaved changes (the buffer's), and the files saved over
// this session. It is widget-free: windows show it, listen to its signals and
// ask it to open, save and export; they never keep a copy of its state.
//
// The program's windows show one document, RomDocument::Program(). The names
// RomImage, RomFileName, Stages and CurrentStage (modGlobals.h) are its parts
// under the names the rest of the program reads them by.

#include "data/ChangedBytes.h"
#include "data/EditHistory.h"
#include "data/FileWriter.h"
#include "data/RomBuffer.h"
#include "data/Stages.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <span>

namespace quorvan {

// What changed in the image since the views last heard of it.
struct DocumentChange {
    ChangedBytes bytes;    // every byte written since (by an edit, undo, redo or patch)
    bool replaced = false; // another image (or none) took the whole image's place: all is new
};

class RomDocument : public QObject {
    Q_OBJECT
public:
    explicit RomDocument(QObject* parent = nullptr);
    ~RomDocument() override;
    RomDocument(const RomDocument&) = delete;
    RomDocument& operator=(const RomDocument&) = delete;

    // The document the program's windows show; it lives until the program ends.
    static RomDocument& Program();

    RomBuffer& image() { return image_; }
    const RomBuffer& image() const { return image_; }
    // The file Save writes (native separators); empty until an Open succeeded.
    const QString& fileName() const { return fileName_; }
    // The offsets in effect for the open image's layout.
    StageTable& stages() { return stages_; }
    const StageTable& stages() const { return stages_; }
    // The row of the stage table that drawing and editing use.
    std::int16_t& currentStage() { return currentStage_; }
    std::int16_t currentStage() const { return currentStage_; }
    const StageInfo& currentStageInfo() const;
    EditHistory& history() { return *history_; }
    const EditHistory& history() const { return *history_; }

    bool isOpen() const { return !image_.empty(); }
    // Unsaved changes: the image differs from the bytes last opened or saved.
    bool isModified() const { return image_.modified(); }
    // The image as it was opened: the base of an exported patch.
    std::span<const std::uint8_t> openedBytes() const { return history_->openedBytes(); }

    // Opening a file. On anything but Ok the document is unchanged.
    struct OpenResult {
        enum class Status { Ok, ReadFailed, BadSize };
        Status status = Status::ReadFailed;
        QString error;                  // the system's reason when ReadFailed
        bool ok() const { return status == Status::Ok; }
    };
    OpenResult Open(const QString& path);

    // Saving the whole image, through the file layer (atomic; owner, group,
    // mode and hard links kept; never through a link, a pipe or a device).
    //
    // Before the image is written over its own file, the file on disk is
    // compared with what this document last read or wrote there (identity and
    // bytes): if another program or window changed or replaced it since, the
    // save stops with ChangedOnDisk unless the caller says the user agreed to
    // overwrite it. A file that was removed is simply written again.
    //
    // Before the first save over an existing file in this session, and before
    // overwriting a file changed on disk, what is there is kept as FILE.bak;
    // the backup takes that name only once the save has succeeded, so a failed
    // save leaves an older backup as it was. On any failure the file on disk,
    // the document's file name and its unsaved changes are as they were.
    struct SaveOptions {
        bool overwriteChangedFile = false; // the user agreed to overwrite a file changed on disk
        bool withoutBackup = false;        // the user agreed to save without keeping a copy
    };
    struct SaveResult {
        enum class Status {
            Ok,
            ChangedOnDisk, // the file changed since it was opened or saved (see `change`)
            ReadOnly,      // the file may not be written; nothing was
            BackupFailed,  // the backup could not be kept; nothing was written
            WriteFailed,   // nothing was written (see `error`)
            Damaged,       // written in place and failed; the old bytes are in `keptCopy`
        };
        Status status = Status::WriteFailed;
        DiskChange change = DiskChange::None; // ChangedOnDisk: how
        QString path;                   // the file being saved
        QString backupPath;             // the backup asked for (BackupFailed)
        QString error;                  // the system's reason
        QString warning;                // saved, but something is worth telling
        QString keptCopy;               // where the old bytes are when not where they were
        bool ok() const { return status == Status::Ok; }
    };
    SaveResult Save(const SaveOptions& options);
    SaveResult Save() { return Save(SaveOptions{}); }
    // Saves to `path` (the user has agreed to replace a file there) and makes
    // it the document's file once it is safely written. Saving to the
    // document's own file is a Save.
    SaveResult SaveAs(const QString& path, const SaveOptions& options);
    SaveResult SaveAs(const QString& path) { return SaveAs(path, SaveOptions{}); }

    // How the document's file on disk differs from what this document last read
    // or wrote there (DiskChange::None when no file is open).
    DiskChange CheckFileOnDisk() const;
    // True when `a` and `b` lead to the same file: by device and inode, so that a
    // hard link, a symbolic link or another spelling is the file itself (see
    // SameFileOnDisk). Every check that an output is not an input goes through here.
    static bool SameFile(const QString& a, const QString& b);

    // Emits `changed` now when anything changed since it was last emitted.
    // Views call it before they are read (painted, grabbed), so that what they
    // show is never behind the image, even within the event that wrote it.
    void FlushChanges();

    // Back to the state at program start: no image, no file, an empty stage
    // table, stage 0, an empty history, nothing saved this session. Observers
    // that others added to the image are dropped with it.
    void Reset();

signals:
    // The one change signal the views follow: what changed in the image since
    // it was last emitted. It comes once an edit is complete (an edit step
    // closed, an undo, a redo, a patch applied, another image opened), and
    // while a step stays open over several events (a stroke, a dragged thumb)
    // once per pass of the event loop; so the many bytes of one gesture are
    // one redraw, and no view is ever behind once the gesture's event is over.
    void changed(const quorvan::DocumentChange& change);
    // Another image was opened, or the document was reset: said at once, for
    // what is not drawn (menus, ranges); the views hear of it through `changed`.
    void imageReplaced();
    // Bytes [offset, offset + length) of the image changed (by an edit, undo or redo).
    void bytesChanged(qint64 offset, qint64 length);
    void modifiedChanged(bool modified);
    // What undo and redo can do changed.
    void undoStateChanged();
    void fileNameChanged(const QString& fileName);

private:
    void Attach();
    void NoteChange(std::int64_t offset, std::int64_t length);
    void NoteReplaced();
    void ScheduleChange();
    SaveResult WriteTo(const QString& path, bool ownFile, const SaveOptions& options);

    RomBuffer image_;
    QString fileName_;
    StageTable stages_{};
    std::int16_t currentStage_ = 0;
    std::unique_ptr<EditHistory> history_;
    QStringList savedThisSession_; // files already saved over (and so kept as .bak)
    FileStamp diskStamp_;          // the file as last read or written by this document
    DocumentChange pending_;       // what changed since `changed` was last emitted
    bool changeScheduled_ = false; // a pass of the event loop will emit it
    bool holdChanges_ = false;     // another image is being put in place

    friend QString& ProgramFileNameRef();
};

} // namespace quorvan

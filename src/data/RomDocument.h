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

#include "data/EditHistory.h"
#include "data/RomBuffer.h"
#include "data/Stages.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <span>

namespace quorvan {

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

    // Saving the whole image. Before the first save over an existing file in
    // this session, that file is kept as FILE.bak; when that fails, nothing is
    // written. On failure the document (file name, unsaved changes) is unchanged.
    struct SaveResult {
        enum class Status { Ok, BackupFailed, WriteFailed };
        Status status = Status::WriteFailed;
        QString path;                   // the file being saved
        QString backupPath;             // the backup that could not be kept (BackupFailed)
        QString error;                  // the system's reason
        bool ok() const { return status == Status::Ok; }
    };
    SaveResult Save();
    // Saves to `path` and makes it the document's file once it is safely written.
    SaveResult SaveAs(const QString& path);

    // True when `a` and `b` name the same file (by its real path when it exists).
    static bool SameFile(const QString& a, const QString& b);

    // Back to the state at program start: no image, no file, an empty stage
    // table, stage 0, an empty history, nothing saved this session. Observers
    // that others added to the image are dropped with it.
    void Reset();

signals:
    // Another image was opened, or the document was reset.
    void imageReplaced();
    // Bytes [offset, offset + length) of the image changed (by an edit, undo or redo).
    void bytesChanged(qint64 offset, qint64 length);
    void modifiedChanged(bool modified);
    // What undo and redo can do changed.
    void undoStateChanged();
    void fileNameChanged(const QString& fileName);

private:
    void Attach();
    SaveResult WriteTo(const QString& path);

    RomBuffer image_;
    QString fileName_;
    StageTable stages_{};
    std::int16_t currentStage_ = 0;
    std::unique_ptr<EditHistory> history_;
    QStringList savedThisSession_; // files already saved over (and so kept as .bak)

    friend QString& ProgramFileNameRef();
};

} // namespace quorvan

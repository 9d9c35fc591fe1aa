#include "data/RomDocument.h"

#include "data/RomFile.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

namespace quorvan {

namespace {

// One spelling of a path for comparing files: the real path when it exists.
QString FileKey(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

RomDocument::RomDocument(QObject* parent) : QObject(parent)
{
    Attach();
}

RomDocument::~RomDocument()
{
    // The history lets go of the image before the image goes.
    history_.reset();
}

RomDocument& RomDocument::Program()
{
    static RomDocument document;
    return document;
}

void RomDocument::Attach()
{
    image_.addWriteObserver([this](std::int64_t offset, std::uint8_t, std::uint8_t) {
        NoteChange(offset, 1);
        emit bytesChanged(offset, 1);
    });
    image_.addModifiedObserver([this](bool modified) { emit modifiedChanged(modified); });
    history_ = std::make_unique<EditHistory>(image_);
    history_->setListener([this] {
        emit undoStateChanged();
        // An edit is complete (a step closed, an undo, a redo): the views hear
        // of it now. Writes of a step still open (a stroke under way) wait
        // for the next pass of the event loop.
        if (!history_->inStep())
            FlushChanges();
    });
}

void RomDocument::NoteChange(std::int64_t offset, std::int64_t length)
{
    pending_.bytes.Add(offset, length);
    ScheduleChange();
}

void RomDocument::NoteReplaced()
{
    // The bytes changed before belong to the image that went.
    pending_ = DocumentChange{};
    pending_.replaced = true;
    ScheduleChange();
}

void RomDocument::ScheduleChange()
{
    if (changeScheduled_)
        return;
    changeScheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            changeScheduled_ = false;
            FlushChanges();
        },
        Qt::QueuedConnection);
}

void RomDocument::FlushChanges()
{
    if (holdChanges_ || (pending_.bytes.empty() && !pending_.replaced))
        return;
    // Taken first: a view that reads the document while it redraws flushes nothing twice.
    const DocumentChange change = std::move(pending_);
    pending_ = DocumentChange{};
    emit changed(change);
}

const StageInfo& RomDocument::currentStageInfo() const
{
    const int row = currentStage_ < 0 || currentStage_ >= kStageRows ? 0 : currentStage_;
    return stages_[static_cast<std::size_t>(row)];
}

RomDocument::OpenResult RomDocument::Open(const QString& path)
{
    LoadResult loaded = LoadRomFile(path);
    OpenResult result;
    switch (loaded.status) {
    case LoadResult::Status::ReadFailed:
        result.status = OpenResult::Status::ReadFailed;
        result.error = loaded.error;
        return result;
    case LoadResult::Status::BadSize:
        result.status = OpenResult::Status::BadSize;
        return result;
    case LoadResult::Status::Ok:
        break;
    }
    {
        // The views hear of the new image once all of it is in place and the
        // windows have taken it in (imageReplaced).
        const QScopedValueRollback<bool> hold(holdChanges_, true);
        // The offsets in effect always come from the new file's length.
        stages_ = loaded.stages;
        fileName_ = QDir::toNativeSeparators(path);
        diskStamp_ = loaded.stamp;
        // Replacing the bytes takes them as opened and saved, and clears the history.
        image_.replace(std::move(loaded.bytes));
        NoteReplaced();
        emit fileNameChanged(fileName_);
        emit imageReplaced();
    }
    FlushChanges();
    result.status = OpenResult::Status::Ok;
    return result;
}

RomDocument::SaveResult RomDocument::Save(const SaveOptions& options)
{
    if (fileName_.isEmpty() || !isOpen()) {
        SaveResult result;
        result.path = fileName_;
        result.error = QStringLiteral("No image is open.");
        return result;
    }
    return WriteTo(fileName_, true, options);
}

RomDocument::SaveResult RomDocument::SaveAs(const QString& path, const SaveOptions& options)
{
    const QString target = QDir::toNativeSeparators(path);
    if (!fileName_.isEmpty() && SameFile(target, fileName_))
        return WriteTo(fileName_, true, options);
    SaveResult result = WriteTo(target, false, options);
    if (result.ok() && fileName_ != target) {
        fileName_ = target;
        emit fileNameChanged(fileName_);
    }
    return result;
}

DiskChange RomDocument::CheckFileOnDisk() const
{
    if (fileName_.isEmpty() || !isOpen())
        return DiskChange::None;
    return CheckFileUnchanged(fileName_, diskStamp_, image_.savedBytes());
}

RomDocument::SaveResult RomDocument::WriteTo(const QString& path, bool ownFile, const SaveOptions& options)
{
    SaveResult result;
    result.path = path;
    if (!isOpen()) {
        result.error = QStringLiteral("No image is open.");
        return result;
    }
    const QString key = FileKey(path);
    // What is on disk is what this document last saw there, unless someone
    // else wrote it since: then the user decides, and what they wrote is kept.
    bool keepChangedFile = false;
    bool checkAgain = false;
    if (ownFile) {
        const DiskChange change = CheckFileUnchanged(path, diskStamp_, image_.savedBytes());
        checkAgain = change == DiskChange::None && !options.overwriteChangedFile;
        switch (change) {
        case DiskChange::None:
        case DiskChange::Removed:     // nothing there to lose: written again
        case DiskChange::NotRegular:  // refused by the writer below, with its reason
            break;
        case DiskChange::ContentsChanged:
        case DiskChange::Replaced:
        case DiskChange::Unreadable:
            if (!options.overwriteChangedFile) {
                result.status = SaveResult::Status::ChangedOnDisk;
                result.change = change;
                return result;
            }
            keepChangedFile = true;
            break;
        }
    }
    // The first save over an existing file in this session keeps what is there
    // as FILE.bak; later saves only replace this session's own earlier save.
    const bool firstSaveOverIt = !savedThisSession_.contains(key);
    WriteRequest request;
    request.path = path;
    request.bytes = image_.bytes();
    request.replaceExisting = true;
    if ((firstSaveOverIt || keepChangedFile) && !options.withoutBackup)
        request.backupPath = path + QStringLiteral(".bak");
    // The check above comes before the backup and the new file are written;
    // the writer makes it again as the last step before the file is replaced.
    if (checkAgain) {
        request.expectedFile = diskStamp_;
        request.expectedBytes = image_.savedBytes();
    }
    const WriteOutcome outcome = WriteWholeFile(request);
    result.backupPath = request.backupPath;
    result.error = outcome.reason;
    result.keptCopy = outcome.keptCopy;
    result.warning = outcome.warning;
    switch (outcome.failure) {
    case WriteFailure::None:
        break;
    case WriteFailure::ReadOnly:
        result.status = SaveResult::Status::ReadOnly;
        return result;
    case WriteFailure::BackupFailed:
        result.status = SaveResult::Status::BackupFailed;
        return result;
    case WriteFailure::Damaged:
        result.status = SaveResult::Status::Damaged;
        return result;
    case WriteFailure::ChangedMeanwhile:
        result.status = SaveResult::Status::ChangedOnDisk;
        result.change = outcome.change;
        return result;
    case WriteFailure::Exists:
    case WriteFailure::NotRegular:
    case WriteFailure::WriteFailed:
        result.status = SaveResult::Status::WriteFailed;
        return result;
    }
    history_->MarkSaved();
    diskStamp_ = outcome.stamp;
    // Spelled as the file now exists, so that later saves find it.
    const QString savedKey = FileKey(path);
    if (!savedThisSession_.contains(savedKey))
        savedThisSession_.append(savedKey);
    result.status = SaveResult::Status::Ok;
    return result;
}

bool RomDocument::SameFile(const QString& a, const QString& b)
{
    return SameFileOnDisk(a, b);
}

void RomDocument::Reset()
{
    {
        const QScopedValueRollback<bool> hold(holdChanges_, true);
        // A fresh history on the same buffer: nothing keeps watching bytes that
        // are about to go, and no step of the old image can be undone into the new one.
        history_.reset();
        image_.removeAllObservers();
        image_.replace({});
        fileName_.clear();
        stages_ = StageTable{};
        currentStage_ = 0;
        savedThisSession_.clear();
        diskStamp_ = FileStamp{};
        Attach();
        NoteReplaced();
        emit fileNameChanged(fileName_);
        emit modifiedChanged(false);
        emit undoStateChanged();
        emit imageReplaced();
    }
    FlushChanges();
}

} // namespace quorvan

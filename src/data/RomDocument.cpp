#include "data/RomDocument.h"

#include "data/FileBackup.h"
#include "data/RomFile.h"

#include <QDir>
#include <QFileInfo>

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
    image_.addWriteObserver([this](std::int64_t offset, std::uint8_t, std::uint8_t) { emit bytesChanged(offset, 1); });
    image_.addModifiedObserver([this](bool modified) { emit modifiedChanged(modified); });
    history_ = std::make_unique<EditHistory>(image_);
    history_->setListener([this] { emit undoStateChanged(); });
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
    // The offsets in effect always come from the new file's length.
    stages_ = loaded.stages;
    fileName_ = QDir::toNativeSeparators(path);
    // Replacing the bytes takes them as opened and saved, and clears the history.
    image_.replace(std::move(loaded.bytes));
    emit fileNameChanged(fileName_);
    emit imageReplaced();
    result.status = OpenResult::Status::Ok;
    return result;
}

RomDocument::SaveResult RomDocument::Save()
{
    if (fileName_.isEmpty() || !isOpen()) {
        SaveResult result;
        result.path = fileName_;
        result.error = QStringLiteral("No image is open.");
        return result;
    }
    return WriteTo(fileName_);
}

RomDocument::SaveResult RomDocument::SaveAs(const QString& path)
{
    const QString target = QDir::toNativeSeparators(path);
    SaveResult result = WriteTo(target);
    if (result.ok() && fileName_ != target) {
        fileName_ = target;
        emit fileNameChanged(fileName_);
    }
    return result;
}

RomDocument::SaveResult RomDocument::WriteTo(const QString& path)
{
    SaveResult result;
    result.path = path;
    if (!isOpen()) {
        result.error = QStringLiteral("No image is open.");
        return result;
    }
    // The first save over an existing file in this session keeps what is there
    // as FILE.bak; later saves only replace this session's own earlier save.
    const QFileInfo target(path);
    const QString key = FileKey(path);
    if (target.exists() && target.isFile() && !savedThisSession_.contains(key)) {
        const QString backup = path + QStringLiteral(".bak");
        if (const auto error = CopyFileAtomically(path, backup)) {
            result.status = SaveResult::Status::BackupFailed;
            result.backupPath = backup;
            result.error = *error;
            return result;
        }
    }
    if (const auto error = SaveRomFile(path, image_.bytes())) {
        result.status = SaveResult::Status::WriteFailed;
        result.error = *error;
        return result;
    }
    image_.markSaved();
    if (!savedThisSession_.contains(key))
        savedThisSession_.append(key);
    result.status = SaveResult::Status::Ok;
    return result;
}

bool RomDocument::SameFile(const QString& a, const QString& b)
{
    return FileKey(a) == FileKey(b);
}

void RomDocument::Reset()
{
    // A fresh history on the same buffer: nothing keeps watching bytes that
    // are about to go, and no step of the old image can be undone into the new one.
    history_.reset();
    image_.removeAllObservers();
    image_.replace({});
    fileName_.clear();
    stages_ = StageTable{};
    currentStage_ = 0;
    savedThisSession_.clear();
    Attach();
    emit fileNameChanged(fileName_);
    emit modifiedChanged(false);
    emit undoStateChanged();
    emit imageReplaced();
}

} // namespace quorvan

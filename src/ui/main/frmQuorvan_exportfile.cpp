// The file an export writes (a patch, a picture): chosen in the shared save
// dialog, and never the open image or the clean original.

#include "ui/main/frmQuorvan.h"

#include "data/RomDocument.h"
#include "ui/common/clsDialog.h"

namespace quorvan {

std::optional<QString> frmQuorvan::ChooseExportFile(const QString& title, const QString& filter,
                                                    const QString& fileName, const QString& suffix)
{
    // The shared dialog, with its properties put back afterwards, so that the
    // next Save As proposes the image and not the export.
    clsDialog& dialog = Dialog();
    const clsDialog before = dialog;
    dialog.setFilter(filter);
    dialog.setFilterIndex(1);
    dialog.setDialogTitle(title);
    dialog.setInitDir(DialogFolder());
    dialog.setFileName(fileName);
    dialog.setDefaultExt(suffix);
    const bool chosen = dialog.ShowSave();
    const QString path = dialog.FileName();
    dialog = before;
    if (!chosen)
        return std::nullopt;
    RememberDialogFolder(path);
    return path;
}

bool frmQuorvan::ExportMayWrite(const QString& path, const QString& cleanOriginal, const QString& what)
{
    const QString action = QStringLiteral("write the %1 to").arg(what);
    if (!document_.fileName().isEmpty() && RomDocument::SameFile(path, document_.fileName())) {
        ShowFileError(action, path, QStringLiteral("It is the open image; choose another name for the %1.").arg(what));
        return false;
    }
    if (!cleanOriginal.isEmpty() && RomDocument::SameFile(path, cleanOriginal)) {
        ShowFileError(action, path,
                      QStringLiteral("It is the clean original; choose another name for the %1.").arg(what));
        return false;
    }
    return true;
}

} // namespace quorvan

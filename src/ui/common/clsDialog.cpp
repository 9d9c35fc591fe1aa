#include "ui/common/clsDialog.h"

#include "data/FileNames.h"
#include "ui/common/MsgBox.h"
#include "ui/common/RuntimeError.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace quorvan {

namespace {

const QChar kNul(0);

// Text up to its first NUL.
QString UpToNul(const QString& text)
{
    const qsizetype nul = text.indexOf(kNul);
    return nul < 0 ? text : text.left(nul);
}

} // namespace

void clsDialog::setFilter(const QString& value)
{
    QString stored = value;
    stored.replace(QLatin1Char('|'), kNul);
    for (int i = 0; i < 2; ++i) {
        if (!stored.endsWith(QString(2, kNul)))
            stored.append(kNul);
    }
    filter_ = stored;
}

QString clsDialog::Filter() const
{
    QString text = filter_;
    text.replace(kNul, QLatin1Char('|'));
    for (int i = 0; i < 2; ++i) {
        if (text.endsWith(QLatin1Char('|')))
            text.chop(1);
    }
    return text;
}

OpenFileNameRecord clsDialog::BuildRecord() const
{
    OpenFileNameRecord record;
    record.owner = owner_;
    record.filter = filter_;
    record.filterIndex = filterIndex_;
    const int padding = std::max(0, maxFileSize_ - static_cast<int>(fileName_.size()) + 1);
    record.file = fileName_ + QString(padding, kNul);
    record.initialDir = initDir_;
    record.title = dialogTitle_;
    record.flags = flags_;
    record.defExt = defaultExt_;
    return record;
}

QStringList clsDialog::NameFilters(const QString& storedFilter)
{
    QStringList texts = storedFilter.split(kNul);
    while (!texts.isEmpty() && texts.last().isEmpty())
        texts.removeLast();
    QStringList filters;
    static const QRegularExpression trailingGroup(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (qsizetype i = 0; i < texts.size(); i += 2) {
        QString description = texts[i];
        const QString pattern = i + 1 < texts.size() ? texts[i + 1] : QStringLiteral("*");
        // Qt reads the patterns from the last parenthesised group, so the
        // description's own "(…)" is replaced by the real patterns. Matching is
        // case-insensitive, as on the system the file type names come from.
        QStringList globs;
        for (const QString& glob : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString g = glob.trimmed();
            if (g == QLatin1String("*.*") || g == QLatin1String("*")) {
                globs << QStringLiteral("*");
                continue;
            }
            globs << g;
            if (g.toLower() != g) globs << g.toLower();
            if (g.toUpper() != g) globs << g.toUpper();
        }
        globs.removeDuplicates();
        description.remove(trailingGroup);
        filters << description + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    if (filters.isEmpty())
        filters << QStringLiteral("All Files (*)");
    return filters;
}

std::optional<QString> clsDialog::ChooseOnce(bool save, const QString& title, const QString& filter,
                                             const QString& folder, const QString& fileName,
                                             const QString& defaultExt)
{
    const clsDialog before = *this;
    setFilter(filter);
    setFilterIndex(1);
    setDialogTitle(title);
    setInitDir(folder);
    setFileName(fileName);
    setDefaultExt(defaultExt);
    const bool chosen = save ? ShowSave() : ShowOpen();
    const QString path = FileName();
    *this = before;
    return chosen ? std::optional<QString>(path) : std::nullopt;
}

bool clsDialog::ShowOpen()
{
    return Show(false);
}

bool clsDialog::ShowSave()
{
    return Show(true);
}

bool clsDialog::Show(bool save)
{
    const OpenFileNameRecord record = BuildRecord();

    QFileDialog dialog(record.owner);
    dialog.setObjectName(save ? QStringLiteral("clsDialogSave") : QStringLiteral("clsDialogOpen"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Only what the flags ask for: no existence check on opening and no
    // overwrite question on saving unless requested.
    dialog.setFileMode(!save && (record.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                                   : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(record.flags & OFN_OVERWRITEPROMPT));
    if (!record.title.isEmpty())
        dialog.setWindowTitle(record.title);
    else
        dialog.setWindowTitle(save ? QStringLiteral("Save As") : QStringLiteral("Open"));
    const QStringList filters = NameFilters(record.filter);
    dialog.setNameFilters(filters);
    const int index = record.filterIndex >= 1 && record.filterIndex <= filters.size() ? record.filterIndex : 1;
    dialog.selectNameFilter(filters[index - 1]);
    if (QDir(record.initialDir).exists())
        dialog.setDirectory(record.initialDir);
    const QString initialName = UpToNul(record.file);
    if (!initialName.isEmpty())
        dialog.selectFile(initialName);
    if (!record.defExt.isEmpty())
        dialog.setDefaultSuffix(record.defExt);

    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (!chosen) {
        if (cancelError_)
            throw RuntimeError(CancelErrorNumber, QStringLiteral("Run-time error"), QStringLiteral("Cancel was selected"));
        return false;
    }

    // Copy the results back, in the order the record hands them over. The Qt
    // dialog hands back no flags of its own, so the flags stay as given.
    // The path exactly as chosen: a name may end in spaces, and trimming them
    // would name another file.
    const QString path = QDir::toNativeSeparators(dialog.selectedFiles().first());
    // The dialog shows a name that is not valid UTF-8 decoded, and hands back a
    // name that leads to another file or to none: refused, as on the command line.
    if (NameMatchesUndecodableFile(path)) {
        const QFileInfo chosenFile(path);
        MsgBox(record.owner,
               QStringLiteral("\"%1\" cannot be used: the folder \"%2\" holds a file whose name is not valid UTF-8 "
                              "and shows as this name, so the program cannot tell which file is meant or open "
                              "that one by its name. Rename it (with a file manager or the shell) and choose again.")
                   .arg(chosenFile.fileName(), QDir::toNativeSeparators(chosenFile.absolutePath())),
               QStringLiteral("File Error"), QMessageBox::Ok, MsgIcon::Critical);
        return false;
    }
    flags_ = record.flags;
    defaultExt_ = record.defExt;
    fileName_ = path;
    filter_ = record.filter;
    initDir_ = record.initialDir;
    const qsizetype selected = filters.indexOf(dialog.selectedNameFilter());
    filterIndex_ = static_cast<std::int16_t>(selected < 0 ? index : selected + 1);
    return true;
}

} // namespace quorvan

#pragma once
// The file dialog wrapper: set the properties, call ShowOpen or ShowSave, read
// FileName. One instance keeps its properties from one dialog to the next.
// The dialog itself is Qt's widget-based file dialog, so that tests can find
// and answer it as the active modal widget.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QFileDialog;
class QWidget;

namespace quorvan {

// The inputs a dialog is built from, as one record (the file buffer holds the
// initial name padded with NULs to MaxFileSize + 1 characters).
struct OpenFileNameRecord {
    QWidget* owner = nullptr;
    QString filter;        // NUL-separated texts, ended by a second NUL
    int filterIndex = 1;
    QString file;          // the file name buffer
    QString initialDir;
    QString title;
    std::int32_t flags = 0;
    QString defExt;
};

class clsDialog {
public:
    // Option flags understood by the Qt dialog (the values of the common dialogs).
    static constexpr std::int32_t OFN_OVERWRITEPROMPT = 0x2;
    static constexpr std::int32_t OFN_FILEMUSTEXIST = 0x1000;

    static constexpr int CancelErrorNumber = 32755;

    void sethwnd(QWidget* owner) { owner_ = owner; }

    // Show the dialog. Return true when the user chose a file, false when the
    // dialog was cancelled (with CancelError set, a RuntimeError 32755
    // "Cancel was selected" is thrown instead). A cancel changes no property.
    // A chosen name that may stand for a file whose name is not valid UTF-8
    // (FileNames.h) is refused with a message and also returns false.
    bool ShowSave();
    bool ShowOpen();

    std::int16_t MaxFileSize() const { return maxFileSize_; }
    void setInitDir(const QString& value) { initDir_ = value; }
    void setflags(std::int32_t value) { flags_ = value; }
    QString Filter() const;            // bar-separated form
    void setFilter(const QString& value);
    QString StoredFilter() const { return filter_; } // NUL-separated form
    void setFilterIndex(std::int16_t value) { filterIndex_ = value; }
    QString FileName() const { return fileName_; }
    void setFileName(const QString& value) { fileName_ = value; }
    void setDialogTitle(const QString& value) { dialogTitle_ = value; }
    void setDefaultExt(const QString& value) { defaultExt_ = value; }
    bool CancelError() const { return cancelError_; }
    void setCancelError(bool value) { cancelError_ = value; }

    // One choice that leaves the dialog's properties as they were (so that a
    // dialog shared by Open and Save As keeps proposing the image): a save or
    // open dialog with this title, filter (its first entry selected), folder,
    // proposed name and default extension. The path chosen, or nothing when
    // cancelled.
    std::optional<QString> ChooseOnce(bool save, const QString& title, const QString& filter, const QString& folder,
                                      const QString& fileName, const QString& defaultExt);

    // The record the next dialog is built from.
    OpenFileNameRecord BuildRecord() const;

    // The stored filter as Qt name filters, one per description/pattern pair.
    static QStringList NameFilters(const QString& storedFilter);

private:
    bool Show(bool save);

    QWidget* owner_ = nullptr;
    std::int16_t maxFileSize_ = 260;
    QString initDir_ = QStringLiteral("C:\\");
    std::int32_t flags_ = 0;
    QString filter_ = QStringLiteral("All Files (*.*)") + QChar(0) + QStringLiteral("*.*") + QChar(0) + QChar(0);
    std::int16_t filterIndex_ = 1;
    QString fileName_;
    QString dialogTitle_;
    QString defaultExt_;
    bool cancelError_ = false;
};

} // namespace quorvan

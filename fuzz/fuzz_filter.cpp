// The file dialog's filter conversions on arbitrary text: the bar-separated
// form the program sets, the NUL-separated form kept inside, and the name
// filters handed to the Qt dialog.

#include "FuzzSupport.h"

#include "ui/common/clsDialog.h"

#include <QString>
#include <QStringList>

using namespace quorvan;
using namespace quorvan::fuzz;

namespace {

const QChar kNul(0);
const QChar kBar(u'|');

qsizetype TrailingBars(const QString& text)
{
    qsizetype n = 0;
    while (n < text.size() && text[text.size() - 1 - n] == kBar)
        ++n;
    return n;
}

// The fuzzer's bytes as text: either UTF-8 (readable filters) or raw UTF-16
// code units (NULs, lone surrogates and every other unit).
QString TextFrom(Input& in)
{
    const std::uint8_t mode = in.byte();
    const auto rest = in.take(in.left());
    if (mode & 1) {
        QString text;
        for (std::size_t i = 0; i + 1 < rest.size(); i += 2)
            text.append(QChar(static_cast<char16_t>(rest[i] | rest[i + 1] << 8)));
        return text;
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(rest.data()), static_cast<qsizetype>(rest.size()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in({data, size});
    const QString text = TextFrom(in);

    clsDialog dialog;
    Check(dialog.Filter() == QStringLiteral("All Files (*.*)|*.*"), "a fresh instance reads back the default filter");
    dialog.setFilter(text);
    const QString stored = dialog.StoredFilter();

    // The stored form: bars become NULs, and it ends in two NULs.
    Check(!stored.contains(kBar), "no bar is left in the stored form");
    Check(stored.endsWith(QString(2, kNul)), "the stored form ends in two NULs");
    Check(stored.size() >= text.size() && stored.size() <= text.size() + 2, "at most two NULs are appended");
    QString expectedStart = text;
    expectedStart.replace(kBar, kNul);
    Check(stored.startsWith(expectedStart), "the stored form starts with the text, bars as NULs");

    // Reading back: NULs become bars, at most two trailing bars go.
    const QString read = dialog.Filter();
    Check(!read.contains(kNul), "the bar-separated form holds no NUL");
    if (!text.contains(kNul)) {
        const QString expected = text.chopped(std::min<qsizetype>(2, TrailingBars(text)));
        Check(read == expected, "a text without NULs reads back without its (up to two) trailing bars");
        if (TrailingBars(text) == 0)
            Check(read == text, "a text without NULs or a trailing bar reads back unchanged");
    }
    // Writing what was read back is stable once no trailing bar is left.
    dialog.setFilter(read);
    if (TrailingBars(read) == 0)
        Check(dialog.Filter() == read, "writing the read-back text keeps it");

    // The name filters the dialog is given: one per description/pattern pair,
    // each "description (patterns)", never none.
    QStringList texts = stored.split(kNul);
    while (!texts.isEmpty() && texts.last().isEmpty())
        texts.removeLast();
    const QStringList filters = clsDialog::NameFilters(stored);
    Check(!filters.isEmpty(), "there is always a name filter");
    const qsizetype pairs = (texts.size() + 1) / 2;
    Check(filters.size() == (pairs == 0 ? 1 : pairs), "one name filter per description/pattern pair");
    for (const QString& filter : filters) {
        Check(filter.endsWith(u')'), "a name filter ends with its pattern group");
        Check(filter.contains(QStringLiteral(" (")), "a name filter has a pattern group");
        Check(!filter.contains(kNul), "a name filter holds no NUL");
    }

    // The record built for the next dialog carries the stored filter and a file
    // buffer of the name padded with NULs to MaxFileSize + 1 characters.
    dialog.setFilter(text);
    dialog.setFileName(text.left(300));
    const OpenFileNameRecord record = dialog.BuildRecord();
    Check(record.filter == dialog.StoredFilter(), "the record carries the stored filter");
    Check(record.file.startsWith(dialog.FileName()), "the file buffer starts with the file name");
    Check(record.file.size() == std::max<qsizetype>(dialog.FileName().size(), qsizetype{dialog.MaxFileSize()} + 1),
          "the file buffer is padded to MaxFileSize + 1 characters");
    return 0;
}

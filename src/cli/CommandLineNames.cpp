#include "cli/CommandLineNames.h"

#include <QByteArray>
#include <QFile>

namespace quorvan {

namespace {

// The bytes as text, with every byte outside printable ASCII shown as \xNN.
QString Escaped(const QByteArray& bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return text;
}

} // namespace

QString UnrepresentableArgument(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (QFile::encodeName(QFile::decodeName(raw)) != raw)
            return Escaped(raw);
    }
    return {};
}

} // namespace quorvan

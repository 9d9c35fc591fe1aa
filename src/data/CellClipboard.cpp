#include "data/CellClipboard.h"

#include "data/Counted.h"
#include "data/Stages.h"

#include <QStringList>

#include <cstring>

namespace quorvan {

namespace {

constexpr char kMagic[] = "QVCELLS\x01";
constexpr std::size_t kMagicLength = sizeof(kMagic) - 1;

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// A token as the user would recognise it, cut short when it is long.
QString Quoted(QStringView token)
{
    const QString shown = token.length() > 12 ? token.left(12).toString() + QStringLiteral("...") : token.toString();
    return QStringLiteral("\"%1\"").arg(shown);
}

} // namespace

QByteArray EncodeCells(const CellBlock& cells, std::optional<CellPos> origin)
{
    if (!cells.valid())
        return {};
    QByteArray data(kMagic, static_cast<qsizetype>(kMagicLength));
    data.append(static_cast<char>(cells.columns));
    data.append(static_cast<char>(cells.rows));
    data.append(reinterpret_cast<const char*>(cells.blocks.data()), static_cast<qsizetype>(cells.blocks.size()));
    if (origin && kWholeRoom.contains(*origin)) {
        data.append(static_cast<char>(origin->column));
        data.append(static_cast<char>(origin->row));
    }
    return data;
}

std::optional<CellBlock> DecodeCells(const QByteArray& data, std::optional<CellPos>* origin)
{
    const auto size = static_cast<std::size_t>(data.size());
    if (size < kMagicLength + 2 || std::memcmp(data.constData(), kMagic, kMagicLength) != 0)
        return std::nullopt;
    CellBlock cells;
    cells.columns = static_cast<unsigned char>(data[static_cast<qsizetype>(kMagicLength)]);
    cells.rows = static_cast<unsigned char>(data[static_cast<qsizetype>(kMagicLength + 1)]);
    const std::size_t count = static_cast<std::size_t>(cells.columns) * static_cast<std::size_t>(cells.rows);
    const std::size_t plain = kMagicLength + 2 + count;
    if (size != plain && size != plain + 2)
        return std::nullopt;
    const auto* first = reinterpret_cast<const std::uint8_t*>(data.constData()) + kMagicLength + 2;
    cells.blocks.assign(first, first + count);
    if (!cells.valid())
        return std::nullopt;
    std::optional<CellPos> from;
    if (size == plain + 2) {
        from = CellPos{first[count], first[count + 1]};
        if (!kWholeRoom.contains(*from))
            return std::nullopt;
    }
    if (origin != nullptr)
        *origin = from;
    return cells;
}

QString CellsToText(const CellBlock& cells)
{
    QString text;
    if (!cells.valid())
        return text;
    text.reserve(cells.rows * (cells.columns * 3 + 1));
    for (int row = 0; row < cells.rows; ++row) {
        for (int column = 0; column < cells.columns; ++column) {
            if (column > 0)
                text += QLatin1Char(' ');
            text += QStringLiteral("%1").arg(cells.at(column, row), 2, 16, QLatin1Char('0')).toUpper();
        }
        text += QLatin1Char('\n');
    }
    return text;
}

CellsText ParseCellsText(const QString& text)
{
    CellsText result;
    const auto refuse = [&result](const QString& why) {
        result.cells = {};
        result.error = why;
        return result;
    };
    // Lines one at a time, stopping at the first problem: a clipboard may hold
    // megabytes of something else entirely.
    const QStringView all(text);
    qsizetype start = 0;
    int lineNumber = 0;
    int blankRun = 0;        // blank lines since the last row
    int firstBlankLine = 0;  // the first of them
    CellBlock& cells = result.cells;
    while (start <= all.size()) {
        qsizetype end = all.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = all.size();
        QStringView line = all.mid(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);

        std::vector<std::uint8_t> numbers;
        qsizetype i = 0;
        while (i < line.size()) {
            if (IsBlank(line[i])) {
                ++i;
                continue;
            }
            qsizetype j = i;
            while (j < line.size() && !IsBlank(line[j]))
                ++j;
            const QStringView token = line.mid(i, j - i);
            const int high = token.size() == 2 ? HexDigit(token[0]) : -1;
            const int low = token.size() == 2 ? HexDigit(token[1]) : -1;
            if (high < 0 || low < 0)
                return refuse(QStringLiteral("Line %1, number %2: %3 is not a two-digit hexadecimal number (00 to FF).")
                                  .arg(lineNumber)
                                  .arg(numbers.size() + 1)
                                  .arg(Quoted(token)));
            if (static_cast<int>(numbers.size()) == kRoomColumns)
                return refuse(QStringLiteral("Line %1 has more than %2 numbers; a room is %2 blocks wide.")
                                  .arg(lineNumber)
                                  .arg(kRoomColumns));
            numbers.push_back(static_cast<std::uint8_t>(high * 16 + low));
            i = j;
        }

        if (numbers.empty()) {
            if (blankRun++ == 0)
                firstBlankLine = lineNumber;
            continue;
        }
        if (cells.rows > 0 && blankRun > 0)
            return refuse(QStringLiteral("Line %1 is empty, between rows of numbers.").arg(firstBlankLine));
        blankRun = 0;
        const int count = static_cast<int>(numbers.size());
        if (cells.rows == 0) {
            cells.columns = count;
        } else if (count != cells.columns) {
            return refuse(QStringLiteral("Line %1 has %2, but the first row has %3; every row must be as long.")
                              .arg(lineNumber)
                              .arg(Counted(static_cast<std::uint64_t>(count), "number", "numbers"))
                              .arg(cells.columns));
        }
        if (cells.rows == kRoomRows)
            return refuse(QStringLiteral("The text has more than %1 rows of numbers; a room is %1 blocks high.")
                              .arg(kRoomRows));
        ++cells.rows;
        cells.blocks.insert(cells.blocks.end(), numbers.begin(), numbers.end());
    }
    if (cells.rows == 0)
        return refuse(QStringLiteral("The text holds no numbers."));
    return result;
}

} // namespace quorvan

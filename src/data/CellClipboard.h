#pragma once
// The forms a rectangle of block numbers takes on the clipboard.
//
// The program's own form (kCellsMimeType) carries the numbers exactly; the
// plain-text form is for people and other programs: one room row per line,
// each block a two-digit hexadecimal number, numbers separated by spaces
// ("0A 1F 00"). Pasting accepts either; anything else is refused with a
// reason a user can act on.

#include "data/RoomCells.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quorvan {

inline constexpr char kCellsMimeType[] = "application/x-quorvan-cells";

// The program's own form: "QVCELLS" 0x01, the column count, the row count,
// the numbers row by row, then (when known) the column and row of the room
// the top-left cell was copied from, for Paste in Place.
QByteArray EncodeCells(const CellBlock& cells, std::optional<CellPos> origin = std::nullopt);
// Nothing unless `data` is exactly such a record of a valid block (an origin
// outside the room makes it invalid). `origin`, when given, receives where
// the cells were copied from, or nothing when the record does not say.
std::optional<CellBlock> DecodeCells(const QByteArray& data, std::optional<CellPos>* origin = nullptr);

// Upper-case two-digit numbers, one space between them, each row ending in a
// line break.
QString CellsToText(const CellBlock& cells);

// Reads the plain-text form. Lines may end in "\n" or "\r\n", numbers may be
// upper or lower case and separated by any run of spaces or tabs; blank
// lines before the first row and after the last are ignored. Every row must
// have as many numbers as the first, and the block must fit a room (16
// columns, 12 rows). On refusal `error` says what is wrong and where.
struct CellsText {
    CellBlock cells;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
CellsText ParseCellsText(const QString& text);

} // namespace quorvan

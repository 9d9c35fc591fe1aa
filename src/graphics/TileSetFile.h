#pragma once
// A stage's tile set in and out of a file: the 256 tiles as the tile sheet
// shows them (tiles 0x80..0xFF of stages 1..8 from the shared set), as
//  - .png: a 128 x 128 picture, tile t at (t mod 16, t div 16) * 8, written as
//    an 8-bit indexed PNG with a palette of exactly four entries, the colours
//    of the chosen palette (palette index = pixel value);
//  - .chr: the 4,096 bytes of the 256 tiles in the NES layout (TilePlanes),
//    tile 0 first.
// Reading takes a .chr of exactly 4,096 bytes, or a .png of exactly 128 x 128
// pixels: an indexed PNG with at most four palette entries maps index to
// value; any other PNG maps each pixel's colour to the value whose colour in
// the chosen palette is exactly that colour, and refuses the whole file at the
// first pixel (row by row from the top left) whose colour is none of the four,
// is the colour of two values, or is not opaque.

#include "data/ByteWrites.h"
#include "graphics/Compositor.h"
#include "graphics/StageTiles.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <span>

namespace quorvan {

enum class TileSetFormat { Png, Chr };

inline constexpr int kTileSetSide = kTileSide * 16; // the picture is 128 x 128
inline constexpr std::size_t kChrBytes = std::size_t{kStageTiles} * kTileBytes;

using TileSetPlanes = std::array<TilePlanes, kStageTiles>;

// The format a file name asks for by its ending (".png" or ".chr", any case);
// nothing for another ending.
std::optional<TileSetFormat> TileSetFormatOfName(const QString& path);

// The stage's 256 tiles as the sheet shows them; nothing when the stage row is
// out of range or a tile's bytes lie outside the image.
std::optional<TileSetPlanes> ReadStageTiles(const StageSource& source);

// The tiles as CHR bytes, and as the indexed 128 x 128 picture in `colours`.
QByteArray ChrBytes(const TileSetPlanes& tiles);
QImage TileSetPicture(const TileSetPlanes& tiles, const TileColours& colours);

// The file bytes in `format`; nothing, with the reason in `error`, when the
// PNG cannot be encoded.
std::optional<QByteArray> EncodeTileSet(TileSetFormat format, const TileSetPlanes& tiles, const TileColours& colours,
                                        QString* error = nullptr);

// Writes the stage's tile set, in palette `palette` (0..3) of the stage, to
// `path` in `format` through the program's file writer (atomically, replacing
// a file there: the caller has asked). The reason on failure, nothing on success.
std::optional<QString> ExportTileSet(const QString& path, TileSetFormat format, const StageSource& source,
                                     int palette);

// What reading a tile set file gave.
struct TileSetRead {
    enum class Status {
        Ok,         // `tiles` holds the 256 tiles
        ReadFailed, // the file could not be read (`error`: the system's reason)
        Refused,    // it was read but is not a tile set this program takes (`error` says why)
    };
    Status status = Status::ReadFailed;
    TileSetPlanes tiles{};
    QString error; // one sentence, e.g. "x 17, y 40: #A1B2C3 is not one of the palette's colours."

    bool ok() const { return status == Status::Ok; }
};

// Parses a file's bytes; `colours` are the chosen palette's (SheetColours).
TileSetRead ParseTileSet(TileSetFormat format, std::span<const std::uint8_t> file, const TileColours& colours);

// Reads the file at `path` through the program's file reader and parses it.
TileSetRead ReadTileSetFile(const QString& path, TileSetFormat format, const TileColours& colours);

// What importing a tile set into a stage writes.
struct TileSetImport {
    ByteWrites writes;     // only the bytes that differ, tile by tile
    TileMask changed;      // the tiles that differ
    bool sharedChanged = false; // some of tiles 0x80..0xFF of stages 1..8 (the shared set) differ
};

// The writes that give the stage `tiles`; nothing when the stage row is out
// of range or a tile's bytes lie outside the image.
std::optional<TileSetImport> TileSetWrites(const StageSource& source, const TileSetPlanes& tiles);

} // namespace quorvan

#include "graphics/TileSetFile.h"

#include "data/FileWriter.h"
#include "data/PatchResult.h"
#include "graphics/BlockParts.h"
#include "graphics/StagePicture.h"
#include "graphics/TileSheet.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <string_view>

namespace quorvan {

namespace {

// A PNG picture of 128 x 128 pixels is far smaller; a larger file is refused unread.
constexpr std::uint64_t kMaxPngBytes = std::uint64_t{16} << 20;

constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kPngIndexedColour = 3; // the IHDR colour type of a palette picture

// What the chunks of a PNG file say before any pixel is decoded.
struct PngHeader {
    bool signature = false;
    int colourType = -1;   // IHDR's colour type; -1 without a readable IHDR
    int paletteEntries = 0; // PLTE's length / 3
};

std::uint32_t BigEndian32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

PngHeader ReadPngHeader(std::span<const std::uint8_t> file)
{
    PngHeader header;
    header.signature = file.size() >= kPngSignature.size() &&
                       std::equal(kPngSignature.begin(), kPngSignature.end(), file.begin());
    if (!header.signature)
        return header;
    // Chunks: length, four-letter type, data, CRC. Only IHDR and PLTE matter
    // here; both come before the first IDAT.
    std::size_t at = kPngSignature.size();
    while (file.size() - at >= 12) {
        const std::uint64_t length = BigEndian32(file, at);
        if (length > file.size() - at - 12)
            break;
        const std::string_view type(reinterpret_cast<const char*>(file.data() + at + 4), 4);
        const std::size_t data = at + 8;
        if (type == "IHDR" && length >= 13)
            header.colourType = file[data + 9];
        else if (type == "PLTE")
            header.paletteEntries = static_cast<int>(length / 3);
        else if (type == "IDAT" || type == "IEND")
            break;
        at = data + static_cast<std::size_t>(length) + 4;
    }
    return header;
}

QString ColourText(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
}

QString At(int x, int y)
{
    return QStringLiteral("x %1, y %2: ").arg(x).arg(y);
}

TileSetRead Refused(QString why)
{
    TileSetRead read;
    read.status = TileSetRead::Status::Refused;
    read.error = std::move(why);
    return read;
}

// Pixel (x, y) of the picture gets value `value`.
void SetPictureValue(TileSetPlanes& tiles, int x, int y, int value)
{
    const int tile = (y / kTileSide) * 16 + x / kTileSide;
    SetPixelValue(tiles[static_cast<std::size_t>(tile)], x % kTileSide, y % kTileSide, value);
}

TileSetRead ParseChr(std::span<const std::uint8_t> file)
{
    if (file.size() != kChrBytes)
        return Refused(QStringLiteral("it has %1; a CHR tile set has exactly %2.")
                           .arg(PatchLengthText(file.size()), PatchLengthText(kChrBytes)));
    TileSetRead read;
    read.status = TileSetRead::Status::Ok;
    for (std::size_t t = 0; t < read.tiles.size(); ++t)
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(t * kTileBytes), kTileBytes, read.tiles[t].begin());
    return read;
}

// Index to value, for a palette picture of at most four entries.
TileSetRead ValuesFromIndices(const QImage& picture, int entries)
{
    const QImage indexed = picture.format() == QImage::Format_Indexed8
                               ? picture
                               : picture.convertToFormat(QImage::Format_Indexed8);
    if (indexed.format() != QImage::Format_Indexed8)
        return Refused(QStringLiteral("its palette indices cannot be read."));
    TileSetRead read;
    for (int y = 0; y < kTileSetSide; ++y) {
        const uchar* line = indexed.constScanLine(y);
        for (int x = 0; x < kTileSetSide; ++x) {
            if (line[x] >= entries)
                return Refused(At(x, y) + QStringLiteral("palette index %1 is not one of the file's %2 palette entries.")
                                              .arg(line[x])
                                              .arg(entries));
            SetPictureValue(read.tiles, x, y, line[x]);
        }
    }
    read.status = TileSetRead::Status::Ok;
    return read;
}

// Colour to value, for every other picture.
TileSetRead ValuesFromColours(const QImage& picture, const TileColours& colours)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    TileSetRead read;
    for (int y = 0; y < kTileSetSide; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < kTileSetSide; ++x) {
            const QRgb pixel = line[x];
            if (qAlpha(pixel) != 255)
                return Refused(At(x, y) + QStringLiteral("%1 is not opaque (alpha %2 of 255).")
                                              .arg(ColourText(pixel))
                                              .arg(qAlpha(pixel)));
            int value = -1;
            for (int v = 0; v < 4; ++v) {
                if ((colours[static_cast<std::size_t>(v)] & 0xFFFFFFu) != (pixel & 0xFFFFFFu))
                    continue;
                if (value >= 0)
                    return Refused(At(x, y) + QStringLiteral("%1 is the colour of both values %2 and %3 of the "
                                                             "palette, which the import cannot tell apart.")
                                                  .arg(ColourText(pixel))
                                                  .arg(value)
                                                  .arg(v));
                value = v;
            }
            if (value < 0)
                return Refused(At(x, y) + QStringLiteral("%1 is not one of the palette's colours.").arg(ColourText(pixel)));
            SetPictureValue(read.tiles, x, y, value);
        }
    }
    read.status = TileSetRead::Status::Ok;
    return read;
}

TileSetRead ParsePng(std::span<const std::uint8_t> file, const TileColours& colours)
{
    const PngHeader header = ReadPngHeader(file);
    if (!header.signature)
        return Refused(QStringLiteral("it is not a PNG picture."));
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    // The size comes from the header: a picture of another size is refused
    // before its pixels are decoded.
    const QSize size = reader.size();
    if (size.isValid() && size != QSize(kTileSetSide, kTileSetSide))
        return Refused(QStringLiteral("it is %1 x %2 pixels; a tile set picture is %3 x %3.")
                           .arg(size.width())
                           .arg(size.height())
                           .arg(kTileSetSide));
    QImage picture;
    if (!reader.read(&picture))
        return Refused(QStringLiteral("it cannot be read as a PNG picture: %1.").arg(reader.errorString()));
    if (picture.size() != QSize(kTileSetSide, kTileSetSide))
        return Refused(QStringLiteral("it is %1 x %2 pixels; a tile set picture is %3 x %3.")
                           .arg(picture.width())
                           .arg(picture.height())
                           .arg(kTileSetSide));
    if (header.colourType == kPngIndexedColour && header.paletteEntries >= 1 && header.paletteEntries <= 4)
        return ValuesFromIndices(picture, header.paletteEntries);
    return ValuesFromColours(picture, colours);
}

bool HasPaletteOfFour(const QByteArray& png)
{
    const PngHeader header = ReadPngHeader(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(png.constData()), static_cast<std::size_t>(png.size())));
    return header.colourType == kPngIndexedColour && header.paletteEntries == 4;
}

} // namespace

std::optional<TileSetFormat> TileSetFormatOfName(const QString& path)
{
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return TileSetFormat::Png;
    if (path.endsWith(QLatin1String(".chr"), Qt::CaseInsensitive))
        return TileSetFormat::Chr;
    return std::nullopt;
}

std::optional<TileSetPlanes> ReadStageTiles(const StageSource& source)
{
    if (!IsStageRow(source.stage))
        return std::nullopt;
    TileSetPlanes tiles;
    for (int t = 0; t < kStageTiles; ++t) {
        const std::optional<TilePlanes> planes = ReadTilePlanes(source.image, source.stages, source.stage, t);
        if (!planes)
            return std::nullopt;
        tiles[static_cast<std::size_t>(t)] = *planes;
    }
    return tiles;
}

QByteArray ChrBytes(const TileSetPlanes& tiles)
{
    QByteArray bytes(static_cast<qsizetype>(kChrBytes), '\0');
    for (std::size_t t = 0; t < tiles.size(); ++t)
        std::copy(tiles[t].begin(), tiles[t].end(), bytes.begin() + static_cast<qsizetype>(t * kTileBytes));
    return bytes;
}

QImage TileSetPicture(const TileSetPlanes& tiles, const TileColours& colours)
{
    QImage picture(kTileSetSide, kTileSetSide, QImage::Format_Indexed8);
    if (picture.isNull())
        return {};
    QList<QRgb> table;
    for (const std::uint32_t colour : colours)
        table.append(qRgb(qRed(colour), qGreen(colour), qBlue(colour)));
    picture.setColorTable(table);
    for (int y = 0; y < kTileSetSide; ++y) {
        uchar* line = picture.scanLine(y);
        for (int column = 0; column < 16; ++column) {
            const TilePlanes& planes = tiles[static_cast<std::size_t>((y / kTileSide) * 16 + column)];
            const std::uint8_t low = planes[static_cast<std::size_t>(y % kTileSide)];
            const std::uint8_t high = planes[static_cast<std::size_t>(y % kTileSide + 8)];
            for (int c = 0; c < kTileSide; ++c)
                line[column * kTileSide + c] =
                    static_cast<uchar>(((low >> (7 - c)) & 1) | (((high >> (7 - c)) & 1) << 1));
        }
    }
    return picture;
}

std::optional<QByteArray> EncodeTileSet(TileSetFormat format, const TileSetPlanes& tiles, const TileColours& colours,
                                        QString* error)
{
    if (format == TileSetFormat::Chr)
        return ChrBytes(tiles);
    const QImage picture = TileSetPicture(tiles, colours);
    if (picture.isNull()) {
        if (error != nullptr)
            *error = QStringLiteral("there is not memory enough for the picture");
        return std::nullopt;
    }
    std::optional<QByteArray> png = EncodePng(picture, error);
    // Qt writes an indexed picture as a grey one when its colour table happens
    // to be the first grey levels; the file must hold the palette itself.
    if (png && !HasPaletteOfFour(*png)) {
        if (error != nullptr)
            *error = QStringLiteral("the PNG encoder did not write a palette of four colours");
        return std::nullopt;
    }
    return png;
}

std::optional<QString> ExportTileSet(const QString& path, TileSetFormat format, const StageSource& source, int palette)
{
    const std::optional<TileSetPlanes> tiles = ReadStageTiles(source);
    if (!tiles)
        return QStringLiteral("the stage's tiles lie past the end of the image");
    RenderFaults faults;
    QString why;
    const std::optional<QByteArray> bytes = EncodeTileSet(format, *tiles, SheetColours(source, palette, faults), &why);
    if (!bytes)
        return why;
    return WritePictureFile(path, *bytes);
}

TileSetRead ParseTileSet(TileSetFormat format, std::span<const std::uint8_t> file, const TileColours& colours)
{
    return format == TileSetFormat::Chr ? ParseChr(file) : ParsePng(file, colours);
}

TileSetRead ReadTileSetFile(const QString& path, TileSetFormat format, const TileColours& colours)
{
    // A file longer than a tile set can be is refused by its size, unread.
    const std::uint64_t limit = format == TileSetFormat::Chr ? kChrBytes : kMaxPngBytes;
    ReadResult file = ReadWholeFile(path, limit);
    switch (file.status) {
    case ReadResult::Status::Ok:
        return ParseTileSet(format, file.bytes, colours);
    case ReadResult::Status::TooLarge:
        if (format == TileSetFormat::Chr)
            return Refused(QStringLiteral("it has %1; a CHR tile set has exactly %2.")
                               .arg(PatchLengthText(static_cast<std::uint64_t>(file.stamp.size)),
                                    PatchLengthText(kChrBytes)));
        return Refused(QStringLiteral("it has %1, more than a picture of 128 x 128 pixels needs.")
                           .arg(PatchLengthText(static_cast<std::uint64_t>(file.stamp.size))));
    case ReadResult::Status::Missing:
    case ReadResult::Status::NotRegular:
    case ReadResult::Status::Failed:
        break;
    }
    TileSetRead read;
    read.status = TileSetRead::Status::ReadFailed;
    read.error = file.reason;
    return read;
}

std::optional<TileSetImport> TileSetWrites(const StageSource& source, const TileSetPlanes& tiles)
{
    if (!ReadStageTiles(source))
        return std::nullopt;
    TileSetImport import;
    for (int t = 0; t < kStageTiles; ++t) {
        const ByteWrites writes =
            TileWrites(source.image, source.stages, source.stage, t, tiles[static_cast<std::size_t>(t)]);
        if (writes.empty())
            continue;
        import.changed.set(static_cast<std::size_t>(t));
        import.sharedChanged = import.sharedChanged || IsSharedTile(source.stage, t);
        import.writes.insert(import.writes.end(), writes.begin(), writes.end());
    }
    return import;
}

} // namespace quorvan

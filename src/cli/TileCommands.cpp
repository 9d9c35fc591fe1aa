#include "cli/TileCommands.h"

#include "cli/BatchSupport.h"
#include "data/RomDocument.h"
#include "data/RomFile.h"
#include "graphics/TileSetFile.h"
#include "graphics/TileSheet.h"

#include <cstdio>
#include <optional>

namespace quorvan {

using namespace batch;

namespace {

struct TileArguments {
    int stage = 0; // row 0..8
    int palette = 0;
    QString image;
    QString tiles; // the tile set file: OUT of the export, TILES of the import
    TileSetFormat format = TileSetFormat::Png;
    QString out;   // the import's image
};

// STAGE [--palette P] IMAGE TILES [OUT]. Nothing, after saying why, when they are wrong.
std::optional<TileArguments> ReadArguments(const char* command, const char* usage, const QStringList& operands,
                                           bool import)
{
    const auto bad = [&](const QString& why) {
        BadUsage(command, usage, why);
        return std::nullopt;
    };
    const std::optional<StageOperands> read = ReadStageOperands(
        command, usage, operands, QStringLiteral("--palette"), 0, 3, QStringLiteral("0, 1, 2 or 3"), import ? 4 : 3);
    if (!read)
        return std::nullopt;
    const QStringList& positional = read->positional;
    TileArguments arguments;
    arguments.stage = read->stage;
    arguments.palette = read->value.value_or(0);
    arguments.image = positional[1];
    arguments.tiles = positional[2];
    const QString role = import ? QStringLiteral("TILES") : QStringLiteral("OUT");
    const std::optional<TileSetFormat> format = TileSetFormatOfName(arguments.tiles);
    if (!format)
        return bad(QStringLiteral("%1 %2 must end in .png or .chr.").arg(role, Quoted(arguments.tiles)));
    arguments.format = *format;
    // An output written over an input would destroy it.
    if (!import) {
        if (RomDocument::SameFile(arguments.tiles, arguments.image))
            return bad(QStringLiteral("OUT %1 names the same file as IMAGE.").arg(Quoted(arguments.tiles)));
        return arguments;
    }
    arguments.out = positional[3];
    if (RomDocument::SameFile(arguments.out, arguments.image))
        return bad(QStringLiteral("OUT %1 names the same file as IMAGE.").arg(Quoted(arguments.out)));
    if (RomDocument::SameFile(arguments.out, arguments.tiles))
        return bad(QStringLiteral("OUT %1 names the same file as TILES.").arg(Quoted(arguments.out)));
    return arguments;
}

int ExportTiles(const TileArguments& arguments)
{
    const std::optional<StagedImage> image = LoadStagedImage(QStringLiteral("IMAGE"), arguments.image);
    if (!image)
        return kFailed;
    const StageSource source{image->bytes, image->stages, arguments.stage};
    if (const auto error = ExportTileSet(arguments.tiles, arguments.format, source, arguments.palette))
        return Fail(kFailed, QStringLiteral("cannot write OUT %1: %2").arg(Quoted(arguments.tiles), *error));
    return kDone;
}

int ImportTiles(const TileArguments& arguments)
{
    std::optional<StagedImage> image = LoadStagedImage(QStringLiteral("IMAGE"), arguments.image);
    if (!image)
        return kFailed;
    const StageSource source{image->bytes, image->stages, arguments.stage};
    RenderFaults faults;
    const TileSetRead read = ReadTileSetFile(arguments.tiles, arguments.format,
                                             SheetColours(source, arguments.palette, faults));
    if (read.status == TileSetRead::Status::ReadFailed)
        return Fail(kFailed, QStringLiteral("cannot read TILES %1: %2").arg(Quoted(arguments.tiles), read.error));
    if (!read.ok())
        return Fail(kFailed, QStringLiteral("TILES %1 was refused: %2").arg(Quoted(arguments.tiles), read.error));
    const std::optional<TileSetImport> import = TileSetWrites(source, read.tiles);
    if (!import || !WriteBytes(image->bytes, import->writes))
        return Fail(kFailed, QStringLiteral("the tiles of stage %1 lie past the end of IMAGE %2.")
                                 .arg(arguments.stage + 1)
                                 .arg(Quoted(arguments.image)));
    if (const auto error = SaveRomFile(arguments.out, image->bytes))
        return Fail(kFailed, QStringLiteral("cannot write OUT %1: %2").arg(Quoted(arguments.out), *error));
    if (import->sharedChanged) {
        const std::size_t shared = (import->changed >> kFirstSharedTile).count();
        std::printf("Tiles 80-FF are shared by stages 1 to 8: %zu of them changed, in every one of those stages.\n",
                    shared);
    }
    return kDone;
}

} // namespace

int ExportTilesCommand(const QStringList& operands)
{
    const auto arguments = ReadArguments("--export-tiles", kExportTilesOperands, operands, false);
    return arguments ? ExportTiles(*arguments) : kBadArguments;
}

int ImportTilesCommand(const QStringList& operands)
{
    const auto arguments = ReadArguments("--import-tiles", kImportTilesOperands, operands, true);
    return arguments ? ImportTiles(*arguments) : kBadArguments;
}

} // namespace quorvan

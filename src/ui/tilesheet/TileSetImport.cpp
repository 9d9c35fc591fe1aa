#include "ui/tilesheet/TileSetImport.h"

#include "data/ByteWrites.h"
#include "data/RomDocument.h"
#include "graphics/DocumentSource.h"
#include "graphics/TileSetFile.h"
#include "graphics/TileSheet.h"
#include "ui/common/MsgBox.h"

#include <QDir>

namespace quorvan {

bool ImportTileSet(RomDocument& document, const QString& path, int palette, QWidget* dialogs)
{
    const QString title = QStringLiteral("Import Tile Set");
    const auto fail = [&](const QString& text, MsgIcon icon = MsgIcon::Critical) {
        MsgBox(dialogs, text, title, QMessageBox::Ok, icon);
        return false;
    };
    const auto cannotRead = [&](const QString& why) {
        MsgBox(dialogs,
               QStringLiteral("Could not read the tile set from \"%1\".\n\n%2").arg(QDir::toNativeSeparators(path), why),
               QStringLiteral("File Error"), QMessageBox::Ok, MsgIcon::Critical);
        return false;
    };
    const std::optional<TileSetFormat> format = TileSetFormatOfName(path);
    if (!format)
        return cannotRead(QString::fromLatin1(kTileSetNameRule));
    const StageSource source = SourceOf(document);
    RenderFaults faults;
    const TileSetRead read = ReadTileSetFile(path, *format, SheetColours(source, palette, faults));
    if (read.status == TileSetRead::Status::ReadFailed)
        return cannotRead(read.error);
    const QString unchanged =
        QStringLiteral("\"%1\" was not imported; the image is unchanged.\n\n").arg(QDir::toNativeSeparators(path));
    if (!read.ok()) {
        // A picture's colours are read in the sheet's palette: say which.
        const QString colours = *format == TileSetFormat::Png
                                    ? QStringLiteral("\n\nIts colours were matched against palette %1 of stage %2.")
                                          .arg(palette)
                                          .arg(source.stage + 1)
                                    : QString();
        return fail(unchanged + QStringLiteral("The file was refused: ") + read.error + colours);
    }
    const std::optional<TileSetImport> import = TileSetWrites(source, read.tiles);
    if (!import)
        return fail(unchanged + QStringLiteral("The tiles of stage %1 lie past the end of the image.").arg(source.stage + 1));
    if (import->writes.empty())
        return fail(QStringLiteral("The file holds the tiles stage %1 has already: nothing changed.").arg(source.stage + 1),
                    MsgIcon::Information);
    // The shared set is drawn in eight stages: changing it is asked for, never assumed.
    if (import->sharedChanged &&
        MsgBox(dialogs, QStringLiteral("Tiles 80-FF are shared by stages 1 to 8. Change them in every one of those stages?"),
               title, QMessageBox::Yes | QMessageBox::Cancel, MsgIcon::Question, QMessageBox::Cancel) != QMessageBox::Yes)
        return false;
    EditStep step(document.history(), QStringLiteral("Import Tiles"), EditPlace{source.stage, -1, -1});
    return WriteBytes(document.image(), import->writes);
}

} // namespace quorvan

#include "cli/ExportCommands.h"

#include "data/RomDocument.h"
#include "data/Stages.h"
#include "graphics/StagePicture.h"
#include "cli/BatchSupport.h"

#include <optional>

namespace quorvan {

using namespace batch;

namespace {

struct ExportArguments {
    int stage = 0; // row 0..8
    std::optional<int> room;
    int scale = 2;
    QString image;
    QString out;
};

// Reads "--scale S" (or "--scale=S") from anywhere among the operands and the
// positional ones in order. Nothing, after saying why, when they are wrong.
std::optional<ExportArguments> ReadArguments(const char* command, const char* usage, const QStringList& operands,
                                             bool withRoom)
{
    const auto bad = [&](const QString& why) {
        BadUsage(command, usage, why);
        return std::nullopt;
    };
    const qsizetype wanted = withRoom ? 4 : 3;
    const std::optional<StageOperands> read = ReadStageOperands(
        command, usage, operands, QStringLiteral("--scale"), kMinExportScale, kMaxExportScale, QStringLiteral("1 or 2"), wanted);
    if (!read)
        return std::nullopt;
    const QStringList& positional = read->positional;
    ExportArguments arguments;
    arguments.scale = read->value.value_or(arguments.scale);
    arguments.stage = read->stage;
    if (withRoom) {
        const QString& text = positional[1];
        const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
        const QString digits = hex ? text.mid(2) : text;
        // Digits only: toInt() would also take a sign or spaces.
        bool digitsOnly = !digits.isEmpty();
        bool ok = false;
        for (const QChar c : digits)
            digitsOnly = digitsOnly && (hex ? QStringLiteral("0123456789abcdefABCDEF").contains(c) : c.isDigit());
        const int room = digitsOnly ? digits.toInt(&ok, hex ? 16 : 10) : -1;
        if (!digitsOnly || !ok || room < 0 || room > 255)
            return bad(QStringLiteral("ROOM \"%1\" is not a room number (0 to 255, or 0x0 to 0xFF).").arg(text));
        arguments.room = room;
    }
    arguments.image = positional[wanted - 2];
    arguments.out = positional[wanted - 1];
    if (!arguments.out.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return bad(QStringLiteral("OUT %1 must end in .png.").arg(Quoted(arguments.out)));
    // A picture written over the image would destroy it.
    if (RomDocument::SameFile(arguments.out, arguments.image))
        return bad(QStringLiteral("OUT %1 names the same file as IMAGE.").arg(Quoted(arguments.out)));
    return arguments;
}

QString HexRoom(int room)
{
    return QStringLiteral("0x") + QString::number(room, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

int Export(const ExportArguments& arguments)
{
    const std::optional<StagedImage> image = LoadStagedImage(QStringLiteral("IMAGE"), arguments.image);
    if (!image)
        return kFailed;
    const StageSource source{image->bytes, image->stages, arguments.stage};
    const int lastRoom = StageMapLastRoom(source);
    if (arguments.room && *arguments.room > lastRoom)
        return Fail(kBadArguments, QStringLiteral("ROOM %1 lies past the last room of stage %2 (%3).")
                                       .arg(HexRoom(*arguments.room), QString::number(arguments.stage + 1),
                                            HexRoom(lastRoom)));

    RenderFaults faults;
    const QImage picture = arguments.room ? RoomPicture(source, *arguments.room, arguments.scale, faults)
                                          : StageMapPicture(source, lastRoom, arguments.scale, faults);
    if (picture.isNull())
        return Fail(kFailed, QStringLiteral("there is not memory enough for the picture."));
    QString why;
    const auto png = EncodePng(picture, &why);
    if (!png)
        return Fail(kFailed, QStringLiteral("the picture could not be encoded as PNG: %1").arg(why));
    if (const auto error = WritePictureFile(arguments.out, *png))
        return Fail(kFailed, QStringLiteral("cannot write OUT %1: %2").arg(Quoted(arguments.out), *error));
    return kDone;
}

} // namespace

int ExportRoomCommand(const QStringList& operands)
{
    const auto arguments = ReadArguments("--export-room", kExportRoomOperands, operands, true);
    return arguments ? Export(*arguments) : kBadArguments;
}

int ExportStageCommand(const QStringList& operands)
{
    const auto arguments = ReadArguments("--export-stage", kExportStageOperands, operands, false);
    return arguments ? Export(*arguments) : kBadArguments;
}

} // namespace quorvan

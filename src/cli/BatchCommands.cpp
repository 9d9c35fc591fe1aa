#include "cli/BatchCommands.h"

#include "cli/BatchSupport.h"
#include "cli/ExportCommands.h"
#include "cli/TileCommands.h"

#include "data/PatchApply.h"
#include "data/PatchExport.h"
#include "data/RomDocument.h"
#include "data/RomFile.h"

#include <QDir>

#include <array>
#include <cstring>
#include <optional>

namespace quorvan {

namespace {

using namespace batch;

struct Command {
    const char* name;
    const char* operands;
    const char* example; // a whole command line, for --help
    int count; // operands the command takes; -1: it reads its own (it has options)
    int (*run)(const QStringList& operands);
};

int CreatePatch(const QStringList& operands);
int ApplyPatchCommand(const QStringList& operands);

constexpr std::array<Command, 6> kCommands{{
    {"--create-patch", "BASE MODIFIED OUT.ips|OUT.bps", "quorvan --create-patch clean.nes hack.nes hack.bps", 3,
     &CreatePatch},
    {"--apply-patch", "IMAGE PATCH OUT", "quorvan --apply-patch clean.nes hack.bps hacked.nes", 3, &ApplyPatchCommand},
    {"--export-room", kExportRoomOperands, "quorvan --export-room 3 0x0A hack.nes room.png", -1, &ExportRoomCommand},
    {"--export-stage", kExportStageOperands, "quorvan --export-stage 3 --scale 1 hack.nes stage3.png", -1,
     &ExportStageCommand},
    {"--export-tiles", kExportTilesOperands, "quorvan --export-tiles 3 --palette 1 hack.nes tiles3.png", -1,
     &ExportTilesCommand},
    {"--import-tiles", kImportTilesOperands, "quorvan --import-tiles 3 hack.nes tiles3.png hack-tiles.nes", -1,
     &ImportTilesCommand},
}};

int CreatePatch(const QStringList& operands)
{
    const QString& basePath = operands[0];
    const QString& modifiedPath = operands[1];
    const QString& outPath = operands[2];
    const auto format = PatchFormatOfName(outPath);
    if (!format)
        return Fail(kBadArguments, QStringLiteral("OUT %1 must end in .ips or .bps (the patch format).").arg(Quoted(outPath)));
    for (const QString* input : {&basePath, &modifiedPath})
        if (RomDocument::SameFile(outPath, *input))
            return Fail(kBadArguments, QStringLiteral("OUT %1 names the same file as an input image.").arg(Quoted(outPath)));

    const auto base = LoadImage(QStringLiteral("BASE"), basePath);
    if (!base)
        return kFailed;
    const auto modified = LoadImage(QStringLiteral("MODIFIED"), modifiedPath);
    if (!modified)
        return kFailed;
    const auto patch = BuildPatch(*format, *base, *modified);
    if (!patch)
        return Fail(kFailed, QStringLiteral("an IPS patch cannot change the image's length (BASE has %1, MODIFIED has %2); "
                                            "write a .bps patch instead.")
                                 .arg(PatchLengthText(base->size()), PatchLengthText(modified->size())));
    if (const auto error = WritePatchFile(outPath, *patch))
        return Fail(kFailed, QStringLiteral("cannot write OUT %1: %2").arg(Quoted(outPath), *error));
    return kDone;
}

int ApplyPatchCommand(const QStringList& operands)
{
    const QString& imagePath = operands[0];
    const QString& patchPath = operands[1];
    const QString& outPath = operands[2];
    if (RomDocument::SameFile(outPath, patchPath))
        return Fail(kBadArguments, QStringLiteral("OUT %1 names the same file as PATCH.").arg(Quoted(outPath)));

    const auto image = LoadImage(QStringLiteral("IMAGE"), imagePath);
    if (!image)
        return kFailed;
    const PatchFile patch = ReadPatchFile(patchPath);
    if (!patch.ok())
        return Fail(kFailed, QStringLiteral("cannot read PATCH %1: %2").arg(Quoted(patchPath), patch.error));
    const PatchResult result = ApplyPatch(*image, patch.bytes);
    if (!result.ok())
        return Fail(kFailed, QStringLiteral("PATCH %1 was not applied: %2").arg(Quoted(patchPath), result.message));
    if (const auto error = SaveRomFile(outPath, result.bytes))
        return Fail(kFailed, QStringLiteral("cannot write OUT %1: %2").arg(Quoted(outPath), *error));
    return kDone;
}

const Command* Find(const QString& name)
{
    for (const Command& command : kCommands)
        if (name == QLatin1String(command.name))
            return &command;
    return nullptr;
}

} // namespace

std::vector<BatchUsage> BatchCommandUsage()
{
    std::vector<BatchUsage> usage;
    for (const Command& command : kCommands)
        usage.push_back({QLatin1String(command.name), QLatin1String(command.operands), QLatin1String(command.example)});
    return usage;
}

bool IsBatchCommand(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i)
        for (const Command& command : kCommands)
            if (argv[i] != nullptr && std::strcmp(argv[i], command.name) == 0)
                return true;
    return false;
}

int RunBatchCommand(const QStringList& arguments)
{
    const QStringList given = arguments.mid(1);
    const Command* command = given.isEmpty() ? nullptr : Find(given.first());
    if (command == nullptr) {
        // A command's name somewhere else on the line: say how it is written.
        for (const QString& argument : given)
            if (const Command* named = Find(argument))
                return Fail(kBadArguments, QStringLiteral("%1 must come first: quorvan %1 %2")
                                               .arg(QLatin1String(named->name), QLatin1String(named->operands)));
        return Fail(kBadArguments, QStringLiteral("no command given."));
    }
    const QStringList operands = given.mid(1);
    if (command->count >= 0 && operands.size() != command->count)
        return Fail(kBadArguments, QStringLiteral("%1 takes %2 arguments, %3 given: quorvan %1 %4")
                                       .arg(QLatin1String(command->name))
                                       .arg(command->count)
                                       .arg(operands.size())
                                       .arg(QLatin1String(command->operands)));
    for (const QString& operand : operands)
        if (operand.isEmpty())
            return Fail(kBadArguments, QStringLiteral("%1: an empty file name.").arg(QLatin1String(command->name)));
    return command->run(operands);
}

} // namespace quorvan

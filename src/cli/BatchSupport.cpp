#include "cli/BatchSupport.h"

#include "data/PatchResult.h"
#include "data/RomFile.h"
#include "data/Stages.h"

#include <QDir>

#include <cstdio>

namespace quorvan::batch {

int Fail(int status, QString message)
{
    message.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "quorvan: %s\n", qPrintable(message.simplified()));
    return status;
}

QString Quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

std::optional<std::vector<std::uint8_t>> LoadImage(const QString& role, const QString& path)
{
    LoadResult loaded = LoadRomFile(path);
    switch (loaded.status) {
    case LoadResult::Status::Ok:
        return std::move(loaded.bytes);
    case LoadResult::Status::ReadFailed:
        Fail(kFailed, QStringLiteral("cannot read %1 %2: %3").arg(role, Quoted(path), loaded.error));
        break;
    case LoadResult::Status::BadSize:
        Fail(kFailed, QStringLiteral("%1 %2 is not an image of an accepted length (%3 or %4): Invalid ROM Size.")
                          .arg(role, Quoted(path), PatchLengthText(kImageLengthPlain),
                               PatchLengthText(kImageLengthShifted)));
        break;
    }
    return std::nullopt;
}

} // namespace quorvan::batch

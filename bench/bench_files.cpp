// Speed of the file layer against what Save used before it (QSaveFile, and a
// QSaveFile copy for the backup) and against a plain QFile read, each measured
// in the same run on the same disk. Saving waits for the disk (fsync), so the
// ratios are of wall-clock time; only they mean anything on a shared machine.

#include "BenchRatios.h"

#include "demo/DemoImage.h"
#include "data/FileWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <vector>

using namespace quorvan;

namespace {

const std::vector<std::uint8_t>& Image()
{
    static const std::vector<std::uint8_t> bytes = GenerateDemoImage({});
    return bytes;
}

QTemporaryDir& Folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString PathOf(const char* name)
{
    return Folder().filePath(QString::fromLatin1(name));
}

void SaveWithQSaveFile(const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(Image().data()), qint64(Image().size())) != qint64(Image().size()) ||
        !file.commit())
        qFatal("QSaveFile failed");
}

void Save(const QString& path, const QString& backup = {})
{
    WriteRequest request;
    request.path = path;
    request.bytes = Image();
    request.replaceExisting = true;
    request.backupPath = backup;
    if (!WriteWholeFile(request).ok())
        qFatal("WriteWholeFile failed");
}

// The floor: QSaveFile replacing the image, as Save did before.
void BM_QSaveFile(benchmark::State& state)
{
    const QString path = PathOf("qsave.nes");
    for (auto _ : state)
        SaveWithQSaveFile(path);
}

// WriteWholeFile replacing the image by a rename.
void BM_WriteReplace(benchmark::State& state)
{
    const QString path = PathOf("replace.nes");
    Save(path);
    for (auto _ : state)
        Save(path);
}

// The same with a second hard link: written in place, after a synced copy.
void BM_WriteInPlace(benchmark::State& state)
{
    const QString path = PathOf("inplace.nes");
    Save(path);
    QFile::remove(PathOf("inplace-link.nes")); // from an earlier run of this case
    std::error_code error;
    std::filesystem::create_hard_link(QFile::encodeName(path).toStdString(),
                                      QFile::encodeName(PathOf("inplace-link.nes")).toStdString(), error);
    if (error)
        state.SkipWithError("no hard links here");
    for (auto _ : state)
        Save(path);
}

// The floor of a save with a backup: a QSaveFile copy, then QSaveFile.
void BM_QSaveFileWithCopy(benchmark::State& state)
{
    const QString path = PathOf("qsave-backup.nes");
    SaveWithQSaveFile(path);
    for (auto _ : state) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            qFatal("open failed");
        QSaveFile copy(path + QStringLiteral(".bak"));
        if (!copy.open(QIODevice::WriteOnly) || copy.write(in.readAll()) < 0 || !copy.commit())
            qFatal("copy failed");
        SaveWithQSaveFile(path);
    }
}

void BM_WriteWithBackup(benchmark::State& state)
{
    const QString path = PathOf("backup.nes");
    Save(path);
    for (auto _ : state)
        Save(path, path + QStringLiteral(".bak"));
}

// The floor of reading: QFile::readAll.
void BM_QFileRead(benchmark::State& state)
{
    const QString path = PathOf("read.nes");
    Save(path);
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("open failed");
        benchmark::DoNotOptimize(file.readAll());
    }
}

void BM_ReadWhole(benchmark::State& state)
{
    const QString path = PathOf("read.nes");
    Save(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWholeFile(path, Image().size()));
}

// The check before a save: the file read whole and compared byte for byte.
void BM_CheckUnchanged(benchmark::State& state)
{
    const QString path = PathOf("check.nes");
    Save(path);
    const FileStamp stamp = StampFile(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckFileUnchanged(path, stamp, Image()));
}

} // namespace

BENCHMARK(BM_QSaveFile)->UseRealTime();
BENCHMARK(BM_WriteReplace)->UseRealTime();
BENCHMARK(BM_WriteInPlace)->UseRealTime();
BENCHMARK(BM_QSaveFileWithCopy)->UseRealTime();
BENCHMARK(BM_WriteWithBackup)->UseRealTime();
BENCHMARK(BM_QFileRead)->UseRealTime();
BENCHMARK(BM_ReadWhole)->UseRealTime();
BENCHMARK(BM_CheckUnchanged)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const quorvan::bench::RatioList kRatios = {
        {"BM_WriteReplace/real_time", "BM_QSaveFile/real_time"},
        {"BM_WriteInPlace/real_time", "BM_QSaveFile/real_time"},
        {"BM_WriteWithBackup/real_time", "BM_QSaveFileWithCopy/real_time"},
        {"BM_ReadWhole/real_time", "BM_QFileRead/real_time"},
        {"BM_CheckUnchanged/real_time", "BM_QFileRead/real_time"},
    };
    quorvan::bench::RunWithRatios(kRatios, quorvan::bench::RatioReporter::Clock::Wall);
}

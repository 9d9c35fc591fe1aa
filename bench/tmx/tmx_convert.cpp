// Writes a stage of an image as a Tiled map, for comparing the stage-map export
// with Tiled's own renderer (bench/export_vs_tmxrasterizer.sh):
//   quorvan_tmxconvert IMAGE STAGE SCALE OUTDIR
// OUTDIR/blocks.png is a tileset of the stage's 256 blocks (16 columns, each
// block 16 * SCALE pixels square, drawn by the program's compositor), and
// OUTDIR/stage.tmx a map of one layer whose cells name the blocks of rooms 0 up
// to the last room of the stage's list, side by side, as the export lays them.

#include "data/RomFile.h"
#include "data/Stages.h"
#include "graphics/Compositor.h"
#include "graphics/StagePicture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdio>

using namespace quorvan;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: quorvan_tmxconvert IMAGE STAGE SCALE OUTDIR\n");
        return 2;
    }
    const LoadResult loaded = LoadRomFile(args[1]);
    const int stage = args[2].toInt() - 1;
    const int scale = args[3].toInt();
    if (!loaded.ok() || stage < 0 || stage >= kMenuStages || scale < 1 || scale > kMaxExportScale) {
        std::fprintf(stderr, "quorvan_tmxconvert: bad image, stage or scale\n");
        return 1;
    }
    const QDir out(args[4]);
    const StageSource source{loaded.bytes, loaded.stages, stage};
    const int side = kBlockSide * scale;

    QImage tiles(16 * side, 16 * side, QImage::Format_RGB32);
    RenderFaults faults;
    for (int block = 0; block < 256; ++block)
        ComposeBlock(tiles, source, block, scale, (block % 16) * side, (block / 16) * side, faults);
    if (!tiles.save(out.filePath(QStringLiteral("blocks.png")))) {
        std::fprintf(stderr, "quorvan_tmxconvert: cannot write the tileset\n");
        return 1;
    }

    const int rooms = StageMapLastRoom(source) + 1;
    const int width = rooms * kRoomColumns;
    QString csv;
    const StageInfo& info = loaded.stages[static_cast<std::size_t>(stage)];
    for (int w = 0; w < kRoomRows; ++w) {
        for (int x = 0; x < width; ++x) {
            const int room = x / kRoomColumns;
            const std::size_t offset =
                static_cast<std::size_t>(info.RoomData) + static_cast<std::size_t>(room * kRoomBytes + w * kRoomColumns + x % kRoomColumns);
            csv += QString::number(loaded.bytes.at(offset) + 1); // global tile ids start at 1
            if (w + 1 < kRoomRows || x + 1 < width)
                csv += QLatin1Char(',');
        }
        csv += QLatin1Char('\n');
    }
    const QString tmx =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<map version=\"1.8\" orientation=\"orthogonal\" renderorder=\"right-down\" width=\"%1\" "
                       "height=\"%2\" tilewidth=\"%3\" tileheight=\"%3\" infinite=\"0\" nextlayerid=\"2\" nextobjectid=\"1\">\n"
                       " <tileset firstgid=\"1\" name=\"blocks\" tilewidth=\"%3\" tileheight=\"%3\" tilecount=\"256\" columns=\"16\">\n"
                       "  <image source=\"blocks.png\" width=\"%4\" height=\"%4\"/>\n"
                       " </tileset>\n"
                       " <layer id=\"1\" name=\"rooms\" width=\"%1\" height=\"%2\">\n"
                       "  <data encoding=\"csv\">\n%5</data>\n"
                       " </layer>\n"
                       "</map>\n")
            .arg(width)
            .arg(kRoomRows)
            .arg(side)
            .arg(16 * side)
            .arg(csv);
    QFile file(out.filePath(QStringLiteral("stage.tmx")));
    if (!file.open(QIODevice::WriteOnly) || file.write(tmx.toUtf8()) < 0) {
        std::fprintf(stderr, "quorvan_tmxconvert: cannot write the map\n");
        return 1;
    }
    return 0;
}

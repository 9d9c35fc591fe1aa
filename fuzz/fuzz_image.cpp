// Image content from the fuzzer, opened and drawn by the program's own code.
//
// Each input is a few selector bytes and a list of patches. The patches are
// written over a synthetic base image (of the layout the first byte picks) in
// the regions that drawing reads for the chosen stage: the room list, the
// rooms, the block tiles, the block attributes, the palettes, the stage's own
// tile set and the upper half of row 0's tile set.
//
// Built twice. As fuzz_window (QUORVAN_FUZZ_THROUGH_WINDOW) every input goes
// the whole way through the main window: the image is opened through the
// program's Open path, the stage is chosen from the Level menu (room range,
// block table page 0, room 0, palette editor reload), and one more room, one
// more table page and one picked block (scale 2 in the main window, scale 8 in
// the tile editor) are drawn. As fuzz_image every input takes the same data
// path without the window's whole-view redraws, so that executions are cheap
// enough for long runs: the image is accepted by the same length check, the room range is
// computed by the same routine, and one row of one room, one row of one table
// page and one block at scales 2 and 8 are drawn with DrawBlock into picture
// boxes of the sizes the windows use. Across executions the selectors reach
// every stage, every room of the room range the patched list gives (up to
// 254), every page and every block, in both layouts.
//
// Properties: nothing crashes or reads outside the image (ASan, UBSan),
// drawing writes no byte of the image and marks nothing as changed, the room
// range is the highest room number of the list other than 255, the status bar
// names the room drawn, and lengths other than the two accepted ones are
// refused.

#include "FuzzSupport.h"

#include "data/Level.h"
#include "data/RomFile.h"
#include "graphics/DocumentSource.h"
#include "graphics/DrawBlock.h"
#include "data/modGlobals.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace quorvan;
using namespace quorvan::fuzz;

namespace {

struct Region {
    std::int64_t start;
    std::int64_t length;
};

// The regions drawing reads for stage row `stage`, clipped to the image.
std::array<Region, 7> RegionsFor(const StageTable& stages, int stage, std::int64_t size)
{
    const StageInfo& s = stages[static_cast<std::size_t>(stage)];
    std::array<Region, 7> regions{{
        {s.RoomList, s.RoomData - s.RoomList},
        {s.RoomData, std::int64_t{255} * kRoomBytes},
        {s.BlockTiles, 256 * 4},
        {s.BlockAttributes, 256},
        {s.Palettes, 16},
        {s.TileData, 256 * 16},
        {std::int64_t{stages[0].TileData} + 0x80 * 16, 128 * 16},
    }};
    for (Region& r : regions)
        r.length = std::clamp<std::int64_t>(size - r.start, 0, r.length);
    return regions;
}

// The highest room number of the list other than 255, read straight from the bytes.
int ExpectedMaxRoom(const std::vector<std::uint8_t>& image, const StageInfo& s)
{
    int highest = 0;
    for (std::int64_t i = s.RoomList; i < s.RoomData; ++i) {
        const int room = image[static_cast<std::size_t>(i)];
        if (room != 255)
            highest = std::max(highest, room);
    }
    return highest;
}

QString ExpectedRoomText(int room)
{
    return QStringLiteral("Room: ") + QString::asprintf("%02X", room);
}

const QString& ImagePath()
{
    static const QString path = TemporaryPath(QStringLiteral("fuzz.nes"));
    return path;
}

bool WriteFile(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    StartApplication(argc, argv);
    Window();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in({data, size});
    const std::uint8_t layoutByte = in.byte();
    const int stage = in.below(kMenuStages);
    const int roomSelector = in.word();
    const int page = in.byte() % 16;
    const int cell = in.byte() % 16;
#ifdef QUORVAN_FUZZ_THROUGH_WINDOW
    constexpr bool throughWindow = true;
#else
    constexpr bool throughWindow = false;
#endif

    const DemoLayout layout = (layoutByte & 1) ? DemoLayout::Shifted : DemoLayout::Plain;
    // Reused from one execution to the next: a fresh 256 KiB allocation each
    // time cost more than all the drawing.
    static std::vector<std::uint8_t> image;
    const std::vector<std::uint8_t>& base = BaseImage(layout);
    image.assign(base.begin(), base.end());

    // Now and then a length one byte off either accepted length: refused.
    if ((layoutByte & 0x0E) == 0x0E) {
        image.resize((layoutByte & 0x10) ? image.size() + 1 : image.size() - 1);
        Check(WriteFile(ImagePath(), image), "the image file can be written");
        Check(LoadRomFile(ImagePath()).status == LoadResult::Status::BadSize, "a length off by one is refused");
        return 0;
    }

    const StageTable stages = *StagesForLength(image.size());
    const auto regions = RegionsFor(stages, stage, static_cast<std::int64_t>(image.size()));
    while (!in.empty()) {
        const Region& region = regions[static_cast<std::size_t>(in.byte() % regions.size())];
        const std::int64_t offset = region.length > 0 ? in.word() % region.length : 0;
        const std::size_t length = static_cast<std::size_t>(in.byte() % 32) + 1;
        const auto bytes = in.take(length);
        for (std::size_t i = 0; i < bytes.size() && offset + static_cast<std::int64_t>(i) < region.length; ++i)
            image[static_cast<std::size_t>(region.start + offset + static_cast<std::int64_t>(i))] = bytes[i];
    }

    const StageInfo& info = stages[static_cast<std::size_t>(stage)];
    const int maxRoom = ExpectedMaxRoom(image, info);
    const int room = roomSelector % (maxRoom + 1);
    const int block = page * 16 + cell;

    if constexpr (!throughWindow) {
        // The cheap path: the same checks and drawing, without whole-view redraws.
        static PictureBox* scratch = nullptr;
        static PictureBox* large = nullptr;
        if (scratch == nullptr) {
            scratch = new PictureBox(QStringLiteral("picSelectedTile"), 32, 32);
            large = new PictureBox(QStringLiteral("picTile"), 128, 128);
        }
        const auto accepted = StagesForLength(image.size());
        Check(accepted.has_value() && *accepted == stages, "an image of an accepted length is accepted");
        RomImage.assign(image);
        Stages = *accepted;
        CurrentStage = static_cast<std::int16_t>(stage);
        Check(MaxRoomInList(info, RomImage.bytes()) == maxRoom, "the room range ends at the list's highest room");
        const int row = (roomSelector >> 8) % kRoomRows;
        for (int c = 0; c < kRoomColumns; ++c) {
            const std::int64_t offset = RoomCellOffset(info, room, row, c);
            Check(RomImage.contains(offset), "every cell of a listed room lies inside the image");
            DrawBlock(*scratch, SourceOf(RomDocument::Program()), RomImage[offset], 2);
        }
        for (int b = page * 16 + (cell / 2) * 2; b < page * 16 + (cell / 2) * 2 + 2; ++b)
            DrawBlock(*scratch, SourceOf(RomDocument::Program()), b, 2);
        DrawBlock(*scratch, SourceOf(RomDocument::Program()), block, 2);
        DrawBlock(*large, SourceOf(RomDocument::Program()), block, 8);
        // memcmp, not a byte loop: the comparison hooks would otherwise see every byte.
        Check(std::memcmp(image.data(), RomImage.data(), image.size()) == 0,
              "drawing leaves every byte of the image as it was");
        return 0;
    }

    // Open it the way the program does.
    frmQuorvan* window = Window();
    Check(WriteFile(ImagePath(), image), "the image file can be written");
    Check(window->OpenFile(ImagePath()), "an image of an accepted length opens");
    Check(Stages == stages, "the offsets in effect match the image's length");

    // Choose the stage: room range, page 0 and room 0 drawn, palette editor reloaded.
    window->mnuStageSelect(stage)->trigger();
    Check(window->hLevel_Frames()->maximum() == maxRoom, "the room range ends at the list's highest room");
    Check(window->hLevel_Frames()->value() == 0 && window->hsTable()->value() == 0, "room 0 and page 0 after choosing");

    // One more room and one more page, then pick a block from that page.
    window->hLevel_Frames()->setValue(room);
    Check(window->Panel(2)->text() == ExpectedRoomText(room), "the status bar names the room drawn");
    window->hsTable()->setValue(page);
    emit window->picTile()->mouseDown(1, 0, (cell % 2) * 32 + 5, (cell / 2) * 32 + 7);
    Check(window->picSelectedTile()->Tag() == QString::number(block), "the picked block is selected");

    // Drawing never writes to the image.
    Check(RomImage.size() == image.size() && std::memcmp(image.data(), RomImage.data(), image.size()) == 0,
          "drawing leaves every byte of the image as it was");
    Check(!RomImage.modified(), "drawing marks nothing as changed");
    return 0;
}

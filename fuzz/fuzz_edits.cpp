// Sequences of edits from the fuzzer, driven through the real windows and
// mirrored in a small model of the image bytes written here.
//
// Each input opens a synthetic image (the first byte picks the layout and may
// raise the first room-list entry of every stage, so that rooms far into the
// image are reachable), chooses a stage, then runs one step per group of
// bytes: pick a block in the block table, place it in the level view (any
// mouse button, anywhere around the pictures; the right one picks the block
// under the pointer), switch stage, room or page,
// change a tile number, the palette option or the flags in the tile editor,
// choose another block there, select a palette swatch, pick a grid colour in
// the palette editor, or save. The model knows only the stage table's base
// values and the rules of each gesture. After every step the image must equal
// the model byte for byte (so no byte outside the edited offsets changed), the
// unsaved-change flag must follow the model, and a save must write exactly
// the model's bytes.

#include "FuzzSupport.h"

#include "data/modGlobals.h"
#include "ui/common/PictureBox.h"
#include "ui/main/frmQuorvan.h"
#include "ui/paletteedit/frmPaletteEditor.h"
#include "ui/tileedit/frmTileEdit.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>

using namespace quorvan;
using namespace quorvan::fuzz;

namespace {

// The model's own stage offsets, from the documented base values.
struct ModelStage {
    std::int64_t roomData, blockTiles, blockAttributes, palettes, roomList;
};

ModelStage ModelStageFor(int row, bool shifted)
{
    const std::int64_t bank = std::int64_t{row} * 0x2000;
    const std::int64_t shift = shifted ? 0x200 : 0;
    return {bank + 0x58 + shift, bank + 0x16D8 + shift, bank + 0x1AD8 + shift, bank + 0x10 + shift,
            bank + 0x30 + shift};
}

struct Model {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> saved; // as last opened or saved
    bool shifted = false;
    int stage = -1;
    int maxRoom = 0;
    int room = 0;
    int page = 0;
    int selected = -1;
    int swatch = 0;

    ModelStage offsets() const { return ModelStageFor(stage, shifted); }
    void write(std::int64_t offset, int value)
    {
        if (offset < 0 || offset >= static_cast<std::int64_t>(bytes.size()))
            return;
        auto& slot = bytes[static_cast<std::size_t>(offset)];
        slot = static_cast<std::uint8_t>(value);
    }
    // Unsaved changes: the image differs from what was last opened or saved
    // (an edit that puts every byte back clears the mark, like an undo).
    bool modified() const { return bytes != saved; }
    std::uint8_t at(std::int64_t offset) const { return bytes[static_cast<std::size_t>(offset)]; }
    void chooseStage(int row)
    {
        stage = row;
        const ModelStage s = offsets();
        maxRoom = 0;
        for (std::int64_t i = s.roomList; i < s.roomData; ++i)
            if (at(i) != 255)
                maxRoom = std::max<int>(maxRoom, at(i));
        room = 0;
        page = 0;
        selected = -1;
        swatch = 0;
    }
};

const QString& ImagePath()
{
    static const QString path = TemporaryPath(QStringLiteral("edits.nes"));
    return path;
}

std::vector<std::uint8_t> ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return {data.begin(), data.end()};
}

void Agree(const Model& model, const char* step)
{
    Check(RomImage.size() == model.bytes.size() &&
              std::equal(model.bytes.begin(), model.bytes.end(), RomImage.bytes().begin()),
          step);
    Check(RomImage.modified() == model.modified(), "the unsaved-change flag follows the edits and saves");
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
    const std::uint8_t first = in.byte();
    const std::uint8_t roomListByte = in.byte();

    Model model;
    model.shifted = (first & 1) != 0;
    model.bytes = BaseImage(model.shifted ? DemoLayout::Shifted : DemoLayout::Plain);
    if (first & 2) {
        // A longer room list: rooms up to 254, far past the stage's own bank.
        for (int row = 0; row < kMenuStages; ++row)
            model.bytes[static_cast<std::size_t>(ModelStageFor(row, model.shifted).roomList)] = roomListByte;
    }
    {
        QFile file(ImagePath());
        Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                  file.write(reinterpret_cast<const char*>(model.bytes.data()),
                             static_cast<qint64>(model.bytes.size())) == static_cast<qint64>(model.bytes.size()),
              "the image file can be written");
    }
    model.saved = model.bytes;
    frmQuorvan* window = Window();
    Check(window->OpenFile(ImagePath()), "the image opens");
    Agree(model, "opening gives the file's bytes");

    const auto chooseStage = [&](int row) {
        window->mnuStageSelect(row)->trigger();
        model.chooseStage(row);
        Check(window->hLevel_Frames()->maximum() == model.maxRoom, "the room range follows the room list");
    };
    chooseStage(in.below(kMenuStages));
    Agree(model, "choosing a stage writes nothing");

    int steps = 0;
    while (!in.empty() && steps++ < 64) {
        const int op = in.byte() % 12;
        switch (op) {
        case 0: { // pick a block in the table, any button, anywhere around it
            const int button = 1 << in.below(3);
            const int x = in.below(80) - 8;
            const int y = in.below(272) - 8;
            emit window->picTile()->mouseDown(button, 0, x, y);
            if (button == 1 && x >= 0 && y >= 0 && x < 64 && y < 256)
                model.selected = model.page * 16 + (y / 32) * 2 + x / 32;
            Check(window->picSelectedTile()->Tag() == QString::number(model.selected), "the selection follows picks");
            Agree(model, "picking writes nothing");
            break;
        }
        case 1: { // place the selected block (left) or pick the block under the pointer (right), anywhere around the view
            const int button = 1 << in.below(3);
            const int x = in.below(528) - 8;
            const int y = in.below(400) - 8;
            emit window->picEditor()->mouseDown(button, 0, x, y);
            const bool inView = x >= 0 && y >= 0 && x < 512 && y < 384;
            const std::int64_t cell = model.offsets().roomData + std::int64_t{model.room} * 192 + (y / 32) * 16 + x / 32;
            if (model.selected >= 0 && button == 1 && inView)
                model.write(cell, model.selected);
            if (button == 2 && inView && cell < static_cast<std::int64_t>(model.bytes.size())) {
                model.selected = model.at(cell);
                model.page = model.selected / 16;
            }
            Check(window->picSelectedTile()->Tag() == QString::number(model.selected),
                  "the selection follows the eyedropper");
            Agree(model, "placing writes the selected block into that cell only");
            break;
        }
        case 2: // switch stage
            chooseStage(in.below(kMenuStages));
            Agree(model, "choosing a stage writes nothing");
            break;
        case 3: { // switch room
            const int room = in.word() % (model.maxRoom + 1);
            window->hLevel_Frames()->setValue(room);
            model.room = room;
            Agree(model, "changing the room writes nothing");
            break;
        }
        case 4: { // switch page
            const int page = in.byte() % 16;
            window->hsTable()->setValue(page);
            model.page = page;
            Agree(model, "changing the page writes nothing");
            break;
        }
        case 5: { // a tile number in the tile editor
            frmTileEdit* editor = window->TileEdit();
            const int k = in.below(4);
            const int value = in.byte();
            const int block = editor->vsTile()->value();
            const bool fires = editor->hsTile(k)->value() != value;
            editor->hsTile(k)->setValue(value);
            if (fires)
                model.write(model.offsets().blockTiles + 4 * block + k, value);
            Agree(model, "a tile number is written to its own byte only");
            break;
        }
        case 6: { // a palette option in the tile editor
            frmTileEdit* editor = window->TileEdit();
            const int i = in.below(4);
            const int block = editor->vsTile()->value();
            const bool fires = !editor->optPal(i)->isChecked();
            editor->optPal(i)->click();
            const std::int64_t offset = model.offsets().blockAttributes + block;
            if (fires)
                model.write(offset, (model.at(offset) / 4) * 4 + i);
            Agree(model, "a palette number is written to the block's attribute byte only");
            break;
        }
        case 7: { // the flags in the tile editor
            frmTileEdit* editor = window->TileEdit();
            const int flags = in.below(64);
            const int block = editor->vsTile()->value();
            const bool fires = editor->cboFlags()->currentIndex() != flags;
            editor->cboFlags()->setCurrentIndex(flags);
            const std::int64_t offset = model.offsets().blockAttributes + block;
            if (fires)
                model.write(offset, flags * 4 + model.at(offset) % 4);
            Agree(model, "flags are written to the block's attribute byte only");
            break;
        }
        case 8: // another block in the tile editor
            window->TileEdit()->vsTile()->setValue(in.byte());
            Agree(model, "choosing a block in the tile editor writes nothing");
            break;
        case 9: { // select a swatch in the palette editor
            const int i = in.below(16);
            const int button = 1 << in.below(3);
            emit window->PaletteEditor()->picLoadedPal(i)->mouseDown(button, 0, 3, 3);
            if (button == 1)
                model.swatch = i;
            Check(window->PaletteEditor()->SelectedPal() == model.swatch, "the swatch follows left clicks");
            Agree(model, "selecting a swatch writes nothing");
            break;
        }
        case 10: { // pick a colour in the palette editor's grid, any button
            const int button = 1 << in.below(3);
            const int x = in.below(528) - 8;
            const int y = in.below(144) - 8;
            emit window->PaletteEditor()->picPalGrid()->mouseDown(button, 0, x, y);
            if (x >= 0 && y >= 0 && x < 512 && y < 128)
                model.write(model.offsets().palettes + model.swatch, (y / 32) * 16 + x / 32);
            Agree(model, "a colour pick writes the selected palette byte only");
            break;
        }
        case 11: // save
            window->mnuSave()->trigger();
            model.saved = model.bytes;
            Check(ReadFile(ImagePath()) == model.bytes, "a save writes exactly the edited image");
            Agree(model, "saving changes no byte of the image");
            break;
        default:
            break;
        }
    }
    return 0;
}

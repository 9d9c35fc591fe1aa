#include "graphics/StagePicture.h"

#include "data/Level.h"
#include "data/RomFile.h"
#include "graphics/BlockParts.h"
#include "graphics/NesColours.h"

#include <QBuffer>
#include <QImageWriter>

#include <array>
#include <vector>

namespace quorvan {

namespace {

constexpr int kRoomWidth = kRoomColumns * kBlockSide;
constexpr int kRoomHeight = kRoomRows * kBlockSide;

bool ExportScaleAllowed(int scale)
{
    return scale >= kMinExportScale && scale <= kMaxExportScale;
}

// The colours a composition can produce (the NES colours, each once, then the
// fault colour) and a small hash table from colour to index. Every composed
// pixel is one of them, so a lookup never misses; a miss would give the fault
// colour's index rather than a wrong colour.
class ColourIndex {
public:
    ColourIndex()
    {
        for (const std::uint32_t colour : kNesColours)
            Add(colour);
        Add(kFaultColour);
    }

    const QList<QRgb>& table() const { return table_; }

    std::uint8_t IndexOf(std::uint32_t colour) const
    {
        std::size_t slot = SlotOf(colour);
        while (used_[slot]) {
            if (keys_[slot] == colour)
                return values_[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        return faultIndex_;
    }

    // One row of composed pixels into indices.
    void Convert(const std::uint32_t* from, uchar* to, int count) const
    {
        // Rows come in runs of one colour; the last colour found is tried first.
        std::uint32_t last = from[0];
        std::uint8_t index = IndexOf(last);
        for (int i = 0; i < count; ++i) {
            if (from[i] != last) {
                last = from[i];
                index = IndexOf(last);
            }
            to[i] = index;
        }
    }

private:
    static constexpr std::size_t kSlots = 256;

    static std::size_t SlotOf(std::uint32_t colour)
    {
        return static_cast<std::size_t>(((colour & 0xFFFFFFu) * 0x9E3779B1u) >> 24) & (kSlots - 1);
    }

    void Add(std::uint32_t colour)
    {
        std::size_t slot = SlotOf(colour);
        while (used_[slot]) {
            if (keys_[slot] == colour)
                return; // the table lists some colours twice
            slot = (slot + 1) & (kSlots - 1);
        }
        used_[slot] = true;
        keys_[slot] = colour;
        values_[slot] = static_cast<std::uint8_t>(table_.size());
        if (colour == kFaultColour)
            faultIndex_ = values_[slot];
        table_.append(qRgb(qRed(colour), qGreen(colour), qBlue(colour)));
    }

    std::array<bool, kSlots> used_{};
    std::array<std::uint32_t, kSlots> keys_{};
    std::array<std::uint8_t, kSlots> values_{};
    std::uint8_t faultIndex_ = 0;
    QList<QRgb> table_;
};

const ColourIndex& Colours()
{
    static const ColourIndex colours;
    return colours;
}

// Rooms first..last side by side into a new indexed image: each room is
// composed into one reused 32-bit buffer, then turned into indices in place.
QImage ComposeRooms(const StageSource& source, int first, int last, int scale, RenderFaults& faults)
{
    if (!ExportScaleAllowed(scale) || first < 0 || last > 255 || first > last)
        return {};
    const int roomWidth = kRoomWidth * scale;
    const int height = kRoomHeight * scale;
    QImage picture((last - first + 1) * roomWidth, height, QImage::Format_Indexed8);
    if (picture.isNull())
        return {}; // too large for the memory there is
    const ColourIndex& colours = Colours();
    picture.setColorTable(colours.table());

    std::vector<std::uint32_t> room(static_cast<std::size_t>(roomWidth) * static_cast<std::size_t>(height));
    const PixelView view{room.data(), roomWidth, height, roomWidth};
    RenderFaults met;
    for (int r = first; r <= last; ++r) {
        if (!ComposeRoom(view, source, r, scale, met))
            return {};
        const int x = (r - first) * roomWidth;
        for (int y = 0; y < height; ++y)
            colours.Convert(room.data() + static_cast<std::ptrdiff_t>(y) * roomWidth, picture.scanLine(y) + x,
                            roomWidth);
    }
    faults += met;
    return picture;
}

} // namespace

int StageMapLastRoom(const StageSource& source)
{
    const int row = IsStageRow(source.stage) ? source.stage : 0;
    return MaxRoomInList(source.stages[static_cast<std::size_t>(row)], source.image);
}

QImage RoomPicture(const StageSource& source, int room, int scale, RenderFaults& faults)
{
    return ComposeRooms(source, room, room, scale, faults);
}

QImage StageMapPicture(const StageSource& source, int lastRoom, int scale, RenderFaults& faults)
{
    return ComposeRooms(source, 0, lastRoom, scale, faults);
}

std::optional<QByteArray> EncodePng(const QImage& image, QString* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Qt's scale of 0 to 100 for zlib's levels 0 to 9: 15 is level 1, which
    // takes a fifth of the default level's time for pictures under twice its size.
    writer.setCompression(15);
    if (!writer.write(image)) {
        if (error != nullptr)
            *error = writer.errorString();
        return std::nullopt;
    }
    return bytes;
}

std::optional<QString> WritePictureFile(const QString& path, const QByteArray& bytes)
{
    // Written as an image is saved: the whole file, replacing what is there, no backup.
    return SaveRomFile(path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                           static_cast<std::size_t>(bytes.size())));
}

} // namespace quorvan

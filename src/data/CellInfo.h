#pragma once
// The numbers a ROM hacker reads beside a hex editor: what lies under the
// pointer in the level view and in the block table, and where in the file.
//
//   Room 0A  X 3  Y 6  Block 35  @ 0x0083B
//   Block 35  Tiles 12 13 22 23  Pal 2  Flags 03  @ 0x017AC  used 14
//
// Room, column, row, block, tile and flag numbers and offsets are upper-case
// hexadecimal (offsets at least five digits after "0x"); the palette and the
// use count are decimal. Where the bytes lie past the end of the image the text
// says so instead of the numbers read from them.
//
// The texts are built in a fixed buffer, so that following the pointer
// allocates nothing until a text is shown.

#include "data/Stages.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorvan {

// A short Latin-1 text in a buffer of its own. Text past the capacity is cut.
class InfoText {
public:
    static constexpr std::size_t kCapacity = 96;

    std::string_view view() const { return {chars_.data(), length_}; }
    bool empty() const { return length_ == 0; }
    void clear() { length_ = 0; }
    QString toQString() const { return QString::fromLatin1(chars_.data(), static_cast<qsizetype>(length_)); }

    InfoText& Add(std::string_view text);
    // Upper-case hexadecimal, at least `digits` digits.
    InfoText& Hex(std::uint64_t value, int digits);
    InfoText& Decimal(std::uint64_t value);

    bool operator==(const InfoText& other) const { return view() == other.view(); }

private:
    std::array<char, kCapacity> chars_{};
    std::size_t length_ = 0;
};

inline constexpr std::string_view kPastTheEnd = "past the end of the image";

// Room `room`, column `column`, row `row` of the stage: the block stored there
// and the offset of that byte.
InfoText RoomCellInfo(std::span<const std::uint8_t> image, const StageInfo& stage, int room, int row, int column);

// Block `block` (0..255) of the stage: its four tile numbers, the palette and
// flag parts of its attribute byte, the offset of its first tile byte, and
// how many cells of the stage's rooms hold it (`uses`).
InfoText BlockInfo(std::span<const std::uint8_t> image, const StageInfo& stage, int block, int uses);

// A rectangle of `columns` x `rows` selected cells whose top-left cell is at
// `column`, `row`: "Selection 3 \xD7 2 at X 4 Y 6" (sizes in decimal, the
// position as the cells' texts give it).
InfoText SelectionInfo(int columns, int rows, int column, int row);

} // namespace quorvan

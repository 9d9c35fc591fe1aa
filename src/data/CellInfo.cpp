#include "data/CellInfo.h"

#include "data/Level.h"

#include <algorithm>
#include <optional>

namespace quorvan {

InfoText& InfoText::Add(std::string_view text)
{
    const std::size_t n = std::min(text.size(), kCapacity - length_);
    std::copy_n(text.data(), n, chars_.data() + length_);
    length_ += n;
    return *this;
}

InfoText& InfoText::Hex(std::uint64_t value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::array<char, 16> reversed{};
    int n = 0;
    do {
        reversed[static_cast<std::size_t>(n++)] = kDigits[value & 0xFu];
        value >>= 4;
    } while (value != 0 && n < 16);
    while (n < digits && n < 16)
        reversed[static_cast<std::size_t>(n++)] = '0';
    std::array<char, 16> text{};
    for (int i = 0; i < n; ++i)
        text[static_cast<std::size_t>(i)] = reversed[static_cast<std::size_t>(n - 1 - i)];
    return Add({text.data(), static_cast<std::size_t>(n)});
}

InfoText& InfoText::Decimal(std::uint64_t value)
{
    std::array<char, 20> reversed{};
    std::size_t n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::array<char, 20> text{};
    for (std::size_t i = 0; i < n; ++i)
        text[i] = reversed[n - 1 - i];
    return Add({text.data(), n});
}

namespace {

constexpr int kOffsetDigits = 5;

std::optional<std::uint8_t> ByteAt(std::span<const std::uint8_t> image, std::int64_t offset)
{
    if (offset < 0 || offset >= static_cast<std::int64_t>(image.size()))
        return std::nullopt;
    return image[static_cast<std::size_t>(offset)];
}

} // namespace

InfoText RoomCellInfo(std::span<const std::uint8_t> image, const StageInfo& stage, int room, int row, int column)
{
    InfoText text;
    text.Add("Room ").Hex(static_cast<std::uint64_t>(room), 2);
    text.Add("  X ").Hex(static_cast<std::uint64_t>(column), 1);
    text.Add("  Y ").Hex(static_cast<std::uint64_t>(row), 1);
    const std::int64_t offset = RoomCellOffset(stage, room, row, column);
    const std::optional<std::uint8_t> block = ByteAt(image, offset);
    if (!block)
        return text.Add("  ").Add(kPastTheEnd);
    text.Add("  Block ").Hex(*block, 2);
    text.Add("  @ 0x").Hex(static_cast<std::uint64_t>(offset), kOffsetDigits);
    return text;
}

InfoText BlockInfo(std::span<const std::uint8_t> image, const StageInfo& stage, int block, int uses)
{
    InfoText text;
    text.Add("Block ").Hex(static_cast<std::uint64_t>(block & 0xFF), 2);
    const std::int64_t tiles = std::int64_t{stage.BlockTiles} + 4 * std::int64_t{block};
    const std::int64_t attributeOffset = std::int64_t{stage.BlockAttributes} + block;
    std::array<std::optional<std::uint8_t>, 4> tile{};
    bool inside = true;
    for (int k = 0; k < 4; ++k) {
        tile[static_cast<std::size_t>(k)] = ByteAt(image, tiles + k);
        inside = inside && tile[static_cast<std::size_t>(k)].has_value();
    }
    const std::optional<std::uint8_t> attribute = ByteAt(image, attributeOffset);
    if (!inside || !attribute) {
        text.Add("  ").Add(kPastTheEnd);
    } else {
        text.Add("  Tiles");
        for (const auto& number : tile)
            text.Add(" ").Hex(*number, 2);
        text.Add("  Pal ").Decimal(*attribute % 4u);
        text.Add("  Flags ").Hex(*attribute / 4u, 2);
        text.Add("  @ 0x").Hex(static_cast<std::uint64_t>(tiles), kOffsetDigits);
    }
    text.Add("  used ").Decimal(static_cast<std::uint64_t>(std::max(uses, 0)));
    return text;
}

InfoText SelectionInfo(int columns, int rows, int column, int row)
{
    InfoText text;
    text.Add("Selection ").Decimal(static_cast<std::uint64_t>(std::max(columns, 0)));
    text.Add(" \xD7 ").Decimal(static_cast<std::uint64_t>(std::max(rows, 0)));
    text.Add(" at X ").Hex(static_cast<std::uint64_t>(std::max(column, 0)), 1);
    text.Add(" Y ").Hex(static_cast<std::uint64_t>(std::max(row, 0)), 1);
    return text;
}

} // namespace quorvan

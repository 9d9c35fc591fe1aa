#include "data/RomBuffer.h"

#include <algorithm>
#include <utility>

namespace quorvan {

bool RomBuffer::write(std::int64_t offset, std::uint8_t value)
{
    if (!contains(offset))
        return false;
    auto& slot = bytes_[static_cast<std::size_t>(offset)];
    const std::uint8_t before = slot;
    if (before == value)
        return true;
    slot = value;
    // The flag is set before the write observers hear of the change, so that
    // one that finds the image back at its saved state may clear it again.
    setModified(true);
    // Copy: an observer may add or remove observers.
    const auto observers = writeObservers_;
    for (const auto& [id, observer] : observers)
        observer(offset, before, value);
    return true;
}

void RomBuffer::replace(std::vector<std::uint8_t> bytes)
{
    bytes_ = std::move(bytes);
    setModified(false);
}

void RomBuffer::assign(std::span<const std::uint8_t> bytes)
{
    bytes_.assign(bytes.begin(), bytes.end());
    setModified(false);
}

void RomBuffer::clear()
{
    bytes_.clear();
    setModified(false);
}

void RomBuffer::markSaved()
{
    setModified(false);
}

int RomBuffer::addWriteObserver(WriteObserver observer)
{
    const int id = nextObserverId_++;
    writeObservers_.emplace_back(id, std::move(observer));
    return id;
}

int RomBuffer::addModifiedObserver(std::function<void(bool)> observer)
{
    const int id = nextObserverId_++;
    modifiedObservers_.emplace_back(id, std::move(observer));
    return id;
}

void RomBuffer::removeObserver(int id)
{
    std::erase_if(writeObservers_, [id](const auto& entry) { return entry.first == id; });
    std::erase_if(modifiedObservers_, [id](const auto& entry) { return entry.first == id; });
}

void RomBuffer::setModified(bool modified)
{
    if (modified_ == modified)
        return;
    modified_ = modified;
    const auto observers = modifiedObservers_;
    for (const auto& [id, observer] : observers)
        observer(modified);
}

} // namespace quorvan

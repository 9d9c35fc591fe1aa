#include "data/RomBuffer.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace quorvan {

namespace {

int NextObserverId()
{
    static std::atomic<int> next{1};
    return next++;
}

} // namespace

template <typename Observer, typename... Args>
void RomBuffer::Tell(const std::vector<std::pair<int, Observer>>& observers, Args... args)
{
    // Copy: an observer may add or remove observers.
    const auto copy = observers;
    for (const auto& [id, observer] : copy)
        observer(args...);
}

bool RomBuffer::write(std::int64_t offset, std::uint8_t value)
{
    if (!contains(offset))
        return false;
    const auto index = static_cast<std::size_t>(offset);
    const std::uint8_t before = bytes_[index];
    if (before == value)
        return true;
    const bool wasModified = modified();
    bytes_[index] = value;
    const std::uint8_t saved = saved_[index];
    if (before == saved)
        ++differing_;
    else if (value == saved)
        --differing_;
    // The modified state is settled before the write observers hear of the change.
    if (modified() != wasModified)
        Tell(modifiedObservers_, modified());
    Tell(writeObservers_, offset, before, value);
    return true;
}

void RomBuffer::replace(std::vector<std::uint8_t> bytes)
{
    const bool wasModified = modified();
    bytes_ = std::move(bytes);
    TakeAsSaved();
    if (wasModified)
        Tell(modifiedObservers_, false);
    Tell(replaceObservers_);
}

void RomBuffer::assign(std::span<const std::uint8_t> bytes)
{
    const bool wasModified = modified();
    bytes_.assign(bytes.begin(), bytes.end());
    TakeAsSaved();
    if (wasModified)
        Tell(modifiedObservers_, false);
    Tell(replaceObservers_);
}

void RomBuffer::markSaved()
{
    const bool wasModified = modified();
    TakeAsSaved();
    if (wasModified)
        Tell(modifiedObservers_, false);
}

void RomBuffer::TakeAsSaved()
{
    saved_.assign(bytes_.begin(), bytes_.end());
    differing_ = 0;
}

int RomBuffer::addWriteObserver(WriteObserver observer)
{
    const int id = NextObserverId();
    writeObservers_.emplace_back(id, std::move(observer));
    return id;
}

int RomBuffer::addModifiedObserver(std::function<void(bool)> observer)
{
    const int id = NextObserverId();
    modifiedObservers_.emplace_back(id, std::move(observer));
    return id;
}

int RomBuffer::addReplaceObserver(std::function<void()> observer)
{
    const int id = NextObserverId();
    replaceObservers_.emplace_back(id, std::move(observer));
    return id;
}

void RomBuffer::removeObserver(int id)
{
    const auto matches = [id](const auto& entry) { return entry.first == id; };
    std::erase_if(writeObservers_, matches);
    std::erase_if(modifiedObservers_, matches);
    std::erase_if(replaceObservers_, matches);
}

void RomBuffer::removeAllObservers()
{
    writeObservers_.clear();
    modifiedObservers_.clear();
    replaceObservers_.clear();
}

} // namespace quorvan

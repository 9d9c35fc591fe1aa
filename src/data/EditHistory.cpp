#include "data/EditHistory.h"

#include <algorithm>
#include <utility>

namespace quorvan {

EditHistory::EditHistory(RomBuffer& image) : image_(image)
{
    writeObserver_ = image_.addWriteObserver(
        [this](std::int64_t offset, std::uint8_t before, std::uint8_t after) { OnWrite(offset, before, after); });
    modifiedObserver_ = image_.addModifiedObserver([this](bool modified) { OnModified(modified); });
    opened_.assign(image_.bytes().begin(), image_.bytes().end());
    saved_ = opened_;
}

EditHistory::~EditHistory()
{
    image_.removeObserver(writeObserver_);
    image_.removeObserver(modifiedObserver_);
}

void EditHistory::Reset()
{
    steps_.clear();
    applied_ = 0;
    open_.clear();
    openIndex_.clear();
    depth_ = 0;
    opened_.assign(image_.bytes().begin(), image_.bytes().end());
    TakeCurrentAsSaved();
}

void EditHistory::MarkSaved()
{
    TakeCurrentAsSaved();
}

void EditHistory::TakeCurrentAsSaved()
{
    saved_.assign(image_.bytes().begin(), image_.bytes().end());
    differing_ = 0;
    SyncModifiedFlag();
    Notify();
}

void EditHistory::BeginStep()
{
    ++depth_;
}

void EditHistory::EndStep()
{
    if (depth_ == 0)
        return;
    if (--depth_ == 0)
        CloseStep();
}

bool EditHistory::Undo()
{
    if (depth_ > 0 || !open_.empty()) {
        depth_ = 0;
        CloseStep();
    }
    if (applied_ == 0)
        return false;
    --applied_;
    Apply(steps_[applied_], false);
    Notify();
    return true;
}

bool EditHistory::Redo()
{
    if (depth_ > 0 || !open_.empty()) {
        // A new edit is being gathered: it will replace what could be redone.
        return false;
    }
    if (applied_ >= steps_.size())
        return false;
    Apply(steps_[applied_], true);
    ++applied_;
    Notify();
    return true;
}

void EditHistory::Apply(const Step& step, bool forward)
{
    applying_ = true;
    if (forward) {
        for (const Change& change : step)
            image_.write(change.offset, change.after);
    } else {
        for (auto it = step.rbegin(); it != step.rend(); ++it)
            image_.write(it->offset, it->before);
    }
    applying_ = false;
}

void EditHistory::OnWrite(std::int64_t offset, std::uint8_t before, std::uint8_t after)
{
    if (saved_.size() != image_.size()) {
        // The image was replaced behind this history's back: start again from
        // the image as it was just before this write.
        steps_.clear();
        applied_ = 0;
        open_.clear();
        openIndex_.clear();
        opened_.assign(image_.bytes().begin(), image_.bytes().end());
        opened_[static_cast<std::size_t>(offset)] = before;
        saved_ = opened_;
        differing_ = 0;
    }

    const std::uint8_t saved = saved_[static_cast<std::size_t>(offset)];
    if (before == saved && after != saved)
        ++differing_;
    else if (before != saved && after == saved && differing_ > 0)
        --differing_;

    if (!applying_)
        Record(offset, before, after);
    SyncModifiedFlag();
    if (!applying_)
        Notify();
}

void EditHistory::OnModified(bool modified)
{
    if (syncing_ || modified)
        return;
    // Someone else declared the image saved, or replaced or cleared it.
    if (image_.size() != opened_.size())
        Reset();
    else
        TakeCurrentAsSaved();
}

void EditHistory::Record(std::int64_t offset, std::uint8_t before, std::uint8_t after)
{
    const auto found = openIndex_.find(offset);
    if (found != openIndex_.end()) {
        // The same byte again within one step: keep its first value.
        open_[found->second].after = after;
    } else {
        openIndex_.emplace(offset, open_.size());
        open_.push_back({offset, before, after});
    }
    if (depth_ == 0)
        CloseStep();
}

void EditHistory::CloseStep()
{
    Step step;
    step.reserve(open_.size());
    std::copy_if(open_.begin(), open_.end(), std::back_inserter(step),
                 [](const Change& change) { return change.before != change.after; });
    open_.clear();
    openIndex_.clear();
    if (!step.empty()) {
        // A new step replaces whatever could have been redone.
        steps_.resize(applied_);
        steps_.push_back(std::move(step));
        applied_ = steps_.size();
    }
    Notify();
}

void EditHistory::SyncModifiedFlag()
{
    if (differing_ != 0 || !image_.modified())
        return;
    syncing_ = true;
    image_.markSaved();
    syncing_ = false;
}

void EditHistory::Notify()
{
    if (listener_)
        listener_();
}

} // namespace quorvan

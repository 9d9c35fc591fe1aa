#include "data/EditHistory.h"

#include <algorithm>
#include <utility>

namespace quorvan {

EditHistory::EditHistory(RomBuffer& image) : image_(image)
{
    observers_.push_back(image_.addWriteObserver(
        [this](std::int64_t offset, std::uint8_t before, std::uint8_t after) { OnWrite(offset, before, after); }));
    // The clean state is the buffer's; listeners hear of its changes from here too.
    observers_.push_back(image_.addModifiedObserver([this](bool) { Notify(); }));
    // A new image replaced the old one: its steps no longer apply.
    observers_.push_back(image_.addReplaceObserver([this] { Forget(); }));
    opened_.assign(image_.bytes().begin(), image_.bytes().end());
}

EditHistory::~EditHistory()
{
    for (const int id : observers_)
        image_.removeObserver(id);
}

void EditHistory::Reset()
{
    Forget();
    MarkSaved();
}

void EditHistory::MarkSaved()
{
    image_.markSaved();
    // Saved in the middle of a step that changed something: no position holds
    // that state (unless the step ends where it began, which Settle finds).
    saved_ = OpenStepChanges() ? std::nullopt : std::optional<std::size_t>(applied_);
    Notify();
}

void EditHistory::setClock(Clock clock)
{
    clock_ = std::move(clock);
}

QString EditHistory::stepName(std::size_t index) const
{
    return index < steps_.size() ? steps_[index].label.name : QString();
}

void EditHistory::Forget()
{
    steps_.clear();
    applied_ = 0;
    open_.clear();
    openIndex_.clear();
    openLabel_ = {};
    openMerge_ = {};
    depth_ = 0;
    saved_ = 0; // the new bytes are taken as saved
    tail_.reset();
    opened_.assign(image_.bytes().begin(), image_.bytes().end());
    Notify();
}

void EditHistory::BeginStep()
{
    ++depth_;
}

void EditHistory::BeginStep(const QString& name, const EditPlace& place)
{
    ++depth_;
    if (openLabel_.name.isEmpty())
        openLabel_ = {name, place};
}

void EditHistory::BeginStep(const QString& name, const EditPlace& place, const StepMerge& merge)
{
    if (depth_ == 0)
        openMerge_ = merge;
    BeginStep(name, place);
}

void EditHistory::NameStep(const QString& name, const EditPlace& place)
{
    if (depth_ > 0)
        openLabel_ = {name, place};
}

bool EditHistory::OpenStepChanges() const
{
    return std::any_of(open_.begin(), open_.end(), [](const Change& change) { return change.before != change.after; });
}

QString EditHistory::undoName() const
{
    if (OpenStepChanges())
        return openLabel_.name;
    return applied_ > 0 ? steps_[applied_ - 1].label.name : QString();
}

EditPlace EditHistory::undoPlace() const
{
    if (OpenStepChanges())
        return openLabel_.place;
    return applied_ > 0 ? steps_[applied_ - 1].label.place : EditPlace{};
}

QString EditHistory::redoName() const
{
    return canRedo() ? steps_[applied_].label.name : QString();
}

EditPlace EditHistory::redoPlace() const
{
    return canRedo() ? steps_[applied_].label.place : EditPlace{};
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
    Apply(steps_[applied_].changes, false);
    tail_.reset();
    Settle();
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
    Apply(steps_[applied_].changes, true);
    ++applied_;
    tail_.reset();
    Settle();
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
    if (applying_)
        return;
    Record(offset, before, after);
    Notify();
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
    Label label = std::exchange(openLabel_, Label{});
    const StepMerge merge = std::exchange(openMerge_, StepMerge{});
    if (!step.empty()) {
        const auto now = merge.key.isEmpty() ? std::chrono::steady_clock::time_point{} : Now();
        bool kept = true;
        if (MergesWithLast(merge, now)) {
            kept = MergeIntoLast(step);
        } else {
            // A new step replaces whatever could have been redone, the saved
            // position among it.
            steps_.resize(applied_);
            if (saved_ && *saved_ > applied_)
                saved_.reset();
            steps_.push_back({std::move(step), std::move(label)});
            applied_ = steps_.size();
        }
        if (merge.key.isEmpty() || !kept)
            tail_.reset();
        else
            tail_ = MergeTail{merge.key, now};
    }
    Settle();
}

std::chrono::steady_clock::time_point EditHistory::Now() const
{
    return clock_ ? clock_() : std::chrono::steady_clock::now();
}

bool EditHistory::MergesWithLast(const StepMerge& merge, std::chrono::steady_clock::time_point now) const
{
    // Only into the step just closed, still the last one, and not into the
    // state the file holds: that position must stay as it was saved.
    return !merge.key.isEmpty() && tail_ && tail_->key == merge.key && applied_ > 0 &&
           applied_ == steps_.size() && saved_ != applied_ && now >= tail_->closed &&
           now - tail_->closed <= merge.window;
}

bool EditHistory::MergeIntoLast(const Step& step)
{
    Step& last = steps_.back().changes;
    std::unordered_map<std::int64_t, std::size_t> index;
    for (std::size_t k = 0; k < last.size(); ++k)
        index.emplace(last[k].offset, k);
    for (const Change& change : step) {
        const auto found = index.find(change.offset);
        if (found != index.end()) {
            // The value before the first merged change stays what undo restores.
            last[found->second].after = change.after;
        } else {
            index.emplace(change.offset, last.size());
            last.push_back(change);
        }
    }
    std::erase_if(last, [](const Change& change) { return change.before == change.after; });
    if (!last.empty())
        return true;
    // Clicked back to where it began: no step at all.
    steps_.pop_back();
    --applied_;
    return false;
}

void EditHistory::Settle()
{
    // A position where the image is unmodified again holds what the file holds.
    if (!image_.modified())
        saved_ = applied_;
    Notify();
}

void EditHistory::Notify()
{
    if (listener_)
        listener_();
}

} // namespace quorvan

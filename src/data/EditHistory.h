#pragma once
// Undo and redo of edits of an image, and the record of its saved state.
//
// The history watches every write to its RomBuffer and groups the changed
// bytes into steps. A write outside BeginStep()/EndStep() is a step of its
// own; the writes between BeginStep() and the matching EndStep() (they nest)
// form one step, so that one user gesture, e.g. dragging a scroll bar, is
// undone at once. Undo and redo put the bytes back through RomBuffer::write.
//
// It also keeps the image as it was opened (the start of the history). Whether
// the image has unsaved changes is the RomBuffer's to say; the history only
// asks it.

#include "data/RomBuffer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <unordered_map>
#include <vector>

namespace quorvan {

class EditHistory {
public:
    // One changed byte of a step: its value before the step and after it.
    struct Change {
        std::int64_t offset = 0;
        std::uint8_t before = 0;
        std::uint8_t after = 0;
    };
    using Step = std::vector<Change>;

    // Starts watching `image`; its bytes now are taken as opened.
    explicit EditHistory(RomBuffer& image);
    ~EditHistory();
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // A new image was opened: forget every step and take the image as it is
    // now as both the opened and the saved state.
    void Reset();
    // The image as it is now is what the file holds (after a successful save).
    void MarkSaved() { image_.markSaved(); }

    // Group the writes up to the matching EndStep() into one step. An EndStep()
    // without a BeginStep() does nothing.
    void BeginStep();
    void EndStep();
    bool inStep() const { return depth_ > 0; }

    bool canUndo() const { return applied_ > 0 || !open_.empty(); }
    bool canRedo() const { return applied_ < steps_.size() && open_.empty(); }
    std::size_t undoCount() const { return applied_; }
    std::size_t redoCount() const { return steps_.size() - applied_; }

    // Take back the last step / do again the last step taken back. An open
    // group is closed first. Return false (and change nothing) when there is
    // nothing to undo or redo.
    bool Undo();
    bool Redo();

    // True while the image equals the saved copy.
    bool isClean() const { return !image_.modified(); }
    // The image as it was opened.
    std::span<const std::uint8_t> openedBytes() const { return opened_; }

    // Called after every change of what canUndo(), canRedo() or isClean()
    // report (and possibly more often).
    void setListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void OnWrite(std::int64_t offset, std::uint8_t before, std::uint8_t after);
    void Forget();
    void Record(std::int64_t offset, std::uint8_t before, std::uint8_t after);
    void CloseStep();
    void Apply(const Step& step, bool forward);
    void Notify();

    RomBuffer& image_;
    std::vector<int> observers_;

    std::vector<Step> steps_;
    std::size_t applied_ = 0; // steps_[0 .. applied_) are in effect
    Step open_;               // the step being gathered
    std::unordered_map<std::int64_t, std::size_t> openIndex_; // offset -> index in open_
    int depth_ = 0;
    bool applying_ = false;   // undo/redo writing: record nothing

    std::vector<std::uint8_t> opened_;

    std::function<void()> listener_;
};

// Groups the writes made during its lifetime into one step of `history`.
class EditStep {
public:
    explicit EditStep(EditHistory& history) : history_(history) { history_.BeginStep(); }
    ~EditStep() { history_.EndStep(); }
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

private:
    EditHistory& history_;
};

} // namespace quorvan

#pragma once
// Undo and redo of edits of an image, and the record of its saved state.
//
// The history watches every write to its RomBuffer and groups the changed
// bytes into steps. A write outside BeginStep()/EndStep() is a step of its
// own; the writes between BeginStep() and the matching EndStep() (they nest)
// form one step, so that one user gesture, e.g. dragging a scroll bar, is
// undone at once. Undo and redo put the bytes back through RomBuffer::write.
//
// Whoever begins a step may give it a name ("Place Block", "Colour") and the
// place where the change is (stage row, room, block), so that the Edit menu
// can say what Undo and Redo will do and the window can show the change. In
// nested steps the first name given wins (the outermost gesture); NameStep()
// renames the step being gathered. A write outside any step is a step without
// name or place.
//
// A step may be begun with a merge key and a time window (StepMerge): when it
// closes within that window after the step before it closed, with the same
// key, and nothing came between (another step, an undo, a redo, a save), its
// changes join that step, which then still undoes to the values before the
// first of them. So twenty clicks on one arrow are one step. The clock is
// injectable (setClock) so that tests need not wait.
//
// It also keeps the image as it was opened (the start of the history). Whether
// the image has unsaved changes is the RomBuffer's to say; the history only
// asks it. The history knows which of its positions (a number of steps
// applied, 0 being the image as opened) holds what the file holds: the one
// where the image was last opened or saved (MarkSaved), or later the last one
// reached where the image is unmodified again.

#include "data/RomBuffer.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace quorvan {

// Where an edit happened: the stage row, the room, the block and the tile it
// changed; -1 for each that does not apply (a colour has a stage but no room
// or block, a patch has none of them).
struct EditPlace {
    int stage = -1;
    int room = -1;
    int block = -1;
    int tile = -1;
    bool operator==(const EditPlace&) const = default;
};

// How a step may merge into the step before it: with the same non-empty key,
// when it closes at most `window` after that one closed. No key: never.
struct StepMerge {
    QString key;
    std::chrono::milliseconds window{0};
};

class EditHistory {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

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
    void MarkSaved();

    // Group the writes up to the matching EndStep() into one step. An EndStep()
    // without a BeginStep() does nothing. A name and place given here are kept
    // unless the step already has a name.
    void BeginStep();
    void BeginStep(const QString& name, const EditPlace& place = {});
    // The same, for a step that may merge into the one before; only the
    // outermost BeginStep of a group decides whether the group may merge.
    void BeginStep(const QString& name, const EditPlace& place, const StepMerge& merge);
    void EndStep();
    bool inStep() const { return depth_ > 0; }
    // Renames the step being gathered (a click that became a drag); does
    // nothing outside a step.
    void NameStep(const QString& name, const EditPlace& place);

    bool canUndo() const { return applied_ > 0 || !open_.empty(); }
    bool canRedo() const { return applied_ < steps_.size() && open_.empty(); }
    std::size_t undoCount() const { return applied_; }
    std::size_t redoCount() const { return steps_.size() - applied_; }

    // The name and place of the step Undo / Redo would take back / do again:
    // empty and {-1, -1, -1, -1} when there is none or it has none. While a step is
    // being gathered, Undo takes back that one.
    QString undoName() const;
    EditPlace undoPlace() const;
    QString redoName() const;
    EditPlace redoPlace() const;

    // The recorded steps, oldest first: how many there are and each one's name
    // (empty for a step without one); undoCount() of them are applied. A step
    // being gathered is not among them until it closes.
    std::size_t stepCount() const { return steps_.size(); }
    QString stepName(std::size_t index) const;
    // The number of applied steps at which the image is what its file holds,
    // or none when no position of the history is (the steps after the saved
    // one were replaced by others, or the image was saved in the middle of a
    // step).
    std::optional<std::size_t> savedPosition() const { return saved_; }

    // Where merging steps read the time; an empty function restores the
    // steady clock.
    void setClock(Clock clock);

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
    bool OpenStepChanges() const; // the step being gathered changes some byte
    std::chrono::steady_clock::time_point Now() const;
    bool MergesWithLast(const StepMerge& merge, std::chrono::steady_clock::time_point now) const;
    bool MergeIntoLast(const Step& step); // false: the merged step changes nothing and went
    void Apply(const Step& step, bool forward);
    void Settle(); // the history is at a position: notes a clean one as saved, tells the listener
    void Notify();

    struct Label {
        QString name;
        EditPlace place;
    };
    struct Recorded {
        Step changes;
        Label label;
    };

    RomBuffer& image_;
    std::vector<int> observers_;

    std::vector<Recorded> steps_;
    std::size_t applied_ = 0; // steps_[0 .. applied_) are in effect
    Step open_;               // the step being gathered
    Label openLabel_;         // its name and place
    StepMerge openMerge_;     // how it may merge (the outermost BeginStep's)
    std::unordered_map<std::int64_t, std::size_t> openIndex_; // offset -> index in open_
    int depth_ = 0;
    bool applying_ = false;   // undo/redo writing: record nothing
    std::optional<std::size_t> saved_ = 0; // the position the file holds

    // The last step closed, while another step may still merge into it.
    struct MergeTail {
        QString key;
        std::chrono::steady_clock::time_point closed;
    };
    std::optional<MergeTail> tail_;
    Clock clock_;

    std::vector<std::uint8_t> opened_;

    std::function<void()> listener_;
};

// Groups the writes made during its lifetime into one step of `history`,
// named and placed when given.
class EditStep {
public:
    explicit EditStep(EditHistory& history) : history_(history) { history_.BeginStep(); }
    EditStep(EditHistory& history, const QString& name, const EditPlace& place = {}) : history_(history)
    {
        history_.BeginStep(name, place);
    }
    EditStep(EditHistory& history, const QString& name, const EditPlace& place, const StepMerge& merge)
        : history_(history)
    {
        history_.BeginStep(name, place, merge);
    }
    ~EditStep() { history_.EndStep(); }
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

private:
    EditHistory& history_;
};

} // namespace quorvan

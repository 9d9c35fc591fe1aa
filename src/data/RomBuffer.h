#pragma once
// The open cartridge image, byte for byte.
//
// Reads are free; every write goes through write(), which refuses offsets
// outside the image and is the one place where change tracking hooks in.
//
// The buffer also keeps the bytes as they were last saved (or opened), and so
// knows whether the image has unsaved changes: it is modified exactly while
// its bytes differ from that copy, whichever way they got there. This is the
// one record of unsaved changes in the program.
//
// A buffer is not copyable: observers (an undo history, a document) hold on
// to one particular buffer.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace quorvan {

class RomBuffer {
public:
    // Called after every write that changed a byte: offset, old value, new value.
    using WriteObserver = std::function<void(std::int64_t offset, std::uint8_t before, std::uint8_t after)>;

    RomBuffer() = default;
    RomBuffer(const RomBuffer&) = delete;
    RomBuffer& operator=(const RomBuffer&) = delete;

    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    std::span<const std::uint8_t> bytes() const { return bytes_; }
    const std::uint8_t* data() const { return bytes_.data(); }

    // True when [offset, offset + length) lies inside the image.
    bool contains(std::int64_t offset, std::int64_t length = 1) const
    {
        return offset >= 0 && length >= 0 && offset <= static_cast<std::int64_t>(bytes_.size()) - length;
    }

    // The byte at offset, or 0 when the offset lies outside the image.
    std::uint8_t at(std::int64_t offset) const { return contains(offset) ? bytes_[static_cast<std::size_t>(offset)] : 0; }
    std::uint8_t operator[](std::int64_t offset) const { return at(offset); }

    // The one write function. Returns false (and changes nothing) for an offset
    // outside the image. A write of the value already there changes nothing and
    // does not count as an edit.
    bool write(std::int64_t offset, std::uint8_t value);

    // Replaces the whole image (a successful Open): the new bytes are taken as
    // saved, so the image is unmodified afterwards.
    void replace(std::vector<std::uint8_t> bytes);
    // The same with a copy of the bytes, reusing the storage already held.
    void assign(std::span<const std::uint8_t> bytes);

    // Unsaved changes: true while the bytes differ from the saved copy.
    bool modified() const { return differing_ != 0; }
    // The bytes as they are now are what the file holds (after a successful save).
    void markSaved();
    // The bytes as last saved or opened.
    std::span<const std::uint8_t> savedBytes() const { return saved_; }

    // Observers are told of every changed byte, of every change of the
    // modified state, and after every replacement of the whole image. Ids are
    // unique within the program, so an id never names another buffer's observer.
    int addWriteObserver(WriteObserver observer);
    int addModifiedObserver(std::function<void(bool)> observer);
    int addReplaceObserver(std::function<void()> observer);
    void removeObserver(int id);
    // Forgets every observer (the document starting afresh).
    void removeAllObservers();

private:
    void TakeAsSaved();
    template <typename Observer, typename... Args>
    static void Tell(const std::vector<std::pair<int, Observer>>& observers, Args... args);

    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> saved_;
    std::size_t differing_ = 0; // bytes that differ from saved_
    std::vector<std::pair<int, WriteObserver>> writeObservers_;
    std::vector<std::pair<int, std::function<void(bool)>>> modifiedObservers_;
    std::vector<std::pair<int, std::function<void()>>> replaceObservers_;
};

} // namespace quorvan

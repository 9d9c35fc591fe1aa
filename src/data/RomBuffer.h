#pragma once
// The open cartridge image, byte for byte.
//
// Reads are free; every write goes through write(), which refuses offsets
// outside the image and is the one place where change tracking hooks in.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quorvan {

class RomBuffer {
public:
    // Called after every write that changed a byte: offset, old value, new value.
    using WriteObserver = std::function<void(std::int64_t offset, std::uint8_t before, std::uint8_t after)>;

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

    // Replaces the whole image (a successful Open) and clears the modified flag.
    void replace(std::vector<std::uint8_t> bytes);
    // The same with a copy of the bytes, reusing the storage already held.
    void assign(std::span<const std::uint8_t> bytes);
    void clear();

    // Unsaved changes: set by a write that changed a byte (before the write
    // observers are told), cleared by replace() and markSaved().
    bool modified() const { return modified_; }
    void markSaved();

    // Observers are told of every changed byte and of every change of the modified flag.
    int addWriteObserver(WriteObserver observer);
    int addModifiedObserver(std::function<void(bool)> observer);
    void removeObserver(int id);

private:
    void setModified(bool modified);

    std::vector<std::uint8_t> bytes_;
    bool modified_ = false;
    int nextObserverId_ = 1;
    std::vector<std::pair<int, WriteObserver>> writeObservers_;
    std::vector<std::pair<int, std::function<void(bool)>>> modifiedObservers_;
};

} // namespace quorvan

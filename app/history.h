// The document's undo history: each change is one entry (where, what was
// removed, what was inserted), in the units the panes count positions in
// (bytes, or UTF-16 units where the panes keep UTF-16). Typing at one place
// merges into one entry; the oldest entries go beyond a budget of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

struct EditEntry {
    std::size_t start;      // in units
    std::string removed;    // the units' bytes
    std::string inserted;
    bool typing;            // one character typed, which the next may join
    std::uint64_t time;     // milliseconds, of the last character joined
};

class EditHistory {
public:
    explicit EditHistory(std::size_t unitSize = 1, std::uint64_t budget = 64ull << 20)
        : unitSize_(unitSize), budget_(budget) {}

    // A new, empty history in these units (an open starts one); the text
    // now is the saved one.
    void Reset(std::size_t unitSize);

    // A change at `start`: `removed` became `inserted` (bytes of units),
    // at `time`. A character typed (`typing`: one character, no line break,
    // nothing removed) right after the one before, within a second, joins
    // its entry. Entries ahead of the present are dropped. False, and the
    // history empty, when memory ran out.
    bool Record(std::size_t start, const std::string& removed, const std::string& inserted, bool typing,
                std::uint64_t time);

    bool CanUndo() const { return present_ > 0; }
    bool CanRedo() const { return present_ < entries_.size(); }
    // The entry to take back (its inserted units become its removed ones),
    // or to make again; the present moves past it. Call only when possible.
    const EditEntry& Undo();
    const EditEntry& Redo();

    // The next change starts an entry of its own (the caret moved, or a save).
    void Seal() { sealed_ = true; }
    // The text now is the one last opened or saved.
    void MarkSaved()
    {
        saved_ = static_cast<long long>(present_);
        sealed_ = true;
    }
    bool AtSaved() const { return saved_ == static_cast<long long>(present_); }

    std::size_t Count() const { return entries_.size(); }
    std::uint64_t Bytes() const { return bytes_; }

private:
    void DropAhead();
    void KeepWithinBudget();
    std::size_t unitSize_;
    std::uint64_t budget_;
    std::deque<EditEntry> entries_;
    std::size_t present_ = 0;  // entries applied
    long long saved_ = 0;      // entries applied when the text was saved; -1: out of reach
    bool sealed_ = true;
    std::uint64_t bytes_ = 0;
};

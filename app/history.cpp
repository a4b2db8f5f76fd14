#include "app/history.h"

#include <new>

void EditHistory::Reset(std::size_t unitSize)
{
    unitSize_ = unitSize;
    entries_.clear();
    present_ = 0;
    saved_ = 0;
    sealed_ = true;
    bytes_ = 0;
}

void EditHistory::DropAhead()
{
    while (entries_.size() > present_) {
        bytes_ -= entries_.back().removed.size() + entries_.back().inserted.size();
        entries_.pop_back();
    }
    if (saved_ > static_cast<long long>(present_))
        saved_ = -1;  // the saved text was ahead: no step reaches it now
}

// The oldest entries go while the rest exceed the budget; one entry larger
// than the budget stays as the only one.
void EditHistory::KeepWithinBudget()
{
    while (bytes_ > budget_ && entries_.size() > 1 && present_ > 0) {
        bytes_ -= entries_.front().removed.size() + entries_.front().inserted.size();
        entries_.pop_front();
        --present_;
        saved_ = saved_ > 0 ? saved_ - 1 : -1;
    }
}

bool EditHistory::Record(std::size_t start, const std::string& removed, const std::string& inserted, bool typing,
                         std::uint64_t time)
{
    try {
        DropAhead();
        if (typing && !sealed_ && !entries_.empty()) {
            EditEntry& last = entries_.back();
            if (last.typing && start == last.start + last.inserted.size() / unitSize_ && time - last.time < 1000) {
                last.inserted += inserted;
                last.time = time;
                bytes_ += inserted.size();
                KeepWithinBudget();
                return true;
            }
        }
        entries_.push_back(EditEntry{start, removed, inserted, typing, time});
        ++present_;
        bytes_ += removed.size() + inserted.size();
        sealed_ = !typing;
        KeepWithinBudget();
        return true;
    } catch (const std::bad_alloc&) {
        Reset(unitSize_);
        saved_ = -1;
        return false;
    }
}

const EditEntry& EditHistory::Undo()
{
    sealed_ = true;
    return entries_[--present_];
}

const EditEntry& EditHistory::Redo()
{
    sealed_ = true;
    return entries_[present_++];
}

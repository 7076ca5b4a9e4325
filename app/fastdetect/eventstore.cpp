#include "fastdetect/eventstore.h"

#include "keys/numbertext.h"

#include <algorithm>

namespace tunedeck {

void EventStore::clear()
{
    entries_.clear();
    head_ = 0;
    sorted_ = true;
}

bool EventStore::add(qint32 time, qint32 code)
{
    if (count() >= Capacity || time < 0 || code < 0 || code > 9999999)
        return false;
    if (entries_.empty())
        entries_.reserve(Capacity);
    // Sorting once before the first read gives the order of a list kept sorted on insertion.
    if (sorted_ && entries_.size() > head_ && Entry{time, code} < entries_.back())
        sorted_ = false;
    entries_.push_back({time, code});
    return true;
}

bool EventStore::isEmpty() const { return head_ >= entries_.size(); }

int EventStore::count() const { return static_cast<int>(entries_.size() - head_); }

void EventStore::sortIfNeeded()
{
    if (!sorted_) {
        std::stable_sort(entries_.begin() + static_cast<std::ptrdiff_t>(head_), entries_.end());
        sorted_ = true;
    }
}

const EventStore::Entry &EventStore::front()
{
    sortIfNeeded();
    return entries_[head_];
}

void EventStore::removeFront()
{
    sortIfNeeded();
    if (head_ < entries_.size())
        ++head_;
}

QString EventStore::entryText(const Entry &e)
{
    return zeroPadded(e.time, 10) + QLatin1Char(':') + zeroPadded(e.code, 7);
}

} // namespace tunedeck

// One of the two sorted event stores of fast detection.
#ifndef TUNEDECK_EVENTSTORE_H
#define TUNEDECK_EVENTSTORE_H

#include <QString>
#include <QtGlobal>

#include <vector>

namespace tunedeck {

// Entries order as their 18-character texts "tttttttttt:ccccccc" would: by tick time, then
// by event tag. Both fields are non-negative and fixed-width, so comparing the numbers
// gives the same order as comparing the texts, without building them.
class EventStore {
public:
    static constexpr int Capacity = 32000;

    struct Entry {
        qint32 time;
        qint32 code;
        friend bool operator<(const Entry &a, const Entry &b)
        {
            return a.time != b.time ? a.time < b.time : a.code < b.code;
        }
    };

    void clear();
    // Refused when full or when a field does not fit its width (negative, or a code
    // of more than seven digits).
    bool add(qint32 time, qint32 code);
    bool isEmpty() const;
    int count() const;
    const Entry &front();
    void removeFront();

    // The stored text of an entry.
    static QString entryText(const Entry &e);

private:
    void sortIfNeeded();
    std::vector<Entry> entries_;
    std::size_t head_ = 0;
    bool sorted_ = true;
};

} // namespace tunedeck

#endif

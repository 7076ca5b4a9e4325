// The start-up check of the key-detection library, and its test log: the window's only
// calls into the library that are no run.
#ifndef TUNEDECK_QT_RUN_LIBRARYCHECK_H
#define TUNEDECK_QT_RUN_LIBRARYCHECK_H

#include <QString>

#include <cstdint>
#include <optional>

namespace tunedeck {

class TonalyteEngine;

class LibraryCheck {
public:
    explicit LibraryCheck(TonalyteEngine &library) : library_(library) {}

    // The library's version, nothing when it is missing or of another version (problem()
    // then says what the binding met, if anything).
    std::optional<std::int32_t> version();
    QString problem() const;
    // The library's test log, switched by the key-signature label.
    void setTestLog(bool on);

private:
    TonalyteEngine &library_;
};

} // namespace tunedeck

#endif

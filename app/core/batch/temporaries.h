// The temporary files being written at this moment, for a signal handler to remove before
// the process ends: a copy's half-written file must not outlive an interrupted run.
#ifndef TUNEDECK_CORE_BATCH_TEMPORARIES_H
#define TUNEDECK_CORE_BATCH_TEMPORARIES_H

#include <string>

namespace tunedeck::batch {

// Holds one temporary file's name in the table while it lives; a name too long for the table,
// or one past its few places (more writers at once than a run has), is not held.
class HeldTemporary {
public:
    explicit HeldTemporary(const std::string &path);
    ~HeldTemporary();
    HeldTemporary(const HeldTemporary &) = delete;
    HeldTemporary &operator=(const HeldTemporary &) = delete;

private:
    int place_ = -1;
};

// Removes every file the table holds. Async-signal-safe: a handler of SIGINT or SIGTERM calls
// it and then lets the signal end the process.
void removeTemporaries() noexcept;

} // namespace tunedeck::batch

#endif

#include "core/batch/temporaries.h"

#include <atomic>
#include <cstring>

#ifdef _WIN32
#include <cstdio>
#else
#include <unistd.h>
#endif

namespace tunedeck::batch {

namespace {

// A place is taken (Filling), then its name becomes visible to the handler (Held). Only
// lock-free atomics and a fixed buffer: nothing a handler reads is ever allocated or freed.
enum State : int { Free, Filling, Held };

struct Place {
    std::atomic<int> state{Free};
    char path[4096];
};

constexpr int Places = 16;
Place places[Places];

static_assert(std::atomic<int>::is_always_lock_free);

} // namespace

HeldTemporary::HeldTemporary(const std::string &path)
{
    if (path.size() >= sizeof places[0].path)
        return;
    for (int i = 0; i < Places; ++i) {
        int expected = Free;
        if (places[i].state.compare_exchange_strong(expected, Filling)) {
            std::memcpy(places[i].path, path.c_str(), path.size() + 1);
            places[i].state.store(Held);
            place_ = i;
            return;
        }
    }
}

HeldTemporary::~HeldTemporary()
{
    if (place_ >= 0)
        places[place_].state.store(Free);
}

void removeTemporaries() noexcept
{
    for (Place &place : places)
        if (place.state.load() == Held) {
#ifdef _WIN32
            std::remove(place.path);
#else
            ::unlink(place.path);
#endif
        }
}

} // namespace tunedeck::batch

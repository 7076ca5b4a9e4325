// The profile analysis' key shown at a moment of a play or listening: the local key of the
// whole-file analysis at a play's position, or the listening tracker's reading.
#ifndef TUNEDECK_CORE_PROFILE_SHOWNKEY_H
#define TUNEDECK_CORE_PROFILE_SHOWNKEY_H

#include "core/profile/profiletracker.h"

#include <cstdint>
#include <optional>

namespace tunedeck::profile {

struct ShownKey {
    ProfileReading reading;   // the key, its confidence, and whether it is sure
    std::int64_t fromBar = 0; // the bar the local key began at; 0 for the tracker's reading
    bool listened = false;    // the tracker's reading where a play's analysis holds nothing
    std::optional<int> keyFifths; // the signature a score writes a play's key with there
    friend bool operator==(const ShownKey &, const ShownKey &) = default;
};

} // namespace tunedeck::profile

#endif

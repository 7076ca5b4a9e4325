// What builds up from the note events for the key analysis: per window of a few beats, how
// long each pitch class sounded and how long it was the lowest sounding note. It takes
// events as they come, so a live caller adds the new ones and analyses again.
#ifndef TUNEDECK_CORE_PROFILE_KEYWORKSPACE_H
#define TUNEDECK_CORE_PROFILE_KEYWORKSPACE_H

#include "core/base/noteevent.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tunedeck::profile {

struct WindowDurations {
    std::array<std::int64_t, 12> sounding{}; // ticks, once for every note sounding
    std::array<std::int64_t, 12> bass{};     // ticks as the lowest sounding note
};

class KeyWorkspace {
public:
    // Longer pieces get longer windows (twice as long, as often as needed), which keeps
    // memory and analysis time bounded whatever the ticks of a file.
    static constexpr std::size_t MaxWindows = 1 << 12;

    explicit KeyWorkspace(int ticksPerQuarter = 480, int windowQuarters = 8);

    // Events in ascending tick order; an earlier tick counts as the latest one. A note
    // sounds from its note-on to the note-off of the same channel and note; a note still
    // sounding counts up to the latest event.
    void add(const NoteEvent &event);
    void add(std::span<const NoteEvent> events);
    void clear();

    const std::vector<WindowDurations> &windows() const { return windows_; }
    std::int64_t windowTicks() const { return windowTicks_; }
    int ticksPerQuarter() const { return ticksPerQuarter_; }
    std::int64_t lastTick() const { return tick_; }
    std::size_t eventCount() const { return events_; }
    // Pitch class of the lowest note at the last moment something sounded; -1 before any.
    int finalBass() const { return finalBass_; }

private:
    void advance(std::int64_t to);
    void addSpan(std::int64_t from, std::int64_t to, int bass);
    void halveWindowCount();

    int ticksPerQuarter_;
    std::int64_t baseWindowTicks_;
    std::int64_t windowTicks_;
    std::vector<WindowDurations> windows_;
    std::int64_t tick_ = 0;
    std::size_t events_ = 0;
    int finalBass_ = -1;

    std::array<std::array<std::uint32_t, 128>, 16> open_{}; // notes on, per channel and note
    std::array<std::int64_t, 128> noteCount_{};             // per note, all channels
    std::array<std::int64_t, 12> pcCount_{};
    std::array<std::uint64_t, 2> soundingNotes_{};          // bit per note sounding
    std::int64_t soundingCount_ = 0;
};

} // namespace tunedeck::profile

#endif

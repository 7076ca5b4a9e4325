// What builds up from the note events for the key analysis: per window of a few beats, how
// long each pitch class sounded and how long it was the lowest sounding note. It takes
// events as they come, so a live caller adds the new ones and analyses again.
#ifndef TUNEDECK_PROFILE_KEYWORKSPACE_H
#define TUNEDECK_PROFILE_KEYWORKSPACE_H

#include "base/noteevent.h"

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

    const std::vector<WindowDurations> &windows() const { return m_windows; }
    std::int64_t windowTicks() const { return m_windowTicks; }
    int ticksPerQuarter() const { return m_ticksPerQuarter; }
    std::int64_t lastTick() const { return m_tick; }
    std::size_t eventCount() const { return m_events; }
    // Pitch class of the lowest note at the last moment something sounded; -1 before any.
    int finalBass() const { return m_finalBass; }

private:
    void advance(std::int64_t to);
    void addSpan(std::int64_t from, std::int64_t to, int bass);
    void halveWindowCount();

    int m_ticksPerQuarter;
    std::int64_t m_baseWindowTicks;
    std::int64_t m_windowTicks;
    std::vector<WindowDurations> m_windows;
    std::int64_t m_tick = 0;
    std::size_t m_events = 0;
    int m_finalBass = -1;

    std::array<std::array<std::uint32_t, 128>, 16> m_open{}; // notes on, per channel and note
    std::array<std::int64_t, 128> m_noteCount{};             // per note, all channels
    std::array<std::int64_t, 12> m_pcCount{};
    std::array<std::uint64_t, 2> m_soundingNotes{};          // bit per note sounding
    std::int64_t m_soundingCount = 0;
};

} // namespace tunedeck::profile

#endif

#include "profile/keyworkspace.h"

#include <algorithm>
#include <bit>

namespace tunedeck::profile {

KeyWorkspace::KeyWorkspace(int ticksPerQuarter, int windowQuarters)
    : m_ticksPerQuarter(std::max(ticksPerQuarter, 1)),
      m_baseWindowTicks(std::int64_t(m_ticksPerQuarter) * std::max(windowQuarters, 1)),
      m_windowTicks(m_baseWindowTicks)
{
}

void KeyWorkspace::clear()
{
    const std::int64_t base = m_baseWindowTicks;
    const int ticksPerQuarter = m_ticksPerQuarter;
    *this = KeyWorkspace();
    m_ticksPerQuarter = ticksPerQuarter;
    m_baseWindowTicks = m_windowTicks = base;
}

void KeyWorkspace::add(std::span<const NoteEvent> events)
{
    for (const NoteEvent &e : events)
        add(e);
}

void KeyWorkspace::add(const NoteEvent &e)
{
    ++m_events;
    advance(e.tick);
    const int note = e.note & 0x7F;
    std::uint32_t &open = m_open[e.channel & 0x0F][std::size_t(note)];
    if (e.on) {
        if (open == UINT32_MAX)
            return;
        ++open;
    } else {
        // A note-off with nothing to end changes nothing.
        if (open == 0)
            return;
        --open;
    }
    const int step = e.on ? 1 : -1;
    m_noteCount[std::size_t(note)] += step;
    m_pcCount[std::size_t(note % 12)] += step;
    m_soundingCount += step;
    const std::uint64_t bit = std::uint64_t(1) << (note & 63);
    if (m_noteCount[std::size_t(note)] > 0)
        m_soundingNotes[std::size_t(note >> 6)] |= bit;
    else
        m_soundingNotes[std::size_t(note >> 6)] &= ~bit;
}

void KeyWorkspace::advance(std::int64_t to)
{
    if (to <= m_tick)
        return;
    if (m_soundingCount > 0) {
        const int low = m_soundingNotes[0] ? std::countr_zero(m_soundingNotes[0])
                                           : 64 + std::countr_zero(m_soundingNotes[1]);
        m_finalBass = low % 12;
        addSpan(m_tick, to, m_finalBass);
    }
    m_tick = to;
}

void KeyWorkspace::addSpan(std::int64_t from, std::int64_t to, int bass)
{
    while (std::size_t((to - 1) / m_windowTicks) >= MaxWindows)
        halveWindowCount();
    const std::size_t last = std::size_t((to - 1) / m_windowTicks);
    if (m_windows.size() <= last)
        m_windows.resize(last + 1);
    // Split at the window edges so each window gets the part of the span inside it.
    for (std::size_t w = std::size_t(from / m_windowTicks); from < to; ++w) {
        const std::int64_t end = std::min(to, std::int64_t(w + 1) * m_windowTicks);
        const std::int64_t ticks = end - from;
        WindowDurations &d = m_windows[w];
        for (std::size_t pc = 0; pc < 12; ++pc)
            d.sounding[pc] += std::int64_t(m_pcCount[pc]) * ticks;
        d.bass[std::size_t(bass)] += ticks;
        from = end;
    }
}

void KeyWorkspace::halveWindowCount()
{
    m_windowTicks *= 2;
    for (std::size_t w = 0; 2 * w < m_windows.size(); ++w) {
        WindowDurations merged = m_windows[2 * w];
        if (2 * w + 1 < m_windows.size())
            for (std::size_t pc = 0; pc < 12; ++pc) {
                merged.sounding[pc] += m_windows[2 * w + 1].sounding[pc];
                merged.bass[pc] += m_windows[2 * w + 1].bass[pc];
            }
        m_windows[w] = merged;
    }
    m_windows.resize((m_windows.size() + 1) / 2);
}

} // namespace tunedeck::profile

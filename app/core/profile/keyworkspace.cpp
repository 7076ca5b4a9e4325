#include "core/profile/keyworkspace.h"

#include <algorithm>
#include <bit>

namespace tunedeck::profile {

KeyWorkspace::KeyWorkspace(int ticksPerQuarter, int windowQuarters)
    : ticksPerQuarter_(std::max(ticksPerQuarter, 1)),
      baseWindowTicks_(std::int64_t(ticksPerQuarter_) * std::max(windowQuarters, 1)),
      windowTicks_(baseWindowTicks_)
{
}

void KeyWorkspace::clear()
{
    const std::int64_t base = baseWindowTicks_;
    const int ticksPerQuarter = ticksPerQuarter_;
    *this = KeyWorkspace();
    ticksPerQuarter_ = ticksPerQuarter;
    baseWindowTicks_ = windowTicks_ = base;
}

void KeyWorkspace::add(std::span<const NoteEvent> events)
{
    for (const NoteEvent &e : events)
        add(e);
}

void KeyWorkspace::add(const NoteEvent &e)
{
    ++events_;
    advance(e.tick);
    const int note = e.note & 0x7F;
    std::uint32_t &open = open_[e.channel & 0x0F][std::size_t(note)];
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
    noteCount_[std::size_t(note)] += step;
    pcCount_[std::size_t(note % 12)] += step;
    soundingCount_ += step;
    const std::uint64_t bit = std::uint64_t(1) << (note & 63);
    if (noteCount_[std::size_t(note)] > 0)
        soundingNotes_[std::size_t(note >> 6)] |= bit;
    else
        soundingNotes_[std::size_t(note >> 6)] &= ~bit;
}

void KeyWorkspace::advance(std::int64_t to)
{
    if (to <= tick_)
        return;
    if (soundingCount_ > 0) {
        const int low = soundingNotes_[0] ? std::countr_zero(soundingNotes_[0])
                                           : 64 + std::countr_zero(soundingNotes_[1]);
        finalBass_ = low % 12;
        addSpan(tick_, to, finalBass_);
    }
    tick_ = to;
}

void KeyWorkspace::addSpan(std::int64_t from, std::int64_t to, int bass)
{
    while (std::size_t((to - 1) / windowTicks_) >= MaxWindows)
        halveWindowCount();
    const std::size_t last = std::size_t((to - 1) / windowTicks_);
    if (windows_.size() <= last)
        windows_.resize(last + 1);
    // Split at the window edges so each window gets the part of the span inside it.
    for (std::size_t w = std::size_t(from / windowTicks_); from < to; ++w) {
        const std::int64_t end = std::min(to, std::int64_t(w + 1) * windowTicks_);
        const std::int64_t ticks = end - from;
        WindowDurations &d = windows_[w];
        for (std::size_t pc = 0; pc < 12; ++pc)
            d.sounding[pc] += std::int64_t(pcCount_[pc]) * ticks;
        d.bass[std::size_t(bass)] += ticks;
        from = end;
    }
}

void KeyWorkspace::halveWindowCount()
{
    windowTicks_ *= 2;
    for (std::size_t w = 0; 2 * w < windows_.size(); ++w) {
        WindowDurations merged = windows_[2 * w];
        if (2 * w + 1 < windows_.size())
            for (std::size_t pc = 0; pc < 12; ++pc) {
                merged.sounding[pc] += windows_[2 * w + 1].sounding[pc];
                merged.bass[pc] += windows_[2 * w + 1].bass[pc];
            }
        windows_[w] = merged;
    }
    windows_.resize((windows_.size() + 1) / 2);
}

} // namespace tunedeck::profile

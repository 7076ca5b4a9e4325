// Where a tick of the analysis stands in a written analysis: its measure line, the beat in
// the meter's own beats (the dotted quarter in 6/8, 3/8, 9/8 and 12/8), and the meter. A
// score's measures as printed; a MIDI file's bars as the chord analysis counts them.
#ifndef TUNEDECK_CORE_ROMANTEXT_ROMANPLACES_H
#define TUNEDECK_CORE_ROMANTEXT_ROMANPLACES_H

#include "core/chords/chordanalysis.h"
#include "core/score/score.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tunedeck::romantext {

struct Meter {
    int beats = 4;
    int beatType = 4;
    friend bool operator==(const Meter &, const Meter &) = default;
};

// The meter's beat in quarter notes: three of its notes in a compound meter, one otherwise.
double beatQuarters(const Meter &meter);

struct Place {
    std::size_t line = 0;     // measures on one line (a split bar's halves) share it
    std::int64_t measure = 1; // the line's number, a pickup's 0
    double beat = 1;          // from 1
    Meter meter;
};

class MeasurePlaces {
public:
    // The score's measures as printed: a pickup is measure 0 (also where the score counts it
    // as 1), a split bar ("4" and "4a", "19" and an unnumbered one) is one line, and a short
    // measure that ends a bar starts on its beat.
    MeasurePlaces(const score::ScoreLayout &layout, int ticksPerQuarter);
    // The bars the chords are numbered in (a MIDI file's), in one meter.
    MeasurePlaces(Meter meter, const chords::ChordClock &bars);

    Place at(std::int64_t tick) const;
    // The other way: the tick of a beat of a measure line, for a written analysis read back;
    // which: the line of that number, 1 for the second (a second ending numbered as the
    // first). Nothing for a measure the score does not have, or without printed measures.
    std::optional<std::int64_t> tickOf(std::int64_t measure, double beat, int which = 0) const;
    // The score's end: the last measure's.
    std::int64_t endTick() const { return end_; }
    const Meter &firstMeter() const { return first_; }

private:
    struct Bar {
        std::int64_t tick = 0;
        std::int64_t offset = 0; // ticks of its line before it
        std::size_t line = 0;
        std::int64_t measure = 1;
        Meter meter;
    };
    std::vector<Bar> bars_;
    chords::ChordClock clock_; // bars of one length, when there are no printed ones
    int ticksPerQuarter_ = 480;
    Meter first_;
    std::int64_t end_ = 0;
};

} // namespace tunedeck::romantext

#endif

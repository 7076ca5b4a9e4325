// What single elements of a part say, read without the reader's state: the element's kind by
// its name, meters, endings, metronome marks, steps and keys.
#ifndef TUNEDECK_CORE_SCORE_PARTELEMENTS_H
#define TUNEDECK_CORE_SCORE_PARTELEMENTS_H

#include "core/score/score.h"

#include <optional>
#include <vector>

#include <pugixml.hpp>

namespace tunedeck::score {

// The elements the reader acts on, in a measure and in a note; any other is Other. Told
// apart by their first letter and one compare, as a score has tens of thousands of them.
enum class Tag {
    Other,
    // a measure's children
    Note, Backup, Forward, Attributes, Direction, Sound, Barline,
    // a note's children
    Pitch, Unpitched, Duration, Voice, Staff, Instrument, Tie, Notations, Grace, Chord, Rest, Cue,
    // a pitch's or an unpitched note's children
    Step, Octave, Alter, DisplayStep, DisplayOctave,
};
Tag tagOf(const char *name);

// Semitones above C of a step A..G, or -1.
int stepSemitones(char step);

// A written key moved by a transposition of `chromatic` semitones, in fifths from -6 to 6.
int concertFifths(int fifths, int chromatic);

// The <time>'s meter ("3+2" beats are five; composite meters summed over the largest beat
// type); none for senza misura or a meter without beats.
std::optional<TimeSignature> timeOf(const pugi::xml_node &time);

// The passes an ending's number names ("1, 2").
std::vector<int> endingNumbers(const char *text);

// A jump a direction writes only in words: "D.C. al Fine", "D.S. al Coda", "Fine", "To Coda",
// "Coda". Read by their letters alone in any case, so dots and spaces are as a writer pleases;
// the words of a direction are read together ("D.S." and "al Fine" in two).
enum class WrittenJump { None, DaCapo, DalSegno, Fine, ToCoda, Coda };
WrittenJump writtenJump(const pugi::xml_node &direction);

// A metronome mark's rate in quarters a minute.
std::optional<double> metronomeQuarters(const pugi::xml_node &metronome);

} // namespace tunedeck::score

#endif

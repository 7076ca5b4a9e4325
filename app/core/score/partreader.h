// One <part> of a partwise score read measure by measure, each place relative to its
// measure's start, before the parts are laid out on one time line.
#ifndef TUNEDECK_CORE_SCORE_PARTREADER_H
#define TUNEDECK_CORE_SCORE_PARTREADER_H

#include "core/score/fraction.h"
#include "core/score/score.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace tunedeck::score {

struct ReadNote {
    Fraction onset;    // quarters from the measure's start
    Fraction duration; // quarters
    int pitch = 60;    // concert pitch
    Spelling spelling;
    int voice = 1;
    int staff = 1;
    bool tieStart = false;
    bool tieStop = false;
};

struct ReadTempo {
    Fraction onset;
    double quartersPerMinute = 120.0;
};

// The repeat signs at a measure's barlines, the ending it belongs to, and the jumps marked in
// it. A jump's label is the <sound> attribute's value; a segno sign without a sound has none.
struct Barlines {
    bool forward = false;        // a forward repeat at its left
    int backwardTimes = 0;       // a backward repeat at its right: played this often in all
    std::vector<int> endingStart; // an ending starts here, for these passes
    bool endingStop = false;     // an ending stops (or is discontinued) here
    std::optional<std::string> segno;    // a segno: where a dal segno goes
    std::optional<std::string> coda;     // the coda: where a "to coda" goes
    std::optional<std::string> toCoda;   // at its end, on the last pass, to the coda
    std::optional<std::string> dalSegno; // at its end, back to the segno
    bool daCapo = false;                 // at its end, back to the start
    bool fine = false;                   // after a jump, the music ends with it
    bool codaSign = false;               // a coda sign without a sound: the coda or "to coda"
    bool toCodaWords = false;            // "To Coda" in words without a sound
    bool codaWords = false;              // "Coda" in words without a sound
};

struct ReadMeasure {
    std::string number;
    bool implicit = false;
    Fraction extent; // the furthest place a voice reached
    std::vector<ReadNote> notes;
    std::vector<ReadTempo> tempos;
    std::optional<TimeSignature> time; // its tick unused: at the measure's start
    std::optional<KeySignature> key;   // concert key: a transposing part's written key moved
    Barlines barlines;
    bool unpitched = false; // it sounds unpitched notes
};

// What the part list says of a part's instruments: a General MIDI program, and the pitch an
// unpitched note of each instrument sounds.
struct Instruments {
    std::optional<int> program;
    bool drums = false;
    std::map<std::string, int> unpitched; // instrument id to MIDI note
};

// Where an element of a measure stands as the reader counts: the place before it, the
// divisions then, and for a note that takes its own time (not a chord's second note, not a
// grace note) its staff.
struct ElementPlace {
    pugi::xml_node node;
    Fraction at;          // quarters from the measure's start
    Fraction perDivision; // quarters a division
    bool startsNote = false;
    int staff = 1;
};
using MeasurePlaces = std::vector<ElementPlace>;

// Reads the <part> element; throws ScoreError for what no score can mean (divisions 0, a
// negative duration, a backup before the measure's start). With `places`, also where each
// element of each measure stands (what is written into a score).
std::vector<ReadMeasure> readPart(const pugi::xml_node &part, const Instruments &instruments,
                                  std::vector<MeasurePlaces> *places = nullptr);

} // namespace tunedeck::score

#endif

// A score as read from MusicXML: its parts in score order, each note at 480 ticks a quarter
// at concert pitch with its spelling as written, the measures as printed, tempo, meters and
// key signatures.
#ifndef TUNEDECK_CORE_SCORE_SCORE_H
#define TUNEDECK_CORE_SCORE_SCORE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tunedeck::score {

inline constexpr int TicksPerQuarter = 480;

// How a note is written: step 'C'..'B', alter in semitones (0.5 for a quarter tone), octave
// as written (before any transposition to concert pitch). Unpitched notes keep their
// display step and octave.
struct Spelling {
    char step = 'C';
    double alter = 0.0;
    int octave = 4;
};

// "F#4", "Bb3", "C##5": the step, its accidentals (the alter to the semitone, halves up),
// the written octave.
std::string spelledName(const Spelling &spelling);

struct Note {
    std::int64_t tick = 0;     // onset from the start of the score
    std::int64_t duration = 0; // ticks, ties merged
    int pitch = 60;            // MIDI number at concert pitch
    Spelling spelling;
    int voice = 1;
    int staff = 1;
    std::size_t measure = 0;   // index into Score::measures of its onset
};

struct Part {
    std::string id;   // the part's id in the file
    std::string name; // its printed name, empty when none
    int program = 0;  // General MIDI program 0..127
    bool drums = false; // unpitched percussion, played on channel 10
    std::vector<Note> notes; // in onset order, then pitch
};

struct Measure {
    std::string number;     // as printed ("0" for many pickups, "12a", "X1")
    std::int64_t tick = 0;  // its start
    std::int64_t length = 0;
    bool implicit = false;  // not counted when measures are numbered (pickups, split bars)
};

struct Tempo {
    std::int64_t tick = 0;
    double quartersPerMinute = 120.0;
};

struct TimeSignature {
    std::int64_t tick = 0;
    int beats = 4;
    int beatType = 4;
};

struct KeySignature {
    std::int64_t tick = 0;
    int fifths = 0;     // -7..7: flats negative
    bool minor = false;
};

struct PlacedScore; // scoreplaces.h

struct Score {
    std::vector<Part> parts;
    std::vector<Measure> measures; // in playing order; once each unless repeats are unfolded
    std::vector<Tempo> tempos;     // in tick order, one a tick
    std::vector<TimeSignature> times;
    std::vector<KeySignature> keys;
    // The first measure is shorter than its meter: the music starts on an upbeat.
    bool pickup = false;
    // With ReadOptions::keepPlaces (repeats as written, UTF-8): its text and where its first
    // and last parts' elements stand, for writing into the score.
    std::shared_ptr<const PlacedScore> placed;
    std::string title;    // the work's and the movement's titles, empty when it names none
    std::string composer; // the creator of type "composer", empty when none
};

// What a written analysis of the score names beside the notes: its title and composer, the
// measures as printed and the meters. It travels with the open file, as its spelling does.
struct ScoreLayout {
    std::string title;
    std::string composer;
    std::vector<Measure> measures;
    std::vector<TimeSignature> times;
    bool pickup = false;
};
ScoreLayout layoutOf(const Score &score);

} // namespace tunedeck::score

#endif

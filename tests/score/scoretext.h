// Small partwise scores written by the tests.
#ifndef TUNEDECK_TESTS_SCORE_SCORETEXT_H
#define TUNEDECK_TESTS_SCORE_SCORETEXT_H

#include "core/score/score.h"

#include <string>
#include <vector>

namespace tunedeck::score::test {

// A score of one part P1 holding these measures; a measure without a number attribute
// written as "<measure>" gets none.
inline std::string onePart(const std::string &measures, const std::string &scorePart = "<part-name>Piano</part-name>")
{
    return "<?xml version=\"1.0\"?>\n<score-partwise version=\"4.0\"><part-list><score-part id=\"P1\">" + scorePart
           + "</score-part></part-list><part id=\"P1\">" + measures + "</part></score-partwise>";
}

// A note: pitch or rest text ("C4", "F#4", "Bb3", "Ebb5", "rest"), its duration in
// divisions, and any more elements inside <note> (the reader takes them in any order).
inline std::string note(const std::string &what, int duration, const std::string &more = "")
{
    const std::string length = "<duration>" + std::to_string(duration) + "</duration>";
    if (what == "rest")
        return "<note>" + more + "<rest/>" + length + "</note>";
    const std::string accidentals = what.substr(1, what.size() - 2);
    const int alter = int(accidentals.size()) * (accidentals.find('#') != std::string::npos ? 1 : -1);
    return "<note>" + more + "<pitch><step>" + what.substr(0, 1) + "</step>"
           + (alter != 0 ? "<alter>" + std::to_string(alter) + "</alter>" : "") + "<octave>"
           + what.substr(what.size() - 1) + "</octave></pitch>" + length + "</note>";
}

// The notes of a part as "tick+duration:pitch:name", space between.
inline std::string notesText(const std::vector<Note> &notes)
{
    std::string out;
    for (const Note &n : notes) {
        if (!out.empty())
            out += ' ';
        out += std::to_string(n.tick);
        out += '+';
        out += std::to_string(n.duration);
        out += ':';
        out += std::to_string(n.pitch);
        out += ':';
        out += spelledName(n.spelling);
    }
    return out;
}

} // namespace tunedeck::score::test

#endif

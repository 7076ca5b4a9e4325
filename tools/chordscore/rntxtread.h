// A RomanText analysis read back: each chord's measure and beat, the key written before it,
// and its numeral.
#ifndef TUNEDECK_CHORDSCORE_RNTXTREAD_H
#define TUNEDECK_CHORDSCORE_RNTXTREAD_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::chordscore {

struct RomanChord {
    std::int64_t measure = 0;
    int which = 0;     // 0, or 1 for the second measure of a number ("m12b")
    double beat = 1;   // from 1, in the meter's beats
    int keyCode = 0;   // the key written before it; NoKey before any
    bool keyWritten = false; // that key written just before it, not held from earlier
    bool slow = false; // under a meter written "slow 3/8": its beats the eighths, not the bar
    std::string figure; // as written: "V65/V", "Cad64", "Ger65"
};

struct RomanTextRead {
    // In the text's order, repeats ("m5-7 = m1-3") copied in: in the key in force there, up
    // to a key written among the measures copied.
    std::vector<RomanChord> chords;
    std::vector<std::string> problems; // lines and tokens not read
};

// The measure lines of an analysis; headers, variants ("m4var1") and barlines skipped.
RomanTextRead readRomanText(std::string_view text);

// A key token ("Bb:", "f#:", "E-:") as a key code; NoKey for anything else.
int keyCodeOfToken(std::string_view token);

} // namespace tunedeck::chordscore

#endif

#include "core/score/partelements.h"

#include "core/score/xmlnumbers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace tunedeck::score {

namespace {

// A name against a known one, compared inline: a call to strcmp for each costs more than the compare.
template <std::size_t N>
bool same(const char *name, const char (&known)[N])
{
    for (std::size_t i = 0; i < N; ++i) // through the known name's NUL
        if (name[i] != known[i])
            return false;
    return true;
}

Tag tagOfFirstHalf(const char *name)
{
    switch (name[0]) {
    case 'a':
        return same(name, "attributes") ? Tag::Attributes : same(name, "alter") ? Tag::Alter : Tag::Other;
    case 'b':
        return same(name, "backup") ? Tag::Backup : same(name, "barline") ? Tag::Barline : Tag::Other;
    case 'c':
        return same(name, "chord") ? Tag::Chord : same(name, "cue") ? Tag::Cue : Tag::Other;
    case 'd':
        if (same(name, "duration"))
            return Tag::Duration;
        if (same(name, "direction"))
            return Tag::Direction;
        return same(name, "display-step") ? Tag::DisplayStep : same(name, "display-octave") ? Tag::DisplayOctave : Tag::Other;
    case 'f':
        return same(name, "forward") ? Tag::Forward : Tag::Other;
    case 'g':
        return same(name, "grace") ? Tag::Grace : Tag::Other;
    case 'i':
        return same(name, "instrument") ? Tag::Instrument : Tag::Other;
    default:
        return Tag::Other;
    }
}

} // namespace

Tag tagOf(const char *name)
{
    switch (name[0]) {
    case 'n':
        return same(name, "note") ? Tag::Note : same(name, "notations") ? Tag::Notations : Tag::Other;
    case 'o':
        return same(name, "octave") ? Tag::Octave : Tag::Other;
    case 'p':
        return same(name, "pitch") ? Tag::Pitch : Tag::Other;
    case 'r':
        return same(name, "rest") ? Tag::Rest : Tag::Other;
    case 's':
        if (same(name, "step"))
            return Tag::Step;
        return same(name, "staff") ? Tag::Staff : same(name, "sound") ? Tag::Sound : Tag::Other;
    case 't':
        return same(name, "tie") ? Tag::Tie : Tag::Other;
    case 'u':
        return same(name, "unpitched") ? Tag::Unpitched : Tag::Other;
    case 'v':
        return same(name, "voice") ? Tag::Voice : Tag::Other;
    default:
        return tagOfFirstHalf(name);
    }
}

int stepSemitones(char step)
{
    constexpr int semis[] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    return step >= 'A' && step <= 'G' ? semis[step - 'A'] : -1;
}

int concertFifths(int fifths, int chromatic)
{
    if (chromatic == 0)
        return fifths;
    int f = ((fifths + 7 * chromatic) % 12 + 12) % 12;
    return f > 6 ? f - 12 : f;
}

std::optional<TimeSignature> timeOf(const pugi::xml_node &time)
{
    if (time.child("senza-misura"))
        return std::nullopt;
    std::vector<std::pair<int, int>> parts;
    pugi::xml_node beats = time.child("beats");
    for (; beats; beats = beats.next_sibling("beats")) {
        const pugi::xml_node type = beats.next_sibling("beat-type");
        int sum = 0;
        for (const char *p = beats.text().as_string(); *p;) { // "3+2" is five beats
            char *end = nullptr;
            const long n = std::strtol(p, &end, 10);
            if (end == p)
                ++p;
            else {
                sum += int(std::clamp(n, 0L, 1000L));
                p = end;
            }
        }
        const int beatType = type.text().as_int(0);
        if (sum > 0 && beatType > 0 && beatType <= 1024)
            parts.emplace_back(sum, beatType);
    }
    if (parts.empty())
        return std::nullopt;
    TimeSignature out;
    out.beats = 0;
    out.beatType = 1;
    for (const auto &[b, t] : parts)
        out.beatType = std::max(out.beatType, t);
    for (const auto &[b, t] : parts)
        out.beats += b * (out.beatType / t);
    return out;
}

std::vector<int> endingNumbers(const char *text)
{
    std::vector<int> out;
    for (const char *p = text; *p;) {
        char *end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p)
            ++p;
        else {
            if (n > 0 && n < 100)
                out.push_back(int(n));
            p = end;
        }
    }
    return out;
}

WrittenJump writtenJump(const pugi::xml_node &direction)
{
    using J = WrittenJump;
    static const std::pair<std::string_view, WrittenJump> known[] = {
        {"dc", J::DaCapo}, {"dcalfine", J::DaCapo}, {"dcalcoda", J::DaCapo},
        {"dacapo", J::DaCapo}, {"dacapoalfine", J::DaCapo}, {"dacapoalcoda", J::DaCapo},
        {"ds", J::DalSegno}, {"dsalfine", J::DalSegno}, {"dsalcoda", J::DalSegno},
        {"dalsegno", J::DalSegno}, {"dalsegnoalfine", J::DalSegno}, {"dalsegnoalcoda", J::DalSegno},
        {"fine", J::Fine}, {"tocoda", J::ToCoda}, {"coda", J::Coda}};
    std::string letters;
    for (pugi::xml_node type : direction.children("direction-type"))
        for (pugi::xml_node words : type.children("words"))
            for (const char *p = words.text().as_string(); *p && letters.size() < 32; ++p)
                if (std::isalpha(static_cast<unsigned char>(*p)) && static_cast<unsigned char>(*p) < 0x80)
                    letters += char(std::tolower(static_cast<unsigned char>(*p)));
    for (const auto &[name, jump] : known)
        if (letters == name)
            return jump;
    return J::None;
}

std::optional<double> metronomeQuarters(const pugi::xml_node &metronome)
{
    static const std::pair<const char *, double> units[] = {
        {"maxima", 32}, {"long", 16}, {"breve", 8}, {"whole", 4}, {"half", 2}, {"quarter", 1},
        {"eighth", 0.5}, {"16th", 0.25}, {"32nd", 0.125}, {"64th", 0.0625}};
    const pugi::xml_node unit = metronome.child("beat-unit");
    const pugi::xml_node perMinute = metronome.child("per-minute");
    if (!unit || !perMinute)
        return std::nullopt;
    double quarters = 0;
    for (const auto &[name, value] : units)
        if (std::strcmp(unit.text().as_string(), name) == 0)
            quarters = value;
    double dot = quarters / 2;
    for (pugi::xml_node d = unit.next_sibling(); d && std::strcmp(d.name(), "beat-unit-dot") == 0;
         d = d.next_sibling(), dot /= 2)
        quarters += dot;
    const std::optional<double> rate = leadingNumber(perMinute.text().as_string());
    if (!rate || quarters <= 0)
        return std::nullopt;
    return *rate * quarters;
}

} // namespace tunedeck::score

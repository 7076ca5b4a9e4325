#include "core/score/partreader.h"

#include "core/score/scoreerror.h"
#include "core/score/xmlnumbers.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tunedeck::score {

namespace {

// No score has a note or a rest this long; past it the time line could not be counted.
constexpr std::int64_t MaxQuarters = 100000;

struct NoteElements {
    pugi::xml_node pitch, unpitched, duration, voice, staff, instrument;
    std::vector<pugi::xml_node> ties; // <tie> and <notations><tied>
    bool grace = false, chord = false, silent = false; // silent: a rest or a cue note
};

class PartReader {
public:
    explicit PartReader(const Instruments &instruments) : instruments_(instruments) {}
    ReadMeasure measure(const pugi::xml_node &node, MeasurePlaces *places = nullptr);

private:
    void attributes(const pugi::xml_node &node, ReadMeasure &out);
    void note(const pugi::xml_node &node, ReadMeasure &out);
    void direction(const pugi::xml_node &node, ReadMeasure &out);
    void barline(const pugi::xml_node &node, ReadMeasure &out) const;
    void move(const pugi::xml_node &node, bool back);
    Fraction quarters(const pugi::xml_node &duration) const;
    bool pitchOf(const NoteElements &elements, ReadNote &note) const;
    [[noreturn]] void refuse(const std::string &why) const { throw ScoreError(why); }

    const Instruments &instruments_;
    Fraction perDivision_{1}; // quarters
    int chromatic_ = 0;       // written to concert pitch, in semitones
    Fraction cursor_;
    Fraction lastOnset_;
};

constexpr int stepSemitones(char step)
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

ElementPlace placeOf(const pugi::xml_node &child, Fraction at, Fraction perDivision)
{
    ElementPlace place{child, at, perDivision};
    if (std::strcmp(child.name(), "note") == 0 && !child.child("grace") && !child.child("chord")) {
        place.startsNote = true;
        place.staff = std::clamp(child.child("staff").text().as_int(1), 1, 100);
    }
    return place;
}

} // namespace

ReadMeasure PartReader::measure(const pugi::xml_node &node, MeasurePlaces *places)
{
    ReadMeasure out;
    out.number = node.attribute("number").as_string();
    out.implicit = std::strcmp(node.attribute("implicit").as_string(), "yes") == 0;
    cursor_ = lastOnset_ = Fraction{};
    for (pugi::xml_node child : node.children()) {
        const std::string_view name = child.name();
        if (places)
            places->push_back(placeOf(child, cursor_, perDivision_));
        if (name == "note")
            note(child, out);
        else if (name == "backup" || name == "forward")
            move(child, name == "backup");
        else if (name == "attributes")
            attributes(child, out);
        else if (name == "direction")
            direction(child, out);
        else if (name == "sound")
            direction(child, out); // a bare <sound> at the measure's level; read alike
        else if (name == "barline")
            barline(child, out);
        out.extent = std::max(out.extent, cursor_);
    }
    return out;
}

void PartReader::attributes(const pugi::xml_node &node, ReadMeasure &out)
{
    if (const pugi::xml_node divisions = node.child("divisions")) {
        const Fraction d = decimal(divisions.text().as_string(), "divisions");
        if (d <= Fraction{})
            refuse("its divisions of " + std::string(divisions.text().as_string())
                   + " a quarter note are not a positive number");
        perDivision_ = Fraction{1} / d;
    }
    if (const pugi::xml_node transpose = node.child("transpose"))
        chromatic_ = std::clamp(transpose.child("chromatic").text().as_int(0), -48, 48)
                     + 12 * std::clamp(transpose.child("octave-change").text().as_int(0), -4, 4);
    if (const pugi::xml_node key = node.child("key"); key.child("fifths")) {
        KeySignature k;
        k.fifths = concertFifths(std::clamp(key.child("fifths").text().as_int(0), -7, 7), chromatic_);
        k.minor = std::strcmp(key.child("mode").text().as_string(), "minor") == 0;
        out.key = k;
    }
    if (const pugi::xml_node time = node.child("time"))
        if (auto t = timeOf(time))
            out.time = t;
}

Fraction PartReader::quarters(const pugi::xml_node &d) const
{
    const Fraction value = d ? decimal(d.text().as_string(), "duration") : Fraction{};
    if (value < Fraction{})
        refuse("a duration of " + std::string(d.text().as_string()) + " is negative");
    const Fraction quarters = value * perDivision_;
    if (quarters > Fraction{MaxQuarters})
        refuse("a duration of " + std::string(d.text().as_string()) + " divisions is longer than "
               + std::to_string(MaxQuarters) + " quarter notes");
    return quarters;
}

void PartReader::move(const pugi::xml_node &node, bool back)
{
    const Fraction length = quarters(node.child("duration"));
    if (!back) {
        cursor_ = cursor_ + length;
        return;
    }
    // Tuplets written in rounded divisions fall a little short of the beat; a backup a hair
    // past the start is one of those, and goes back to the start.
    if (length > cursor_ + Fraction{1, 8})
        refuse("a backup goes back before the measure's start");
    cursor_ = length > cursor_ ? Fraction{} : cursor_ - length;
}

bool PartReader::pitchOf(const NoteElements &e, ReadNote &note) const
{
    const pugi::xml_node written = e.pitch ? e.pitch : e.unpitched;
    const bool pitched = bool(e.pitch);
    pugi::xml_node stepNode, octaveNode, alterNode;
    for (pugi::xml_node part : written.children()) {
        const std::string_view name = part.name();
        if (name == (pitched ? "step" : "display-step"))
            stepNode = part;
        else if (name == (pitched ? "octave" : "display-octave"))
            octaveNode = part;
        else if (name == "alter")
            alterNode = part;
    }
    const char *step = stepNode.text().as_string();
    if (stepSemitones(step[0]) < 0 || step[1] != '\0')
        return false;
    note.spelling.step = step[0];
    note.spelling.octave = std::clamp(octaveNode.text().as_int(4), -1, 10);
    if (pitched) {
        const auto alter = leadingNumber(alterNode.text().as_string());
        note.spelling.alter = alter ? std::clamp(*alter, -3.0, 3.0) : 0.0;
        note.pitch = (note.spelling.octave + 1) * 12 + stepSemitones(note.spelling.step)
                     + int(std::floor(note.spelling.alter + 0.5)) + chromatic_;
    } else {
        const auto known = instruments_.unpitched.find(e.instrument.attribute("id").as_string());
        if (known != instruments_.unpitched.end())
            note.pitch = known->second;
        else if (instruments_.unpitched.size() == 1)
            note.pitch = instruments_.unpitched.begin()->second;
        else
            note.pitch = (note.spelling.octave + 1) * 12 + stepSemitones(note.spelling.step);
    }
    return note.pitch >= 0 && note.pitch <= 127;
}

// The note's elements found in one pass: a note has a dozen children, each looked at once.
NoteElements noteElements(const pugi::xml_node &node)
{
    NoteElements e;
    for (pugi::xml_node child : node.children()) {
        const std::string_view name = child.name();
        if (name == "pitch")
            e.pitch = child;
        else if (name == "unpitched")
            e.unpitched = child;
        else if (name == "duration")
            e.duration = child;
        else if (name == "voice")
            e.voice = child;
        else if (name == "staff")
            e.staff = child;
        else if (name == "instrument")
            e.instrument = child;
        else if (name == "tie")
            e.ties.push_back(child);
        else if (name == "notations")
            for (pugi::xml_node tied : child.children("tied"))
                e.ties.push_back(tied);
        else if (name == "grace")
            e.grace = true;
        else if (name == "chord")
            e.chord = true;
        else if (name == "rest" || name == "cue")
            e.silent = true;
    }
    return e;
}

void PartReader::note(const pugi::xml_node &node, ReadMeasure &out)
{
    const NoteElements e = noteElements(node);
    if (e.grace)
        return; // takes no time, and leaves the chord it may belong to alone
    const Fraction length = quarters(e.duration);
    ReadNote n;
    n.onset = e.chord ? lastOnset_ : cursor_;
    n.duration = length;
    if (!e.chord) {
        lastOnset_ = cursor_;
        cursor_ = cursor_ + length;
    }
    if (e.silent || (!e.pitch && !e.unpitched) || length == Fraction{} || !pitchOf(e, n))
        return;
    out.unpitched = out.unpitched || bool(e.unpitched);
    n.voice = std::clamp(e.voice.text().as_int(1), 0, 1000);
    n.staff = std::clamp(e.staff.text().as_int(1), 1, 100);
    for (pugi::xml_node tie : e.ties) {
        const std::string_view type = tie.attribute("type").as_string();
        n.tieStart = n.tieStart || type == "start" || type == "continue";
        n.tieStop = n.tieStop || type == "stop" || type == "continue";
    }
    out.notes.push_back(n);
}

namespace {

// The jumps a <sound> marks, and the segno and coda signs of a direction that has none.
void jumpsOf(const pugi::xml_node &node, const pugi::xml_node &sound, Barlines &out)
{
    const auto label = [&sound](const char *name) -> std::optional<std::string> {
        const pugi::xml_attribute a = sound.attribute(name);
        if (!a || std::strcmp(a.value(), "no") == 0)
            return std::nullopt;
        return std::string(a.value());
    };
    const auto keep = [](std::optional<std::string> &into, std::optional<std::string> found) {
        if (found && !into)
            into = std::move(found);
    };
    keep(out.segno, label("segno"));
    keep(out.coda, label("coda"));
    keep(out.toCoda, label("tocoda"));
    keep(out.dalSegno, label("dalsegno"));
    out.daCapo = out.daCapo || label("dacapo");
    out.fine = out.fine || label("fine");
    const bool sounded = label("segno") || label("coda") || label("tocoda") || label("dalsegno");
    if (sounded)
        return;
    for (pugi::xml_node type : node.children("direction-type")) {
        if (type.child("segno"))
            keep(out.segno, std::string());
        out.codaSign = out.codaSign || bool(type.child("coda"));
    }
}

} // namespace

void PartReader::direction(const pugi::xml_node &node, ReadMeasure &out)
{
    std::optional<double> rate;
    const pugi::xml_node sound = std::strcmp(node.name(), "sound") == 0 ? node : node.child("sound");
    jumpsOf(node, sound, out.barlines);
    if (sound.attribute("tempo"))
        rate = leadingNumber(sound.attribute("tempo").as_string());
    for (pugi::xml_node type : node.children("direction-type"))
        if (!rate && type.child("metronome"))
            rate = metronomeQuarters(type.child("metronome"));
    if (!rate || !(*rate > 0) || *rate > 10000)
        return;
    Fraction at = cursor_;
    if (const pugi::xml_node offset = node.child("offset"))
        at = at + decimal(offset.text().as_string(), "offset") * perDivision_;
    out.tempos.push_back({std::max(at, Fraction{}), *rate});
}

void PartReader::barline(const pugi::xml_node &node, ReadMeasure &out) const
{
    const pugi::xml_node repeat = node.child("repeat");
    const std::string_view direction = repeat.attribute("direction").as_string();
    if (direction == "forward")
        out.barlines.forward = true;
    else if (direction == "backward")
        out.barlines.backwardTimes = std::clamp(repeat.attribute("times").as_int(2), 1, 16);
    const pugi::xml_node ending = node.child("ending");
    const std::string_view type = ending.attribute("type").as_string();
    if (type == "start")
        out.barlines.endingStart = endingNumbers(ending.attribute("number").as_string());
    else if (type == "stop" || type == "discontinue")
        out.barlines.endingStop = true;
}

std::vector<ReadMeasure> readPart(const pugi::xml_node &part, const Instruments &instruments,
                                  std::vector<MeasurePlaces> *places)
{
    PartReader reader(instruments);
    std::vector<ReadMeasure> out;
    for (pugi::xml_node measure : part.children("measure")) {
        try {
            MeasurePlaces *measurePlaces = places ? &places->emplace_back() : nullptr;
            out.push_back(reader.measure(measure, measurePlaces));
        } catch (const ScoreError &e) {
            const std::string number = measure.attribute("number").as_string();
            throw ScoreError("measure " + (number.empty() ? std::string("(unnumbered)") : number) + ": " + e.what());
        }
    }
    return out;
}

} // namespace tunedeck::score

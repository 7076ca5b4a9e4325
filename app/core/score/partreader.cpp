#include "core/score/partreader.h"

#include "core/score/partelements.h"
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

ElementPlace placeOf(const pugi::xml_node &child, Tag tag, Fraction at, Fraction perDivision)
{
    ElementPlace place{child, at, perDivision};
    if (tag == Tag::Note && !child.child("grace") && !child.child("chord")) {
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
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        const Tag tag = tagOf(child.name());
        if (places)
            places->push_back(placeOf(child, tag, cursor_, perDivision_));
        switch (tag) {
        case Tag::Note:
            note(child, out);
            break;
        case Tag::Backup:
        case Tag::Forward:
            move(child, tag == Tag::Backup);
            break;
        case Tag::Attributes:
            attributes(child, out);
            break;
        case Tag::Direction:
        case Tag::Sound: // a bare <sound> at the measure's level; read alike
            direction(child, out);
            break;
        case Tag::Barline:
            barline(child, out);
            break;
        default:
            break;
        }
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
    const Tag stepTag = pitched ? Tag::Step : Tag::DisplayStep;
    const Tag octaveTag = pitched ? Tag::Octave : Tag::DisplayOctave;
    for (pugi::xml_node part = written.first_child(); part; part = part.next_sibling()) {
        const Tag tag = tagOf(part.name());
        if (tag == stepTag)
            stepNode = part;
        else if (tag == octaveTag)
            octaveNode = part;
        else if (tag == Tag::Alter)
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
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        switch (tagOf(child.name())) {
        case Tag::Pitch: e.pitch = child; break;
        case Tag::Unpitched: e.unpitched = child; break;
        case Tag::Duration: e.duration = child; break;
        case Tag::Voice: e.voice = child; break;
        case Tag::Staff: e.staff = child; break;
        case Tag::Instrument: e.instrument = child; break;
        case Tag::Tie: e.ties.push_back(child); break;
        case Tag::Notations:
            for (pugi::xml_node tied : child.children("tied"))
                e.ties.push_back(tied);
            break;
        case Tag::Grace: e.grace = true; break;
        case Tag::Chord: e.chord = true; break;
        case Tag::Rest:
        case Tag::Cue: e.silent = true; break;
        default: break;
        }
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
    // Words stand for the jump only where the sound says nothing of one (not even "no").
    if (!sound.attribute("dacapo") && !sound.attribute("fine")) {
        switch (writtenJump(node)) {
        case WrittenJump::DaCapo: out.daCapo = true; break;
        case WrittenJump::DalSegno: keep(out.dalSegno, std::string()); break;
        case WrittenJump::Fine: out.fine = true; break;
        case WrittenJump::ToCoda: out.toCodaWords = true; break;
        case WrittenJump::Coda: out.codaWords = true; break;
        case WrittenJump::None: break;
        }
    }
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

#include "keyscore/corpus.h"

#include "core/fastdetect/openfile.h"
#include "core/midi/midifile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>

namespace tunedeck::keyscore {

namespace {

std::vector<std::string> fields(const std::string &line)
{
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, '\t');)
        out.push_back(f);
    return out;
}

// Rows of a tab-separated file after its header; lines starting with '#' are comments.
std::vector<std::vector<std::string>> rows(const std::filesystem::path &path)
{
    std::vector<std::vector<std::string>> out;
    std::ifstream in(path);
    bool header = true;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (std::exchange(header, false))
            continue;
        out.push_back(fields(line));
    }
    return out;
}

// The spans where any note sounds, pairing note-ons and note-offs as the analysis does.
std::vector<Span> soundingSpans(const std::vector<NoteEvent> &events)
{
    std::vector<Span> spans;
    std::array<std::array<int, 128>, 16> open{};
    int sounding = 0;
    for (const NoteEvent &e : events) {
        int &n = open[e.channel & 15][e.note & 127];
        const int before = sounding;
        if (e.on) {
            ++n;
            ++sounding;
        } else if (n > 0) {
            --n;
            --sounding;
        }
        if (before == 0 && sounding > 0) {
            if (!spans.empty() && spans.back().end == e.tick)
                continue; // carries on the span that just ended
            spans.push_back({e.tick, e.tick});
        } else if (before > 0 && sounding == 0) {
            spans.back().end = e.tick;
        }
    }
    if (sounding > 0 && !events.empty())
        spans.back().end = events.back().tick;
    return spans;
}

Kind kindOf(const CorpusFile &f)
{
    if (f.set == "pop909")
        return Kind::Pop;
    if (f.set == "bach")
        return Kind::Chorale;
    if (f.genre == "OpenScore-LiederCorpus")
        return Kind::Song;
    if (f.genre == "Textbooks")
        return Kind::Textbook;
    return Kind::Other;
}

// Songs by composer ("Lieder-<Composer>-..." or the source's folder after the genre),
// textbook examples by book (author and title folders), chorales by BWV number (one cantata's
// chorales together, in any set), pop songs by song (017 and 018 are two versions of one), anything else
// by file.
std::string groupOf(const CorpusFile &f)
{
    std::string stem = f.name.substr(0, f.name.rfind('.'));
    if (f.kind == Kind::Pop)
        return "song " + (stem == "pop909-018" ? std::string("pop909-017") : stem);
    // A chorale of another set names its score in music21's corpus ("music21:bach/bwv347.mxl"),
    // as bach/ names its files: both versions of one chorale stay together.
    if (const std::size_t score = f.source.find("music21:bach/"); f.kind == Kind::Chorale || score != std::string::npos) {
        if (score != std::string::npos)
            stem = "bach-" + f.source.substr(score + 13, f.source.find(".mxl", score) - score - 13);
        return "cantata " + stem.substr(0, stem.find_first_of(".-", 5));
    }
    std::vector<std::string> parts;
    std::stringstream in(f.source);
    for (std::string part; std::getline(in, part, '/');)
        parts.push_back(part);
    if (f.kind == Kind::Song) {
        if (f.name.starts_with("Lieder-"))
            return "composer " + f.name.substr(7, f.name.find('-', 7) - 7);
        if (parts.size() > 2)
            return "composer " + parts[2];
    }
    if (f.kind == Kind::Textbook && parts.size() > 3)
        return "book " + parts[2] + "/" + parts[3];
    return f.set + "/" + f.name;
}

// A file's note events and timing from its MIDI file, read or refused as read says.
bool readNotes(const MidiFile &midi, const Result<> &read, CorpusFile &f, std::vector<std::string> &warnings)
{
    if (!read || midi.divisionKind() != 0) {
        warnings.push_back(f.set + "/" + f.name + ": " + (read ? "not timed in ticks per quarter" : read.error().reason));
        return false;
    }
    f.ticksPerQuarter = midi.ticksPerQuarter();
    f.statedQuarters = statedQuarters(midi);
    if (!gatherNoteEvents(midi, 2, midi.trackCount(), true, f.events))
        warnings.push_back(f.set + "/" + f.name + ": more than the fast detection's note events, first ones kept");
    putInFeedOrder(f.events);
    f.sounding = soundingSpans(f.events);
    // As a play times them: the first tempo only, rounded to the millisecond.
    f.msPerTick = float(midi.tempo() / 1000.0 / f.ticksPerQuarter);
    const float msPerTick = f.msPerTick;
    std::int64_t lastMs = 0;
    for (const NoteEvent &e : f.events)
        lastMs = std::max(lastMs, std::int64_t(std::nearbyint(double(msPerTick) * e.tick)));
    for (std::int64_t second = 0; second <= lastMs / 1000 + 1; ++second)
        f.secondTicks.push_back(std::llround(double(second) * 1000.0 / double(msPerTick)));
    f.minutes = double(lastMs) / 60000.0;
    return true;
}

// A score's notes moved to its MIDI file's pitch, which the annotations follow.
void moveToMidi(const std::filesystem::path &midiPath, CorpusFile &f, std::vector<std::string> &warnings)
{
    MidiFile midi;
    std::vector<NoteEvent> events;
    if (!midi.load(midiPath.string()) || midi.divisionKind() != 0)
        return;
    gatherNoteEvents(midi, 2, midi.trackCount(), true, events);
    const int shift = shiftToMidi(f.events, events);
    if (shift == 0)
        return;
    for (const NoteEvent &e : f.events)
        if (e.note + shift < 1 || e.note + shift > 127)
            return; // left as written rather than losing notes
    for (NoteEvent &e : f.events)
        e.note = std::uint8_t(e.note + shift);
    putInFeedOrder(f.events);
    f.scoreShift = shift;
    warnings.push_back(f.set + "/" + f.name + ": the MIDI file sounds " + std::to_string(shift) +
                       " semitones from its score; the score moved with it, as the annotations are");
}

} // namespace

int shiftToMidi(const std::vector<NoteEvent> &score, const std::vector<NoteEvent> &midi)
{
    std::set<std::pair<std::int32_t, int>> onsets;
    for (const NoteEvent &e : midi)
        if (e.on)
            onsets.insert({e.tick, e.note});
    std::map<int, std::size_t> met; // by shift
    for (const NoteEvent &e : score)
        if (e.on)
            for (int shift = -11; shift <= 11; ++shift)
                met[shift] += onsets.count({e.tick, e.note + shift});
    int best = 0;
    for (const auto &[shift, count] : met)
        if (count > met[best])
            best = shift;
    return 2 * met[best] > onsets.size() ? best : 0;
}

std::vector<CorpusFile> loadCorpus(const std::filesystem::path &folder, std::vector<std::string> &warnings,
                                   const ScoreFolders &scores)
{
    std::vector<CorpusFile> files;
    std::error_code ec;
    std::vector<std::filesystem::path> sets;
    if (std::filesystem::exists(folder / "labels.tsv"))
        sets.push_back(folder);
    else
        for (const auto &entry : std::filesystem::directory_iterator(folder, ec))
            if (entry.is_directory() && std::filesystem::exists(entry.path() / "labels.tsv"))
                sets.push_back(entry.path());
    std::sort(sets.begin(), sets.end());
    for (const auto &set : sets) {
        std::vector<CorpusFile> more = loadSet(set, warnings, scores);
        files.insert(files.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    return files;
}

std::filesystem::path scoreFor(const std::string &midiName, const ScoreFolders &scores)
{
    const std::string stem = std::filesystem::path(midiName).stem().string();
    std::error_code ec;
    for (const std::filesystem::path &folder : scores)
        for (const char *extension : {".mxl", ".musicxml", ".xml"})
            if (std::filesystem::is_regular_file(folder / (stem + extension), ec))
                return folder / (stem + extension);
    return {};
}

std::vector<CorpusFile> loadSet(const std::filesystem::path &set, std::vector<std::string> &warnings,
                                const ScoreFolders &scores)
{
    std::vector<CorpusFile> files;
    std::map<std::string, std::vector<Region>> regions;
    for (const char *table : {"regions.tsv", "localkeys.tsv"})
        for (const auto &r : rows(set / table))
            if (r.size() >= 4)
                regions[r[0]].push_back({{std::stoll(r[1]), std::stoll(r[2])}, std::stoi(r[3])});
    int withoutScore = 0;
    for (const auto &r : rows(set / "labels.tsv")) {
        if (r.size() < 3)
            continue;
        CorpusFile f;
        f.set = set.filename().string();
        f.name = r[0];
        f.keyCode = std::stoi(r[2]);
        f.regionCount = r.size() > 3 ? std::stoi(r[3]) : 1;
        f.genre = r.size() > 4 ? r[4] : "";
        f.source = r.size() > 5 ? r[5] : "";
        f.kind = kindOf(f);
        f.group = groupOf(f);
        f.regions = regions[f.name];
        if (scores.empty()) {
            MidiFile midi;
            if (readNotes(midi, midi.load((set / f.name).string()), f, warnings))
                files.push_back(std::move(f));
            continue;
        }
        const std::filesystem::path score = scoreFor(f.name, scores);
        if (score.empty()) {
            ++withoutScore;
            continue;
        }
        // Through the door every front end opens files by, which tells a score by its content.
        OpenFile door;
        const OpenResult opened = door.open(score.string());
        if (!opened) {
            warnings.push_back(f.set + "/" + f.name + ": its score " + score.filename().string() + ": " +
                               opened.error().reason);
            continue;
        }
        if (!readNotes(door.midi(), Result<>(), f, warnings))
            continue;
        f.layout = door.layout();
        moveToMidi(set / f.name, f, warnings);
        files.push_back(std::move(f));
    }
    if (withoutScore > 0)
        warnings.push_back(set.filename().string() + ": " + std::to_string(withoutScore) +
                           " files without a score, left out");
    return files;
}

std::vector<int> foldsOfGroups(const std::vector<std::string> &groups, int folds)
{
    std::map<std::string, std::vector<std::size_t>> members;
    for (std::size_t i = 0; i < groups.size(); ++i)
        members[groups[i]].push_back(i);
    std::vector<const std::vector<std::size_t> *> bySize;
    for (const auto &[name, group] : members)
        bySize.push_back(&group);
    std::stable_sort(bySize.begin(), bySize.end(), [](auto *a, auto *b) { return a->size() > b->size(); });
    std::vector<int> fold(groups.size()), sizes(std::size_t(std::max(folds, 1)));
    for (const auto *group : bySize) {
        const int smallest = int(std::min_element(sizes.begin(), sizes.end()) - sizes.begin());
        for (std::size_t i : *group)
            fold[i] = smallest;
        sizes[std::size_t(smallest)] += int(group->size());
    }
    return fold;
}

double soundingBetween(const std::vector<Span> &spans, std::int64_t a, std::int64_t b)
{
    double sum = 0;
    auto it = std::lower_bound(spans.begin(), spans.end(), a, [](const Span &s, std::int64_t t) { return s.end <= t; });
    for (; it != spans.end() && it->start < b; ++it)
        sum += double(std::max<std::int64_t>(0, std::min(b, it->end) - std::max(a, it->start)));
    return sum;
}

} // namespace tunedeck::keyscore

#include "livescore/livechoice.h"

#include "keyscore/chordevidencefit.h"

#include <algorithm>
#include <cstdio>

namespace tunedeck::livescore {

using profile::TrackerOptions;

namespace {

std::vector<TrackerOptions> grid(const TrackerOptions &base)
{
    std::vector<TrackerOptions> out;
    // The shown key keeps some hysteresis: it never follows a mere tie.
    struct Recent {
        int frames;
        double evidence;
    };
    for (double sharpness : {1.5, 2.0})
        for (double stay : {0.999, 0.9995})
            for (double margin : {0.1, 0.2, 0.3})
                for (int hold : {2, 3})
                    for (double chord : {0.25, 0.35, 0.5})
                        for (Recent recent : {Recent{0, 0}, {6, 4}, {6, 5}, {6, 6}, {6, 8}, {10, 5}, {10, 6}, {10, 8}}) {
                            TrackerOptions o = base;
                            o.sharpness = sharpness;
                            o.stay = stay;
                            o.margin = margin;
                            o.holdFrames = hold;
                            o.chordWeight = chord;
                            o.recentFrames = recent.frames;
                            o.recentEvidence = recent.evidence;
                            out.push_back(o);
                        }
    return out;
}

// A plain modulation: 40 s of C major, then G major, two seconds a bar: I and V7 in turn over
// their root, the scale stepping up in quarters above. A tracker must show G major within 12 s
// of the change (and C major before it) to be chosen at all.
bool followsPlainModulation(const TrackerOptions &o)
{
    static constexpr int scale[7] = {0, 2, 4, 5, 7, 9, 11};
    std::vector<std::pair<std::int64_t, NoteEvent>> notes;
    const auto add = [&](std::int64_t at, std::int64_t length, int pitch) {
        notes.push_back({at, {0, std::uint8_t(pitch), 90, true, 0, 2}});
        notes.push_back({at + length - 1, {0, std::uint8_t(pitch), 0, false, 0, 2}});
    };
    for (int part = 0; part < 2; ++part) {
        const int tonic = part == 0 ? 0 : 7;
        const auto pitch = [&](int degree, int octave) { return 12 * octave + tonic + scale[degree % 7]; };
        for (int bar = 0; bar < 20; ++bar) {
            const std::int64_t at = part * 40000 + bar * 2000;
            const int root = bar % 2 == 0 ? 0 : 4;
            add(at, 2000, pitch(root, 3));
            for (int third = 0; third < (root == 4 ? 4 : 3); ++third)
                add(at, 2000, pitch(root + 2 * third, 4));
            for (int beat = 0; beat < 4; ++beat)
                add(at + beat * 500, 500, pitch(4 * bar + beat, 5));
        }
    }
    std::stable_sort(notes.begin(), notes.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    profile::ProfileTracker tracker(o);
    std::size_t next = 0;
    for (int second = 0; second <= 52; ++second) {
        const int key = tracker.readingAt(second * 1000).keyCode;
        if ((second >= 10 && second <= 40 && key != 160) || (second == 52 && key != 167))
            return false;
        for (; next < notes.size() && notes[next].first < (second + 1) * 1000; ++next)
            tracker.note(notes[next].first, notes[next].second);
    }
    return true;
}

} // namespace

double objective(const Summary &s)
{
    double time = 0, penalty = 0;
    constexpr int TimeSets[] = {MultiPop, AllPop, Chorales, Songs, Textbooks};
    for (int g : TimeSets) {
        time += s.mean(g) / std::size(TimeSets);
        penalty += 0.1 * std::max(0.0, s.changeRatio(g) - 1);
    }
    const double followed = (s.followedShare(MultiPop) + s.followedShare(Songs)) / 2;
    return (time + followed) / 2 - penalty;
}

GridScores::GridScores(const std::vector<LiveFile> &files, const TrackerOptions &base,
                       const std::vector<harmony::KeyChordTable> &chords)
    : files_(files), grid_(grid(base))
{
    std::erase_if(grid_, [](const TrackerOptions &o) { return !followsPlainModulation(o); });
    for (const TrackerOptions &o : grid_) {
        std::vector<LiveScore> &scores = scores_.emplace_back();
        for (std::size_t i = 0; i < files.size(); ++i) {
            TrackerOptions withChords = o;
            withChords.chordEvidence = chords[i];
            scores.push_back(scoreFile(files[i], withChords));
        }
    }
}

std::vector<harmony::KeyChordTable> chordsWithoutFold(const std::vector<LiveFile> &files,
                                                      const std::vector<keyscore::CorpusFile> &corpus,
                                                      const std::map<std::string, int> &foldOf, int folds)
{
    std::vector<harmony::KeyChordTable> tables;
    for (int k = 0; k < folds; ++k) {
        std::vector<bool> training(corpus.size());
        for (std::size_t i = 0; i < corpus.size(); ++i) {
            const auto fold = foldOf.find(corpus[i].group);
            training[i] = fold == foldOf.end() || fold->second != k;
        }
        tables.push_back(keyscore::fitChordEvidence(corpus, training, profile::ChordFinding{}, 1, 2));
    }
    std::vector<harmony::KeyChordTable> out;
    for (const LiveFile &f : files)
        out.push_back(tables[std::size_t(foldOf.at(f.group))]);
    return out;
}

Summary GridScores::summary(const TrackerOptions &setting, const FileFilter &use) const
{
    const std::size_t s = std::size_t(&setting - grid_.data());
    Summary sum;
    for (std::size_t i = 0; i < files_.size(); ++i)
        if (use(files_[i]))
            sum.add(files_[i], scores_[s][i]);
    return sum;
}

const TrackerOptions &GridScores::choose(const FileFilter &use) const
{
    std::size_t best = 0;
    double top = -1e9;
    for (std::size_t s = 0; s < grid_.size(); ++s) {
        const double v = objective(summary(grid_[s], use));
        if (v > top) {
            top = v;
            best = s;
        }
    }
    return grid_[best];
}

void describe(const TrackerOptions &o)
{
    std::printf("decay %.2f sharpness %.1f stay %.4f margin %.2f hold %d chords %.2f recent %d seconds by %.1f note cap "
                "%lld ms unsure %.2f\n",
                o.decay, o.sharpness, o.stay, o.margin, o.holdFrames, o.chordWeight, o.recentFrames, o.recentEvidence,
                static_cast<long long>(o.noteCapMs), o.unsureBelow);
}

} // namespace tunedeck::livescore

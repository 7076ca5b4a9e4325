#include "livescore/livecorpus.h"

#include "core/midi/midifile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace tunedeck::livescore {

using keyscore::Region;
using keyscore::soundingBetween;
using keyscore::Span;

std::vector<LiveFile> loadLiveCorpus(const std::filesystem::path &folder, std::vector<std::string> &warnings)
{
    return liveCorpus(keyscore::loadCorpus(folder, warnings), folder, warnings);
}

std::vector<LiveFile> liveCorpus(const std::vector<keyscore::CorpusFile> &corpus, const std::filesystem::path &folder,
                                 std::vector<std::string> &warnings)
{
    std::vector<LiveFile> out;
    for (const keyscore::CorpusFile &c : corpus) {
        using keyscore::Kind;
        LiveFile f;
        f.name = c.name;
        f.group = c.group;
        switch (c.kind) {
        case Kind::Pop: f.set = Set::Pop; break;
        case Kind::Chorale: f.set = Set::Chorales; break;
        case Kind::Song: f.set = Set::Songs; break;
        case Kind::Textbook: f.set = Set::Textbooks; break;
        case Kind::Other: continue;
        }
        f.regions = c.regions;
        if (f.regions.empty())
            f.regions.push_back({{0, std::numeric_limits<std::int64_t>::max()}, c.keyCode});
        int distinct = 0;
        for (std::size_t i = 0; i < f.regions.size(); ++i)
            distinct += i == 0 || f.regions[i].keyCode != f.regions[i - 1].keyCode;
        f.multiRegion = distinct > 1;

        MidiFile midi;
        const std::string set = c.set;
        if (!midi.load((folder / set / c.name).string())) {
            warnings.push_back(set + "/" + c.name + ": unreadable");
            continue;
        }
        // As the play times them: the first tempo only, rounded to the millisecond.
        const float msPerTick = float(midi.tempo() / 1000.0 / c.ticksPerQuarter);
        for (const NoteEvent &e : c.events)
            f.notes.push_back({std::int64_t(std::nearbyint(double(msPerTick) * e.tick)), e});
        std::stable_sort(f.notes.begin(), f.notes.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        f.secondTicks = c.secondTicks;
        f.sounding = c.sounding;
        f.minutes = c.minutes;
        f.ticksPerQuarter = c.ticksPerQuarter;
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<profile::ProfileReading> readEverySecond(const LiveFile &file,
                                                         const profile::TrackerOptions &options,
                                                         std::vector<profile::LiveConfidenceFeatures> *features)
{
    profile::ProfileTracker tracker(options);
    std::vector<profile::ProfileReading> out;
    std::size_t next = 0;
    for (std::size_t s = 0; s + 1 < file.secondTicks.size(); ++s) {
        const std::int64_t ms = std::int64_t(s) * 1000;
        out.push_back(tracker.readingAt(ms));
        if (features)
            features->push_back(tracker.features());
        // The notes of this second, for the readings after it.
        for (; next < file.notes.size() && file.notes[next].first < ms + 1000; ++next)
            tracker.note(file.notes[next].first, file.notes[next].second);
    }
    return out;
}

std::vector<profile::ProfileReading> localEverySecond(const LiveFile &file, const profile::AnalysisOptions &options)
{
    std::vector<NoteEvent> events;
    for (const auto &[ms, e] : file.notes)
        events.push_back(e);
    return localEverySecond(file, profile::analyseProfile(events, file.ticksPerQuarter, 4 * file.ticksPerQuarter, options));
}

std::vector<profile::ProfileReading> localEverySecond(const LiveFile &file, const profile::ProfileAnalysis &analysis)
{
    std::vector<profile::ProfileReading> out;
    for (std::size_t s = 0; s + 1 < file.secondTicks.size(); ++s) {
        const profile::LocalKeyAt at = profile::localKeyAt(analysis, file.secondTicks[s]);
        out.push_back({at.keyCode, at.confidence, at.confidence >= 0.5});
    }
    return out;
}

LiveScore scoreFile(const LiveFile &file, const profile::TrackerOptions &options)
{
    return scoreReadings(file, readEverySecond(file, options), file.secondTicks);
}

std::vector<SecondScore> scoreSeconds(const LiveFile &file, const std::vector<profile::ProfileReading> &shown,
                                      const std::vector<std::int64_t> &secondTicks)
{
    std::vector<SecondScore> out;
    for (std::size_t s = 0; s < shown.size() && s + 1 < secondTicks.size(); ++s) {
        SecondScore score;
        const std::int64_t a = secondTicks[s], b = secondTicks[s + 1];
        for (const Region &region : file.regions) {
            const std::int64_t from = std::max(a, region.span.start), to = std::min(b, region.span.end);
            if (from >= to)
                continue;
            const double time = soundingBetween(file.sounding, from, to);
            score.total += time;
            score.right += shown[s].keyCode == region.keyCode ? time : 0;
        }
        out.push_back(score);
    }
    return out;
}

LiveScore scoreReadings(const LiveFile &file, const std::vector<profile::ProfileReading> &shown,
                        const std::vector<std::int64_t> &secondTicks)
{
    LiveScore score;
    std::vector<int> keys;
    for (const profile::ProfileReading &r : shown)
        keys.push_back(r.keyCode);
    score.follow = keyscore::following(file.regions, keys, secondTicks, file.minutes);
    const std::vector<SecondScore> seconds = scoreSeconds(file, shown, secondTicks);
    for (std::size_t s = 0; s < seconds.size(); ++s) {
        const profile::ProfileReading &r = shown[s];
        const auto [time, right] = seconds[s];
        score.total += time;
        score.right += right;
        const int bin = std::clamp(int(r.confidence * CalibrationBins), 0, CalibrationBins - 1);
        score.bins[std::size_t(bin)][0] += right;
        score.bins[std::size_t(bin)][1] += time;
        score.bins[std::size_t(bin)][2] += time * r.confidence;
        if (r.sure) {
            score.sureRight += right;
            score.sureTotal += time;
        }
    }
    return score;
}

std::map<std::string, int> dealFolds(const std::vector<LiveFile> &files, int folds)
{
    std::map<std::string, int> foldOf;
    std::array<int, 4> dealt{};
    for (const LiveFile &f : files)
        if (!foldOf.count(f.group))
            foldOf[f.group] = dealt[std::size_t(f.set)]++ % folds;
    return foldOf;
}

} // namespace tunedeck::livescore

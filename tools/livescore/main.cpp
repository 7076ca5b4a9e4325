// tunedeck-livescore: the profile tracker on the shared corpus, read once a second as a play
// shows it. Scores the share of note time shown the annotated key and the key changes shown,
// per set; --cv K chooses the tracker's parameters by grouped cross-validation; fits the
// calibration of its confidence (--help says the rest).
#include "core/profile/profileanalysis.h"
#include "livescore/livecalibrate.h"
#include "livescore/livechoice.h"
#include "livescore/livecorpus.h"
#include "livescore/liveoptions.h"
#include "livescore/livesummary.h"
#include "keyscore/fittables.h"

#include "common/fittedheader.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>

using namespace tunedeck;
using namespace tunedeck::livescore;
using profile::LiveCalibrationWeights;
using profile::TrackerOptions;

namespace {

bool showBins = false; // --bins

constexpr const char *LiveHeader = "fittedlivecalibration.h";

// What plays showed before the tracker: the whole-file model run again every second on the
// notes so far, its global key on the line and its last window's key in the key map.
void scoreWholeModelLive(const std::vector<LiveFile> &files)
{
    Summary line, row;
    for (const LiveFile &f : files) {
        profile::ProfileAnalyser analyser(f.ticksPerQuarter);
        std::vector<NoteEvent> soFar;
        std::vector<profile::ProfileReading> global, last;
        std::size_t next = 0;
        for (std::size_t s = 0; s + 1 < f.secondTicks.size(); ++s) {
            for (; next < f.notes.size() && f.notes[next].first < std::int64_t(s) * 1000; ++next)
                soFar.push_back(f.notes[next].second);
            profile::ProfileAnalysis a;
            if (!soFar.empty()) {
                analyser.update(soFar);
                a = analyser.analysis(0);
            }
            global.push_back({a.keyCode, a.confidence, true});
            last.push_back({a.windowKeys.empty() ? NoKey : a.windowKeys.back(), 0, true});
        }
        line.add(f, scoreReadings(f, global, f.secondTicks));
        row.add(f, scoreReadings(f, last, f.secondTicks));
    }
    std::printf("The whole-file model every second, its global key (the line):\n");
    print(line, false, showBins);
    std::printf("Its last window's key (the key map's row):\n");
    print(row, false, showBins);
}

// The traces tunedeck-detect --live-trace wrote for the corpus, <dir>/<set folder>/<file>.jsonl:
// the profile key and Tonalyte's, each scored as shown.
bool scoreTraces(const std::vector<LiveFile> &files, const std::string &dir)
{
    Summary profile, local, tonalyte, first;
    int read = 0;
    bool withLocal = false;
    for (const LiveFile &f : files) {
        const char *folder = f.set == Set::Pop ? "pop909" : f.set == Set::Chorales ? "bach" : "wir";
        std::ifstream in(dir + "/" + folder + "/" + f.name + ".jsonl");
        std::vector<profile::ProfileReading> shown, heard, played;
        std::vector<std::int64_t> ticks;
        for (std::string line; std::getline(in, line);) {
            long long second = 0, tick = 0;
            int t = 0, p = 0, l = 0;
            double c = 0, lc = 0;
            char sure[8] = {};
            const int fields = std::sscanf(line.c_str(),
                                           "{\"second\":%lld,\"tick\":%lld,\"tonalyte\":%d,\"profile\":%d,"
                                           "\"confidence\":%lf,\"sure\":%5[a-z],\"local\":%d,\"localConfidence\":%lf",
                                           &second, &tick, &t, &p, &c, sure, &l, &lc);
            if (fields < 6)
                continue;
            withLocal = withLocal || fields == 8;
            shown.push_back({p, c, sure[0] == 't'});
            played.push_back({l, lc, lc >= 0.5});
            heard.push_back({t, 0, true});
            ticks.push_back(tick);
        }
        if (ticks.empty())
            continue;
        ++read;
        // The last second ends a second later.
        ticks.push_back(ticks.size() > 1 ? 2 * ticks.back() - ticks[ticks.size() - 2] : ticks.back() + 1);
        profile.add(f, scoreReadings(f, shown, ticks));
        local.add(f, scoreReadings(f, played, ticks));
        tonalyte.add(f, scoreReadings(f, heard, ticks));
        const profile::ProfileReading firstKey{f.regions[0].keyCode, 1, true};
        first.add(f, scoreReadings(f, std::vector<profile::ProfileReading>(shown.size(), firstKey), ticks));
    }
    if (read == 0) {
        std::fprintf(stderr, "no traces in %s\n", dir.c_str());
        return false;
    }
    std::printf("%d traces. The live profile analysis:\n", read);
    print(profile, true, showBins);
    if (withLocal) {
        std::printf("What a play shows (local):\n");
        print(local, true, showBins);
    }
    std::printf("Tonalyte, live:\n");
    print(tonalyte, false);
    std::printf("The first annotated key held from second 0:\n");
    print(first, false);
    return true;
}

// The calibration of the tracker's confidence: its report (--calibration K), or a fit into
// its header, written or checked.
int calibrate(const LiveOptions &o, const std::vector<keyscore::CorpusFile> &corpus,
              const std::vector<LiveFile> &files, TrackerOptions options)
{
    const bool fitting = !o.calibrationHeader.empty() || !o.fitTables.empty() || !o.checkTables.empty();
    // A fit takes the profile and the chord evidence as the fitted tables write them, so one run after
    // tunedeck-keyscore's gives what building in between would.
    if (fitting && options.profile == profile::Profile::Fitted)
        options.weights = keyscore::profileAsWritten(corpus);
    if (fitting && options.chordWeight != 0)
        options.chordEvidence = keyscore::chordEvidenceAsWritten(corpus);
    const int calibrationFolds = o.calibrationFolds ? o.calibrationFolds : 5;
    if (!o.checkTables.empty()) {
        const LiveCalibrationWeights weights = fitChosenCalibration(files, options, calibrationFolds);
        return tools::checkHeaders(o.checkTables, {{LiveHeader, liveCalibrationHeader(weights, calibrationFolds)}},
                                   std::cout);
    }
    const auto weights = calibrationReport(files, options, calibrationFolds, !fitting);
    if (!fitting)
        return 0;
    const std::string text = liveCalibrationHeader(weights, calibrationFolds);
    if (!o.fitTables.empty())
        return tools::writeHeaders(o.fitTables, {{LiveHeader, text}}, std::cout, std::cerr);
    std::string error;
    if (!tools::writeAtomically(o.calibrationHeader, text, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}

// The tracker's parameters chosen by grouped cross-validation (--cv K), or on the other sets
// for each set (--leave-set-out).
int chooseParameters(const LiveOptions &o, const std::vector<keyscore::CorpusFile> &corpus,
                     const std::vector<LiveFile> &files, const TrackerOptions &options)
{
    const bool leaveSetOut = o.leaveSetOut;
    const int folds = o.folds;
    // Each file played with the chord evidence fitted without its fold (of five with --leave-set-out).
    const std::map<std::string, int> foldOf = dealFolds(files, folds > 1 ? folds : 5);
    const GridScores scores(files, options, chordsWithoutFold(files, corpus, foldOf, folds > 1 ? folds : 5));
    std::printf("%zu settings\n", scores.size());
    Summary heldOut;
    if (leaveSetOut) {
        // Each set scored with the parameters the other sets choose: music of a kind unseen.
        for (std::size_t set = 0; set < SetNames.size(); ++set) {
            const auto other = [&](const LiveFile &f) { return std::size_t(f.set) != set; };
            const TrackerOptions &chosen = scores.choose(other);
            std::printf("without %s: ", SetNames[set]);
            describe(chosen);
            heldOut.merge(scores.summary(chosen, [&](const LiveFile &f) { return !other(f); }));
        }
        std::printf("each set held out:\n");
    } else {
        // Groups go to folds in turn within each set, so every fold holds some of every set.
        for (int k = 0; k < folds; ++k) {
            const TrackerOptions &chosen =
                scores.choose([&](const LiveFile &f) { return foldOf.at(f.group) != k; });
            std::printf("fold %d: ", k);
            describe(chosen);
            heldOut.merge(scores.summary(chosen, [&](const LiveFile &f) { return foldOf.at(f.group) == k; }));
        }
        std::printf("held out, %d folds:\n", folds);
    }
    print(heldOut, true, showBins);
    const auto every = [](const LiveFile &) { return true; };
    const TrackerOptions &all = scores.choose(every);
    std::printf("chosen on all: ");
    describe(all);
    print(scores.summary(all, every), true, showBins);
    return 0;
}

// The tracker with the options given, and what a play shows, scored per set.
int scoreTracker(const LiveOptions &o, const std::vector<LiveFile> &files, const TrackerOptions &options)
{
    describe(options);
    Summary tracked, played;
    for (const LiveFile &f : files) {
        const auto heard = readEverySecond(f, options);
        const auto shown = localEverySecond(f, profile::AnalysisOptions{});
        const LiveScore s = scoreReadings(f, heard, f.secondTicks), l = scoreReadings(f, shown, f.secondTicks);
        tracked.add(f, s);
        played.add(f, l);
        if (f.name == o.seconds) // second, key shown listening, confidence, key a play shows, confidence, annotated key
            for (std::size_t i = 0; i < heard.size(); ++i) {
                int annotated = 0;
                for (const auto &g : f.regions)
                    if (g.span.start <= f.secondTicks[i] && f.secondTicks[i] < g.span.end)
                        annotated = g.keyCode;
                std::printf("%zu %d %.2f %d %.2f %d\n", i, heard[i].keyCode, heard[i].confidence, shown[i].keyCode,
                            shown[i].confidence, annotated);
            }
        if (o.perFile)
            std::printf("%-14s %-60s listening %5.1f %% followed %d/%d changes %d | play %5.1f %% followed %d/%d "
                        "changes %d | annotated %d, %.1f min\n",
                        SetNames[std::size_t(f.set)], f.name.c_str(), 100 * s.accuracy(), s.follow.followed,
                        s.follow.scored, s.follow.shown, 100 * l.accuracy(), l.follow.followed, l.follow.scored,
                        l.follow.shown, s.follow.annotated, s.follow.minutes);
    }
    std::printf("Listening (profile), the tracker:\n");
    print(tracked, true, showBins);
    std::printf("A play (local), the whole-file analysis' local key at the play's position:\n");
    print(played, true, showBins);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    LiveOptions o;
    o.folder = TUNEDECK_CORPUS;
    if (const std::optional<int> code = readCommandLine(argc, argv, o))
        return *code;
    showBins = o.bins;

    std::vector<std::string> warnings;
    const std::vector<keyscore::CorpusFile> corpus = keyscore::loadCorpus(o.folder, warnings);
    const std::vector<LiveFile> files = liveCorpus(corpus, o.folder, warnings);
    for (const std::string &w : warnings)
        std::fprintf(stderr, "%s\n", w.c_str());
    if (files.empty()) {
        std::fprintf(stderr, "no corpus in %s\n", o.folder.c_str());
        return o.checkTables.empty() ? 1 : tools::NoCorpusToCheck;
    }

    if (!o.traces.empty())
        return scoreTraces(files, o.traces) ? 0 : 1;
    if (o.calibrationFolds > 1 || !o.calibrationHeader.empty() || !o.fitTables.empty() || !o.checkTables.empty())
        return calibrate(o, corpus, files, o.tracker);
    if (o.before) {
        scoreWholeModelLive(files);
        return 0;
    }
    if (o.leaveSetOut || o.folds > 1)
        return chooseParameters(o, corpus, files, o.tracker);
    return scoreTracker(o, files, o.tracker);
}

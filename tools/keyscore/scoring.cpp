#include "keyscore/scoring.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace tunedeck::keyscore {

using namespace profile;

double mirexScore(int reference, int estimate)
{
    switch (keyRelation(reference, estimate)) {
    case KeyRelation::Same: return 1.0;
    case KeyRelation::Dominant: return 0.5;
    case KeyRelation::Relative: return 0.3;
    case KeyRelation::Parallel: return 0.2;
    default: return 0.0;
    }
}

LocalScore localScore(const CorpusFile &file, const ProfileAnalysis &analysis)
{
    double total = 0, exact = 0, mirex = 0;
    const auto keyAt = [&](std::int64_t tick) {
        if (analysis.windowKeys.empty())
            return NoKey;
        const std::size_t w = std::size_t(tick / analysis.windowTicks);
        return analysis.windowKeys[std::min(w, analysis.windowKeys.size() - 1)];
    };
    for (const Region &region : file.regions)
        for (const Span &s : file.sounding) {
            std::int64_t from = std::max(s.start, region.span.start);
            const std::int64_t to = std::min(s.end, region.span.end);
            // Piece by piece along the windows, each with its own key.
            while (from < to) {
                const std::int64_t w = analysis.windowTicks > 0 ? from / analysis.windowTicks : 0;
                const std::int64_t end = analysis.windowTicks > 0 ? std::min(to, (w + 1) * analysis.windowTicks) : to;
                const double d = double(end - from);
                const int key = keyAt(from);
                total += d;
                exact += key == region.keyCode ? d : 0;
                mirex += d * mirexScore(region.keyCode, key);
                from = end;
            }
        }
    if (total <= 0)
        return {};
    return {exact / total, mirex / total};
}

FileResult scoreFile(const CorpusFile &file, const ProfileAnalysis &analysis)
{
    FileResult r;
    r.keyCode = analysis.keyCode;
    r.confidence = analysis.confidence;
    if (analysis.candidates.size() > 1) {
        r.second = analysis.keyShares[std::size_t(keyIndex(analysis.candidates[1].keyCode))]
                   / analysis.keyShares[std::size_t(keyIndex(analysis.keyCode))];
        r.secondRight = analysis.candidates[1].keyCode == file.keyCode;
    }
    for (const KeyCandidate &c : analysis.candidates)
        if (c.keyCode == file.keyCode)
            r.labelShare = c.confidence;
    r.exact = analysis.keyCode == file.keyCode ? 1 : 0;
    r.mirex = mirexScore(file.keyCode, analysis.keyCode);
    r.hasRegions = !file.regions.empty();
    r.severalRegions = file.regions.size() > 1;
    if (r.hasRegions) {
        r.local = localScore(file, analysis);
        std::vector<int> shown;
        for (std::size_t second = 0; second + 1 < file.secondTicks.size(); ++second)
            shown.push_back(localKeyAt(analysis, file.secondTicks[second]).keyCode);
        r.follow = following(file.regions, shown, file.secondTicks, file.minutes);
    }
    return r;
}

ProfileAnalysis firstKeyHeld(const CorpusFile &file)
{
    ProfileAnalysis a;
    a.keyCode = file.regions.empty() ? file.keyCode : file.regions.front().keyCode;
    a.confidence = 1;
    a.candidates = {{a.keyCode, 1.0, KeyRelation::Same}};
    a.windowTicks = std::int64_t(1) << 40;
    a.windowKeys = {a.keyCode};
    a.regions = {{0, a.windowTicks, a.keyCode}};
    return a;
}

bool scoresWholeFile(const CorpusFile &file)
{
    return file.kind != Kind::Textbook;
}

Summary summarise(const std::vector<CorpusFile> &files, const std::vector<FileResult> &results,
                  const std::vector<bool> &included)
{
    Summary s;
    int count = 0;
    const auto add = [](SetSummary &set, double exact, double mirex, double confidence, const Following &follow = {}) {
        ++set.files;
        set.follow += follow;
        set.exact += exact;
        set.mirex += mirex;
        set.confidence += confidence;
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!included[i])
            continue;
        const FileResult &r = results[i];
        const Kind kind = files[i].kind;
        if (r.hasRegions) {
            SetSummary *local = kind == Kind::Song ? &s.songs : kind == Kind::Textbook ? &s.textbooks : &s.local;
            add(*local, r.local.exact, r.local.mirex, 0, r.follow);
            if (local == &s.local) {
                const bool doubtful = files[i].name == "pop909-017.mid" || files[i].name == "pop909-018.mid";
                add(r.severalRegions ? s.multi : s.single, r.local.exact, r.local.mirex, 0, r.follow);
                if (r.severalRegions && !doubtful)
                    add(s.multiClean, r.local.exact, r.local.mirex, 0, r.follow);
            }
        }
        if (!scoresWholeFile(files[i]))
            continue;
        add(s.sets[files[i].set], r.exact, r.mirex, r.confidence);
        s.logLoss -= std::log(std::max(r.labelShare, 1e-3));
        ++count;
    }
    for (SetSummary *set : {&s.local, &s.multi, &s.single, &s.multiClean, &s.songs, &s.textbooks})
        if (set->files > 0) {
            set->exact *= 100.0 / set->files;
            set->mirex *= 100.0 / set->files;
        }
    for (auto &[name, set] : s.sets) {
        set.exact *= 100.0 / set.files;
        set.mirex *= 100.0 / set.files;
        set.confidence /= set.files;
    }
    s.logLoss /= std::max(count, 1);
    return s;
}

double criterion(const Summary &summary)
{
    double sum = 0;
    int parts = 0;
    for (const auto &[name, set] : summary.sets) {
        sum += set.exact;
        ++parts;
    }
    for (const SetSummary *local : {&summary.local, &summary.multi, &summary.songs, &summary.textbooks})
        if (local->files > 0) {
            sum += local->exact;
            ++parts;
        }
    return parts > 0 ? sum / parts : 0;
}

std::vector<int> groupFolds(const std::vector<CorpusFile> &files, int folds)
{
    std::vector<std::string> groups;
    for (const CorpusFile &f : files)
        groups.push_back(f.group);
    return foldsOfGroups(groups, folds);
}

std::array<double, 12> fileDurations(const CorpusFile &file)
{
    KeyWorkspace workspace(file.ticksPerQuarter);
    workspace.add(file.events);
    std::array<double, 12> sum{};
    for (const WindowDurations &w : workspace.windows())
        for (std::size_t pc = 0; pc < 12; ++pc)
            sum[pc] += double(w.sounding[pc]);
    return sum;
}

ProfileWeights fitProfile(const std::vector<CorpusFile> &files, const std::vector<std::array<double, 12>> &durations,
                          std::size_t without)
{
    ProfileWeights fit;
    int majors = 0, minors = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        double total = 0;
        for (double d : durations[i])
            total += d;
        const bool fitted = files[i].kind == Kind::Pop || files[i].kind == Kind::Chorale;
        if (i == without || !fitted || total <= 0 || !isKeyCode(files[i].keyCode))
            continue;
        const bool minor = isMinorKey(files[i].keyCode);
        auto &profile = minor ? fit.minor : fit.major;
        ++(minor ? minors : majors);
        const int tonic = tonicOf(files[i].keyCode);
        for (int degree = 0; degree < 12; ++degree)
            profile[std::size_t(degree)] += durations[i][std::size_t((tonic + degree) % 12)] / total;
    }
    for (double &v : fit.major)
        v /= std::max(majors, 1);
    for (double &v : fit.minor)
        v /= std::max(minors, 1);
    return fit;
}

ChangeWeights fitChanges(const std::vector<CorpusFile> &files, const std::vector<bool> &included, double prior)
{
    ChangeWeights counts;
    for (KeyScores &mode : counts) {
        mode.fill(prior);
        mode[0] = 0;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!included[i])
            continue;
        const std::vector<Region> &r = files[i].regions;
        for (std::size_t j = 1; j < r.size(); ++j) {
            const int from = r[j - 1].keyCode, to = r[j].keyCode;
            if (from == to || !isKeyCode(from) || !isKeyCode(to))
                continue;
            const int up = (tonicOf(to) - tonicOf(from) + 12) % 12 + (isMinorKey(from) != isMinorKey(to) ? 12 : 0);
            counts[isMinorKey(from) ? 1 : 0][std::size_t(up)] += 1;
        }
    }
    for (KeyScores &mode : counts) {
        double sum = 0;
        for (double v : mode)
            sum += v;
        for (double &v : mode)
            v /= sum;
    }
    return counts;
}

} // namespace tunedeck::keyscore

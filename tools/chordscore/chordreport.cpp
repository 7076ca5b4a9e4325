#include "chordscore/chordreport.h"

#include "chordscore/barmeasures.h"

#include "core/base/keycodes.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

namespace tunedeck::chordscore {

namespace {

void add(SetSummary &s, const FileScore &score)
{
    ++s.files;
    for (std::size_t k = 0; k < AllMeasures.size(); ++k)
        if (score.chords->accuracy[k]) {
            s.accuracy[k] += *score.chords->accuracy[k];
            ++s.counted[k];
        }
    s.segmentation += score.chords->segmentation();
    s.overSegmentation += score.chords->overSegmentation;
    s.underSegmentation += score.chords->underSegmentation;
    if (score.romans.key) {
        ++s.romanFiles;
        s.key += *score.romans.key;
        s.roman += *score.romans.roman;
    }
    s.reliability += score.reliability;
    s.qualities += score.qualities;
}

void finish(SetSummary &s)
{
    for (std::size_t k = 0; k < AllMeasures.size(); ++k)
        s.accuracy[k] /= std::max(s.counted[k], 1);
    s.segmentation /= std::max(s.files, 1);
    s.overSegmentation /= std::max(s.files, 1);
    s.underSegmentation /= std::max(s.files, 1);
    s.key /= std::max(s.romanFiles, 1);
    s.roman /= std::max(s.romanFiles, 1);
}

std::string figure(const std::optional<double> &v)
{
    if (!v)
        return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", *v);
    return buf;
}

// The composer where the file's name starts with its genre ("Early_Choral-Bach_Johann_Sebastian-..."),
// else nothing: the chorales apart from the madrigals.
std::string composerOf(const keyscore::CorpusFile &file)
{
    const std::string &genre = file.genre, &name = file.name;
    if (genre.empty() || name.size() <= genre.size() + 1 || name.compare(0, genre.size() + 1, genre + "-") != 0)
        return {};
    const std::size_t from = genre.size() + 1, to = name.find('-', from);
    return to == std::string::npos ? std::string() : name.substr(from, to - from);
}

// Adds the score to the summary of that name, made where there is none yet.
void addTo(std::vector<SetSummary> &kinds, const std::string &name, const FileScore &score)
{
    auto k = std::find_if(kinds.begin(), kinds.end(), [&](const SetSummary &s) { return s.name == name; });
    if (k == kinds.end()) {
        k = kinds.emplace(kinds.end());
        k->name = name;
    }
    add(*k, score);
}

} // namespace

std::vector<SetSummary> summarise(const std::vector<ChordFile> &files, const std::vector<FileScore> &scores)
{
    std::vector<SetSummary> out;
    std::vector<std::string> sets;
    for (const ChordFile &f : files)
        if (f.scored && std::find(sets.begin(), sets.end(), f.set) == sets.end())
            sets.push_back(f.set);
    for (const std::string &set : sets) {
        SetSummary whole;
        whole.name = set;
        std::vector<SetSummary> genres, composers;
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (!files[i].scored || files[i].set != set || !scores[i].chords)
                continue;
            add(whole, scores[i]);
            addTo(genres, "  " + files[i].file.genre, scores[i]);
            if (const std::string composer = composerOf(files[i].file); !composer.empty())
                addTo(composers, "  " + files[i].file.genre + ", " + composer, scores[i]);
        }
        out.push_back(whole);
        if (genres.size() > 1)
            out.insert(out.end(), genres.begin(), genres.end());
        if (composers.size() > 1)
            out.insert(out.end(), composers.begin(), composers.end());
    }
    for (SetSummary &s : out)
        finish(s);
    return out;
}

void printSummary(const std::vector<SetSummary> &sets)
{
    std::printf("%-38s %5s %6s %6s %10s %8s %12s %5s %5s %5s | %5s %5s\n", "chords, % (files equally)", "files", "root",
                "majmin", "majmin_inv", "sevenths", "sevenths_inv", "seg", "under", "over", "key", "roman");
    for (const SetSummary &s : sets) {
        std::printf("%-38s %5d", s.name.c_str(), s.files);
        const int widths[] = {6, 6, 10, 8, 12};
        for (std::size_t k = 0; k < AllMeasures.size(); ++k)
            std::printf(" %*.1f", widths[k], 100 * s.accuracy[k]);
        std::printf(" %5.1f %5.1f %5.1f |", 100 * s.segmentation, 100 * s.underSegmentation, 100 * s.overSegmentation);
        if (s.romanFiles > 0)
            std::printf(" %5.1f %5.1f\n", 100 * s.key, 100 * s.roman);
        else
            std::printf(" %5s %5s\n", "-", "-");
    }
    // Where a measure left files out (no reference time in its gamut), say how many it kept.
    for (const SetSummary &s : sets)
        for (std::size_t k = 0; k < AllMeasures.size(); ++k)
            if (s.counted[k] < s.files && s.name.front() != ' ')
                std::printf("    %s: %s over %d of the %d files (the rest have no chord in its gamut)\n", s.name.c_str(),
                            measureName(AllMeasures[k]), s.counted[k], s.files);
}

void printReliability(const std::vector<SetSummary> &sets)
{
    std::printf("confidence against the share of time whose chord is the annotated one (root, tones, bass):\n");
    for (const SetSummary &s : sets) {
        const Reliability &r = s.reliability;
        double quarters = 0, confidence = 0, right = 0;
        for (const Reliability::Bin &b : r.bins) {
            quarters += b.quarters;
            confidence += b.confidence;
            right += b.right;
        }
        if (quarters <= 0)
            continue;
        std::printf("  %s: mean confidence %.1f %%, right %.1f %%, calibration error %.1f points\n", s.name.c_str(),
                    100 * confidence / quarters, 100 * right / quarters, 100 * r.calibrationError());
        for (std::size_t b = 0; b < r.bins.size() && s.name.front() != ' '; ++b) // a genre: its figures alone
            if (r.bins[b].quarters > 0)
                std::printf("    %3zu-%3zu %%: %5.1f %% of the time, mean confidence %5.1f %%, right %5.1f %%\n", 10 * b,
                            10 * b + 10, 100 * r.bins[b].quarters / quarters, 100 * r.bins[b].confidence / r.bins[b].quarters,
                            100 * r.bins[b].right / r.bins[b].quarters);
    }
}

void printQualities(const std::vector<SetSummary> &sets)
{
    std::printf("chords of each quality, said (segments) / annotated (rows):\n");
    for (const SetSummary &s : sets) {
        if (s.name.front() == ' ')
            continue;
        std::vector<std::pair<std::string, std::array<int, 2>>> rows(s.qualities.begin(), s.qualities.end());
        std::stable_sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) {
            return a.second[1] != b.second[1] ? a.second[1] > b.second[1] : a.second[0] > b.second[0];
        });
        std::printf("  %s:", s.name.c_str());
        for (const auto &[quality, n] : rows)
            std::printf(" %s %d/%d", quality.c_str(), n[0], n[1]);
        std::printf("\n");
    }
}

void printSpeed(const std::vector<ChordFile> &files, const std::vector<FileRun> &runs,
                const std::vector<double> &libraryMs)
{
    double profile = 0, chords = 0, library = 0, slowest = 0;
    int n = 0;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].scored) {
            profile += runs[i].profileMs;
            chords += runs[i].chordMs;
            slowest = std::max(slowest, runs[i].chordMs);
            ++n;
        }
    for (double ms : libraryMs)
        library += ms;
    if (n == 0)
        return;
    profile /= n;
    chords /= n;
    std::printf("speed, ms a file (%d files): ", n);
    if (!libraryMs.empty()) {
        library /= double(libraryMs.size());
        std::printf("the fast run without the chords %.2f (the library's run %.2f, the profile analysis %.2f); ",
                    library + profile, library, profile);
    } else {
        std::printf("the profile analysis %.2f; ", profile);
    }
    std::printf("the chord analysis %.2f (at most %.2f)\n", chords, slowest);
}

namespace {

// Each scored file's bar measures, where its set has annotated downbeats for it.
std::vector<std::optional<BarMeasures>> barsOf(const std::vector<ChordFile> &files, const std::vector<FileRun> &runs)
{
    std::map<std::filesystem::path, std::map<std::string, std::vector<std::int64_t>>> downbeats;
    std::vector<std::optional<BarMeasures>> out(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ChordFile &f = files[i];
        if (!f.scored || !std::filesystem::exists(f.folder / "beats.tsv"))
            continue;
        if (!downbeats.count(f.folder))
            downbeats[f.folder] = loadDownbeats(f.folder / "beats.tsv");
        const auto beats = downbeats[f.folder].find(f.file.name);
        if (beats != downbeats[f.folder].end() && !beats->second.empty())
            out[i] = measureBars(f.reference, runs[i].segments, beats->second, f.file.ticksPerQuarter);
    }
    return out;
}

} // namespace

void printBars(const std::vector<ChordFile> &files, const std::vector<FileRun> &runs)
{
    const std::vector<std::optional<BarMeasures>> measured = barsOf(files, runs);
    std::vector<std::pair<std::string, BarSummary>> sets;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!measured[i])
            continue;
        if (sets.empty() || sets.back().first != files[i].set)
            sets.push_back({files[i].set, {}});
        sets.back().second.add(*measured[i]);
    }
    if (sets.empty())
        return;
    std::printf("\nBars against the annotated downbeats (an eighth of a quarter either way; songs averaged)\n");
    std::printf("%-24s %6s %8s %10s %8s\n", "set", "files", "recall", "precision", "on-beat");
    const auto percent = [](std::optional<double> v) { return v ? 100 * *v : 0.0; };
    for (const auto &[name, s] : sets)
        std::printf("%-24s %6d %7.1f%% %9.1f%% %7.1f%%\n", name.c_str(), s.files, percent(s.mean(0)), percent(s.mean(1)),
                    percent(s.mean(2)));
}

void writePerFile(std::ostream &out, const std::vector<ChordFile> &files, const std::vector<FileRun> &runs,
                  const std::vector<FileScore> &scores)
{
    out << "set\tfile\tfold";
    for (Measure m : AllMeasures)
        out << '\t' << measureName(m);
    out << "\toverseg\tunderseg\tseg\tkey\troman\tbar_recall\tbar_precision\tbar_onbeat\n";
    const std::vector<std::optional<BarMeasures>> bars = barsOf(files, runs);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!files[i].scored || !scores[i].chords)
            continue;
        const FileMeasures &m = *scores[i].chords;
        out << files[i].set << '\t' << files[i].file.name << '\t' << runs[i].fold + 1;
        for (const std::optional<double> &a : m.accuracy)
            out << '\t' << figure(a);
        out << '\t' << figure(m.overSegmentation) << '\t' << figure(m.underSegmentation) << '\t'
            << figure(m.segmentation()) << '\t' << figure(scores[i].romans.key) << '\t'
            << figure(scores[i].romans.roman);
        const BarMeasures b = bars[i].value_or(BarMeasures{});
        out << '\t' << figure(b.recall) << '\t' << figure(b.precision) << '\t' << figure(b.onBeat) << '\n';
    }
}

void writeDump(std::ostream &out, const std::vector<ChordFile> &files, const std::vector<FileRun> &runs)
{
    out << "file\tstart_tick\tend_tick\tlabel\troman\tkeycode\n";
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].scored)
            for (const ChordRow &r : estimateRows(runs[i].segments))
                out << files[i].file.name << '\t' << r.start << '\t' << r.end << '\t' << r.label << '\t' << r.roman
                    << '\t' << (isKeyCode(r.keyCode) ? std::to_string(r.keyCode) : std::string()) << '\n';
}

} // namespace tunedeck::chordscore

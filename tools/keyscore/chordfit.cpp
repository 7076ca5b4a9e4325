#include "keyscore/chordfit.h"

#include "base/keycodes.h"

#include <cmath>
#include <cstdio>

namespace tunedeck::keyscore {

using namespace profile;

namespace {

// The annotated key at a tick; NoKey outside the regions.
int annotatedKey(const CorpusFile &file, std::int64_t tick)
{
    for (const Region &r : file.regions)
        if (tick >= r.span.start && tick < r.span.end)
            return r.keyCode;
    return NoKey;
}

struct Counts {
    ChordTable counts{};
    int files = 0;
    long windows = 0;
};

Counts countChords(const std::vector<CorpusFile> &files, const std::vector<bool> &included,
                   const ChordFinding &finding, int windowQuarters)
{
    Counts c;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!included[i] || files[i].regions.empty())
            continue;
        ++c.files;
        KeyWorkspace workspace(files[i].ticksPerQuarter, windowQuarters);
        workspace.add(files[i].events);
        const std::vector<WindowDurations> &windows = workspace.windows();
        for (std::size_t w = 0; w < windows.size(); ++w) {
            const int key = annotatedKey(files[i], std::int64_t(w) * workspace.windowTicks() + workspace.windowTicks() / 2);
            const Chord chord = windowChord(windows[w], finding);
            if (!isKeyCode(key) || chord.root < 0)
                continue;
            c.counts[isMinorKey(key) ? 1 : 0][std::size_t(chordClass(chord, tonicOf(key)))] += 1;
            ++c.windows;
        }
    }
    return c;
}

} // namespace

ChordTable fitChords(const std::vector<CorpusFile> &files, const std::vector<bool> &included,
                     const ChordFinding &finding, double prior, int windowQuarters)
{
    ChordTable table = countChords(files, included, finding, windowQuarters).counts;
    for (auto &mode : table) {
        double sum = 0;
        for (double &v : mode)
            sum += v += prior;
        for (double &v : mode)
            v = std::log(v / sum);
    }
    return table;
}

std::string fittedChordsHeader(const ChordTable &table, const std::vector<CorpusFile> &files, double prior,
                               int windowQuarters)
{
    const Counts c = countChords(files, std::vector<bool>(files.size(), true), ChordFinding{}, windowQuarters);
    const auto row = [](const std::array<double, ChordClasses> &v) {
        std::string s = "{";
        char buf[32];
        for (std::size_t i = 0; i < v.size(); ++i) {
            std::snprintf(buf, sizeof buf, "%s%s%.6f", i ? "," : "", i % 8 ? " " : "\n    ", std::exp(v[i]));
            s += buf;
        }
        return s + "}";
    };
    char prior_[32];
    std::snprintf(prior_, sizeof prior_, "%g", prior);
    return "// Written by tunedeck-keyscore --fit-chords from the annotated local keys of the shared\n"
           "// corpus (" + std::to_string(c.files) + " files, " + std::to_string(c.windows) +
           " windows of " + std::to_string(windowQuarters) + " quarter note" + (windowQuarters > 1 ? "s" : "") + " with a clear chord: pop909/regions.tsv,\n"
           "// wir/localkeys.tsv): how often each chord (profile::windowChord with its default\n"
           "// finding) falls on each degree of the key annotated at the window's middle, counted plus\n"
           "// " + std::string(prior_) + " for every chord class and scaled to sum 1 per mode. Cross-validated in docs/PROFILE-ANALYSIS.md.\n"
           "#ifndef TUNEDECK_PROFILE_FITTEDCHORDS_H\n"
           "#define TUNEDECK_PROFILE_FITTEDCHORDS_H\n\n"
           "#include <array>\n\n"
           "namespace tunedeck::profile {\n\n"
           "// Index 8 * (root's semitones above the tonic) + quality (profile::ChordQuality).\n"
           "inline constexpr std::array<double, 96> FittedChordsInMajor = "
           + row(table[0]) + ";\ninline constexpr std::array<double, 96> FittedChordsInMinor = " + row(table[1])
           + ";\n\n} // namespace tunedeck::profile\n\n#endif\n";
}

} // namespace tunedeck::keyscore

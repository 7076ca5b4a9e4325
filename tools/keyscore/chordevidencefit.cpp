#include "keyscore/chordevidencefit.h"

#include "core/base/keycodes.h"

#include <cmath>

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
    harmony::KeyChordTable counts{};
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
            const harmony::Chord chord = windowChord(windows[w], finding);
            if (!isKeyCode(key) || chord.none())
                continue;
            c.counts[isMinorKey(key) ? 1 : 0][std::size_t(harmony::relativeClass(harmony::chordClass(chord), tonicOf(key)))] += 1;
            ++c.windows;
        }
    }
    return c;
}

} // namespace

harmony::KeyChordTable fitChordEvidence(const std::vector<CorpusFile> &files, const std::vector<bool> &included,
                                        const ChordFinding &finding, double prior, int windowQuarters,
                                        ChordEvidenceCounts *counted)
{
    const Counts c = countChords(files, included, finding, windowQuarters);
    if (counted)
        *counted = {c.files, c.windows};
    harmony::KeyChordTable table = c.counts;
    for (auto &mode : table) {
        double sum = 0;
        for (std::size_t i = 0; i < WindowClassCount; ++i)
            sum += mode[std::size_t(windowClass(i))] += prior;
        for (std::size_t i = 0; i < WindowClassCount; ++i) {
            double &v = mode[std::size_t(windowClass(i))];
            v = std::log(v / sum);
        }
    }
    return table;
}

} // namespace tunedeck::keyscore

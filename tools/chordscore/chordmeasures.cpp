#include "chordscore/chordmeasures.h"

#include <algorithm>
#include <map>
#include <set>

namespace tunedeck::chordscore {

namespace {

// mir_eval.chord.QUALITIES, bit i for i semitones above the root.
constexpr std::uint16_t bits(std::initializer_list<int> semitones)
{
    std::uint16_t b = 0;
    for (int s : semitones)
        b = std::uint16_t(b | (1u << s));
    return b;
}
const std::map<std::string_view, std::uint16_t> &qualities()
{
    static const std::map<std::string_view, std::uint16_t> table = {
        {"maj", bits({0, 4, 7})}, {"min", bits({0, 3, 7})}, {"aug", bits({0, 4, 8})}, {"dim", bits({0, 3, 6})},
        {"sus4", bits({0, 5, 7})}, {"sus2", bits({0, 2, 7})}, {"7", bits({0, 4, 7, 10})},
        {"maj7", bits({0, 4, 7, 11})}, {"min7", bits({0, 3, 7, 10})}, {"minmaj7", bits({0, 3, 7, 11})},
        {"maj6", bits({0, 4, 7, 9})}, {"min6", bits({0, 3, 7, 9})}, {"dim7", bits({0, 3, 6, 9})},
        {"hdim7", bits({0, 3, 6, 10})}, {"maj9", bits({0, 4, 7, 11})}, {"min9", bits({0, 3, 7, 10})},
        {"9", bits({0, 4, 7, 10})}, {"b9", bits({0, 4, 7, 10})}, {"#9", bits({0, 4, 7, 10})},
        {"min11", bits({0, 3, 7, 10})}, {"11", bits({0, 4, 7, 10})}, {"#11", bits({0, 4, 7, 10})},
        {"maj13", bits({0, 4, 7, 11})}, {"min13", bits({0, 3, 7, 10})}, {"13", bits({0, 4, 7, 10})},
        {"b13", bits({0, 4, 7, 10})}, {"1", bits({0})}, {"5", bits({0, 7})}, {"", 0}};
    return table;
}

// mir_eval.chord.EXTENDED_QUALITY_REDUX: an extended quality as a simpler one and degrees.
std::pair<std::string, std::vector<std::string>> reduced(const std::string &quality)
{
    static const std::map<std::string_view, std::pair<const char *, std::vector<std::string>>> redux = {
        {"minmaj7", {"min", {"7"}}}, {"maj9", {"maj7", {"9"}}}, {"min9", {"min7", {"9"}}},
        {"9", {"7", {"9"}}}, {"b9", {"7", {"b9"}}}, {"#9", {"7", {"#9"}}}, {"11", {"7", {"9", "11"}}},
        {"#11", {"7", {"9", "#11"}}}, {"13", {"7", {"9", "11", "13"}}}, {"b13", {"7", {"9", "11", "b13"}}},
        {"min11", {"min7", {"9", "11"}}}, {"maj13", {"maj7", {"9", "11", "13"}}},
        {"min13", {"min7", {"9", "11", "13"}}}};
    const auto it = redux.find(quality);
    if (it == redux.end())
        return {quality, {}};
    return {it->second.first, it->second.second};
}

int pythonModulo(int a, int n)
{
    return (a % n + n) % n;
}

// mir_eval's scale_degree_to_semitone: "b3", "#5", "bb7", "9"; not wrapped to an octave.
std::optional<int> degreeSemitones(std::string_view degree)
{
    int offset = 0;
    if (!degree.empty() && (degree[0] == '#' || degree[0] == 'b')) {
        const char sign = degree[0];
        offset = int(std::count(degree.begin(), degree.end(), sign)) * (sign == '#' ? 1 : -1);
        while (!degree.empty() && degree.front() == sign)
            degree.remove_prefix(1);
        while (!degree.empty() && degree.back() == sign)
            degree.remove_suffix(1);
    }
    static constexpr int Degrees[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21};
    int number = 0;
    for (char c : degree) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
        if (number > 13)
            return std::nullopt;
    }
    if (degree.empty() || number < 1 || degree[0] == '0')
        return std::nullopt;
    return Degrees[number - 1] + offset;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool equalLow8(const EncodedChord &a, const EncodedChord &b)
{
    return !a.unknown && !b.unknown && (a.tones & 0xff) == (b.tones & 0xff);
}

bool equalTones(const EncodedChord &a, const EncodedChord &b)
{
    return !a.unknown && !b.unknown && a.tones == b.tones;
}

// The bass is one of the chord's tones (always so once encoded, as mir_eval adds it).
bool validInversion(const EncodedChord &c)
{
    return c.bass < 0 || (c.tones >> c.bass & 1) != 0;
}

bool majMinGamut(const EncodedChord &r)
{
    const int low = r.tones & 0xff;
    return !r.unknown && (low == bits({0, 4, 7}) || low == bits({0, 3, 7}) || (r.root < 0 && r.tones == 0));
}

bool seventhsGamut(const EncodedChord &r)
{
    static constexpr std::uint16_t Sevenths[] = {bits({0, 4, 7}), bits({0, 3, 7}), bits({0, 4, 7, 11}),
                                                 bits({0, 4, 7, 10}), bits({0, 3, 7, 10}), 0};
    return !r.unknown && std::find(std::begin(Sevenths), std::end(Sevenths), r.tones) != std::end(Sevenths);
}

// mir_eval's merge_chord_intervals: neighbours naming one chord (extensions reduced) as one.
std::vector<ChordRow> mergedChords(const std::vector<ChordRow> &intervals)
{
    std::vector<ChordRow> out;
    std::optional<EncodedChord> previous;
    for (const ChordRow &i : intervals) {
        const std::optional<EncodedChord> chord = encodeHarte(i.label, true);
        if (!out.empty() && chord == previous)
            out.back().end = i.end;
        else
            out.push_back(i);
        previous = chord;
    }
    return out;
}

// mir_eval's directional_hamming_distance: for each reference interval, the part of it not
// in its longest piece cut by the estimate's boundaries, over the reference's span.
double directionalHamming(const std::vector<ChordRow> &reference, const std::vector<ChordRow> &estimate)
{
    std::vector<std::int64_t> boundaries;
    for (const ChordRow &i : estimate) {
        boundaries.push_back(i.start);
        boundaries.push_back(i.end);
    }
    std::sort(boundaries.begin(), boundaries.end());
    boundaries.erase(std::unique(boundaries.begin(), boundaries.end()), boundaries.end());
    double sum = 0;
    for (const ChordRow &r : reference) {
        std::int64_t longest = 0, from = r.start;
        for (auto it = std::lower_bound(boundaries.begin(), boundaries.end(), r.start);
             it != boundaries.end() && *it < r.end; ++it) {
            longest = std::max(longest, *it - from);
            from = *it;
        }
        longest = std::max(longest, r.end - from);
        sum += double(r.end - r.start - longest);
    }
    return sum / double(reference.back().end - reference.front().start);
}

} // namespace

// mir_eval's pitch_class_to_semitone: a letter, then any sharps and flats.
std::optional<int> pitchClass(std::string_view name)
{
    static constexpr std::string_view Letters = "CDEFGAB";
    static constexpr int Semitones[] = {0, 2, 4, 5, 7, 9, 11};
    if (name.empty() || Letters.find(name[0]) == std::string_view::npos)
        return std::nullopt;
    int semitone = Semitones[Letters.find(name[0])];
    for (char c : name.substr(1)) {
        if (c != '#' && c != 'b')
            return std::nullopt;
        semitone += c == '#' ? 1 : -1;
    }
    return pythonModulo(semitone, 12);
}

std::optional<EncodedChord> encodeHarte(std::string_view label, bool reduceExtended)
{
    if (label == "N")
        return EncodedChord{};
    if (label == "X")
        return EncodedChord{-1, 0, -1, true};
    std::string_view bass = "1";
    if (const std::size_t slash = label.find('/'); slash != std::string_view::npos) {
        bass = label.substr(slash + 1);
        label = label.substr(0, slash);
        if (bass.find('/') != std::string_view::npos)
            return std::nullopt;
    }
    std::set<std::string> degrees;
    if (const std::size_t open = label.find('('); open != std::string_view::npos) {
        std::string_view inside = label.substr(open + 1);
        label = label.substr(0, open);
        if (inside.empty() || inside.back() != ')')
            return std::nullopt;
        inside.remove_suffix(1);
        for (std::size_t from = 0; from <= inside.size();) {
            const std::size_t comma = std::min(inside.find(',', from), inside.size());
            degrees.emplace(trimmed(inside.substr(from, comma - from)));
            from = comma + 1;
        }
    }
    std::string quality = degrees.empty() ? "maj" : "";
    std::string_view root = label;
    if (const std::size_t colon = label.find(':'); colon != std::string_view::npos) {
        root = label.substr(0, colon);
        if (colon + 1 < label.size()) {
            quality = label.substr(colon + 1);
            std::transform(quality.begin(), quality.end(), quality.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
        }
    }
    if (reduceExtended) {
        auto [base, more] = reduced(quality);
        quality = base;
        degrees.insert(more.begin(), more.end());
    }
    const std::optional<int> rootClass = pitchClass(root);
    const std::optional<int> bassSemitones = degreeSemitones(bass);
    const auto shape = qualities().find(quality);
    if (!rootClass || !bassSemitones || shape == qualities().end())
        return std::nullopt;
    std::array<int, 12> count{};
    for (int s = 0; s < 12; ++s)
        count[std::size_t(s)] = shape->second >> s & 1;
    count[0] = 1;
    for (const std::string &d : degrees) {
        std::string_view degree = d;
        int sign = 1;
        if (!degree.empty() && degree[0] == '*') {
            sign = -1;
            while (!degree.empty() && degree.front() == '*')
                degree.remove_prefix(1);
        }
        const std::optional<int> semitones = degreeSemitones(degree);
        if (!semitones)
            return std::nullopt;
        // Past the octave only when reduced (mir_eval's modulo), else dropped.
        if (*semitones < 12 || reduceExtended)
            count[std::size_t(pythonModulo(*semitones, 12))] += sign;
    }
    EncodedChord c{*rootClass, 0, pythonModulo(*bassSemitones, 12), false};
    for (int s = 0; s < 12; ++s)
        if (count[std::size_t(s)] > 0)
            c.tones = std::uint16_t(c.tones | (1u << s));
    c.tones = std::uint16_t(c.tones | (1u << c.bass));
    return c;
}

std::vector<ChordRow> adjustedEstimate(const std::vector<ChordRow> &segments, std::int64_t from,
                                            std::int64_t to)
{
    std::vector<ChordRow> in;
    for (const ChordRow &s : segments) {
        if (!in.empty() && in.back().end < s.start)
            in.push_back({in.back().end, s.start, "N", "", 0, std::nullopt});
        in.push_back(s);
    }
    if (in.empty())
        return {{from, to, "N", "", 0, std::nullopt}};
    // mir_eval.util.adjust_intervals to [from, to], step by step.
    const auto firstEnd = std::find_if(in.begin(), in.end(), [&](const ChordRow &i) { return i.end >= from; });
    if (firstEnd != in.end())
        in.erase(in.begin(), firstEnd);
    std::int64_t low = INT64_MAX;
    for (ChordRow &i : in) {
        i.start = std::max(i.start, from);
        i.end = std::max(i.end, from);
        low = std::min({low, i.start, i.end});
    }
    if (low > from)
        in.insert(in.begin(), {from, low, "N", "", 0, std::nullopt});
    const auto pastEnd = std::find_if(in.begin(), in.end(), [&](const ChordRow &i) { return i.start > to; });
    in.erase(pastEnd, in.end());
    std::int64_t high = INT64_MIN;
    for (ChordRow &i : in) {
        i.start = std::min(i.start, to);
        i.end = std::min(i.end, to);
        high = std::max({high, i.start, i.end});
    }
    if (high < to)
        in.push_back({high, to, "N", "", 0, std::nullopt});
    std::erase_if(in, [](const ChordRow &i) { return i.end <= i.start; });
    return in;
}

void forEachPiece(const std::vector<ChordRow> &reference, const std::vector<ChordRow> &adjusted,
                  const std::function<void(std::int64_t, std::int64_t, std::size_t, std::size_t)> &piece)
{
    std::vector<std::int64_t> boundaries;
    for (const auto *list : {&reference, &adjusted})
        for (const ChordRow &i : *list) {
            boundaries.push_back(i.start);
            boundaries.push_back(i.end);
        }
    std::sort(boundaries.begin(), boundaries.end());
    boundaries.erase(std::unique(boundaries.begin(), boundaries.end()), boundaries.end());
    std::size_t r = 0, e = 0;
    for (std::size_t b = 0; b + 1 < boundaries.size(); ++b) {
        const std::int64_t t = boundaries[b];
        while (r + 1 < reference.size() && reference[r + 1].start <= t)
            ++r;
        while (e + 1 < adjusted.size() && adjusted[e + 1].start <= t)
            ++e;
        piece(t, boundaries[b + 1], r, e);
    }
}

const char *measureName(Measure m)
{
    switch (m) {
    case Measure::Root: return "root";
    case Measure::MajMin: return "majmin";
    case Measure::MajMinInv: return "majmin_inv";
    case Measure::Sevenths: return "sevenths";
    case Measure::SeventhsInv: return "sevenths_inv";
    }
    return "";
}

std::optional<double> compare(Measure m, const EncodedChord &r, const EncodedChord &e)
{
    const bool sameRoot = r.root == e.root;
    bool right = false, inGamut = false;
    switch (m) {
    case Measure::Root:
        inGamut = !r.unknown;
        right = sameRoot;
        break;
    case Measure::MajMin:
        inGamut = majMinGamut(r);
        right = sameRoot && equalLow8(r, e);
        break;
    case Measure::MajMinInv:
        inGamut = majMinGamut(r) && validInversion(r);
        right = sameRoot && r.bass == e.bass && equalLow8(r, e);
        break;
    case Measure::Sevenths:
        inGamut = seventhsGamut(r);
        right = sameRoot && equalTones(r, e);
        break;
    case Measure::SeventhsInv:
        inGamut = seventhsGamut(r) && validInversion(r);
        right = sameRoot && r.bass == e.bass && equalTones(r, e);
        break;
    }
    if (!inGamut)
        return std::nullopt;
    return right ? 1.0 : 0.0;
}

std::optional<FileMeasures> measureFile(const std::vector<ChordRow> &reference,
                                        const std::vector<ChordRow> &estimate)
{
    if (reference.empty())
        return std::nullopt;
    std::vector<EncodedChord> ref, est;
    for (std::size_t i = 0; i < reference.size(); ++i) {
        const auto c = encodeHarte(reference[i].label);
        if (!c || reference[i].end <= reference[i].start || (i > 0 && reference[i].start < reference[i - 1].end))
            return std::nullopt;
        ref.push_back(*c);
    }
    const std::vector<ChordRow> adjusted =
        adjustedEstimate(estimate, reference.front().start, reference.back().end);
    for (const ChordRow &i : adjusted) {
        const auto c = encodeHarte(i.label);
        if (!c)
            return std::nullopt;
        est.push_back(*c);
    }
    FileMeasures m;
    m.annotated = reference.back().end - reference.front().start;
    std::array<double, AllMeasures.size()> right{}, weight{};
    forEachPiece(reference, adjusted, [&](std::int64_t from, std::int64_t to, std::size_t r, std::size_t e) {
        for (std::size_t k = 0; k < AllMeasures.size(); ++k)
            if (const std::optional<double> c = compare(AllMeasures[k], ref[r], est[e])) {
                right[k] += *c * double(to - from);
                weight[k] += double(to - from);
            }
    });
    for (std::size_t k = 0; k < AllMeasures.size(); ++k)
        if (weight[k] > 0)
            m.accuracy[k] = right[k] / weight[k];
    const std::vector<ChordRow> mergedReference = mergedChords(reference), mergedEstimate = mergedChords(adjusted);
    m.overSegmentation = 1 - directionalHamming(mergedReference, mergedEstimate);
    m.underSegmentation = 1 - directionalHamming(mergedEstimate, mergedReference);
    return m;
}

} // namespace tunedeck::chordscore

#include "core/score/noterows.h"

#include "core/base/keynames.h"
#include "core/midi/midifile.h"
#include "core/midi/trackwalk.h"

#include <algorithm>
#include <deque>
#include <map>
#include <tuple>

namespace tunedeck::score {

namespace {

std::vector<NoteRow> scoreRows(const Score &score)
{
    std::vector<NoteRow> rows;
    for (std::size_t p = 0; p < score.parts.size(); ++p)
        for (const Note &n : score.parts[p].notes)
            rows.push_back({int(p), n.measure < score.measures.size() ? score.measures[n.measure].number : "",
                            double(n.tick) / TicksPerQuarter, double(n.duration) / TicksPerQuarter, n.tick, n.pitch,
                            spelledName(n.spelling)});
    return rows;
}

// Each note-on paired with the first later note-off of its track, channel and pitch; one never
// released ends with its track.
Result<std::vector<NoteRow>> midiRows(std::string_view bytes)
{
    MidiFile file;
    if (Result<> read = file.loadFromBytes(bytes); !read)
        return Unexpected(read.error());
    const int division = file.ticksPerQuarter();
    if (file.divisionKind() != 0 || division <= 0)
        return failure("it counts time in SMPTE frames, not in ticks per quarter note");
    std::vector<NoteRow> rows;
    std::map<std::tuple<int, int, int>, std::deque<std::size_t>> sounding;
    std::map<int, std::int32_t> trackEnd;
    (void)walkTracks(file, 1, file.trackCount(), [&](std::int32_t tick, std::int32_t track, const MidiEvent &e) {
        trackEnd[track] = tick;
        const int kind = e.status & 0xF0;
        if (kind != 0x80 && kind != 0x90)
            return true;
        const auto key = std::make_tuple(int(track), e.status & 0x0F, int(e.data1));
        if (kind == 0x90 && e.data2 > 0) {
            const int part = file.format() == 0 ? 0 : std::max(0, int(track) - 2);
            const int pitch = e.data1;
            rows.push_back({part, std::to_string(tick / (4 * division) + 1), double(tick) / division, 0, tick, pitch,
                            std::string(pitchName(pitch % 12, 0)) + std::to_string(pitch / 12 - 1)});
            sounding[key].push_back(rows.size() - 1);
        } else if (auto &open = sounding[key]; !open.empty()) {
            NoteRow &row = rows[open.front()];
            row.duration = double(tick - row.tick) / division;
            open.pop_front();
        }
        return true;
    });
    for (auto &[key, open] : sounding)
        for (std::size_t i : open)
            rows[i].duration = double(trackEnd[std::get<0>(key)] - rows[i].tick) / division;
    return rows;
}

} // namespace

Result<std::vector<NoteRow>> noteRows(std::string_view bytes, const ReadOptions &options)
{
    Result<std::vector<NoteRow>> rows = std::vector<NoteRow>{};
    if (bytes.substr(0, 4) == "MThd") {
        rows = midiRows(bytes);
    } else if (looksLikeScore(bytes)) {
        const Result<Score> score = readScore(bytes, options);
        if (!score)
            return Unexpected(score.error());
        rows = scoreRows(*score);
    } else {
        return failure("it is neither a MIDI file nor a score (MusicXML)");
    }
    if (rows)
        std::stable_sort(rows->begin(), rows->end(), [](const NoteRow &a, const NoteRow &b) {
            return std::tie(a.tick, a.part, a.pitch) < std::tie(b.tick, b.part, b.pitch);
        });
    return rows;
}

} // namespace tunedeck::score

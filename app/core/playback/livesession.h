// A play or listening as it sounds, for every front end alike: the profile tracker read once
// a second (each second at its start, from the notes before it, whenever the reading
// happens), the key shown then (a play's local key at its position from PlayKeys, listening's
// the tracker's), the chord of the moment, Tonalyte's key with its texts and the live key
// map. It keeps no clock: the caller says what time it is, in ms of the play or listening.
#ifndef TUNEDECK_CORE_PLAYBACK_LIVESESSION_H
#define TUNEDECK_CORE_PLAYBACK_LIVESESSION_H

#include "core/chords/livechord.h"
#include "core/keymap/keymapdata.h"
#include "core/playback/playkeys.h"
#include "core/playback/tonalyteanswer.h"
#include "core/profile/profiletracker.h"
#include "core/reports/keydisplay.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace tunedeck {

// A second read: what the tracker heard before it, and what is shown from it.
struct LiveReading {
    std::int64_t second = 0;
    profile::ProfileReading heard;
    ShownKey shown;
};

// What a session says as it goes; any of them may be left empty.
struct LiveListener {
    std::function<void(const LiveReading &)> read = {};
    // A note the library took, with its key, in that second.
    std::function<void(std::int64_t second, std::int32_t code)> tonalyte = {};
    // The chord shown from that second: a play's as each note sounds, listening's read with
    // the key each second; only when it changes.
    std::function<void(const ShownChord &, std::int64_t second)> chord = {};
    // A key recorded in a row of the live key map, before the reading or note it comes from
    // is told; a play's key of a score with the signature the score writes it with there.
    std::function<void(std::size_t row, std::int64_t second, int code, bool unsure, std::optional<int> fifths)> keyMap =
        {};
    // Listening has ended: the tracker's reading of everything heard.
    std::function<void(const ShownKey &)> finished = {};
};

class LiveSession {
public:
    static constexpr std::size_t TonalyteLine = 0, ProfileLine = 1; // rows of the live key map

    explicit LiveSession(const profile::TrackerOptions &options = {}) : tracker_(options) {}

    void setListener(LiveListener listener) { listener_ = std::move(listener); }

    // A new play (keys: what it shows, kept by the caller while it runs) or listening (null).
    // Nothing is shown at a run's start, so seconds are read from the first; a trace from a
    // point reads from there, and nothing before it.
    void start(const PlayKeys *keys = nullptr, std::int64_t firstSecond = 1);
    // A note heard at ms, the seconds up to ms read first.
    void note(std::int64_t ms, const NoteEvent &note);
    // A note the library took, with its key: heard, and Tonalyte's key in the key map.
    void record(const TonalyteAnswer &key, std::int64_t ms);
    // Reads each whole second up to ms not read yet.
    void update(std::int64_t ms);
    // The last update, then nothing more until the next start. Listening then shows what it
    // heard over everything, however long ago the last note was.
    void finish(std::int64_t ms);
    // The library's answer, shown: its name and signature change only with its code's text.
    void answered(const TonalyteAnswer &key);

    bool running() const { return running_; }
    const PlayKeys *keys() const { return keys_; }
    std::int64_t position() const { return position_; } // the time last updated to
    const ShownKey &shown() const { return shown_; }
    const TonalyteAnswer &answer() const { return answer_; }
    const KeyDisplay::Texts &keyTexts() const { return texts_; }
    // In seconds: Tonalyte's keys as the notes sound, the key shown each second.
    const KeyMapData &keyMap() const { return map_; }

private:
    void read(std::int64_t second);
    void showChord(const ShownChord &chord, std::int64_t second);
    void recordRow(std::size_t row, std::int64_t second, int code, bool unsure,
                   std::optional<int> fifths = std::nullopt);

    LiveListener listener_;
    profile::ProfileTracker tracker_;
    chords::LiveChord heard_;
    const PlayKeys *keys_ = nullptr;
    bool running_ = false;
    std::int64_t nextSecond_ = 1; // the first second not read yet
    std::int64_t position_ = 0;
    ShownKey shown_;
    std::optional<ShownChord> shownChord_; // the chord told last
    TonalyteAnswer answer_;
    KeyDisplay display_;
    KeyDisplay::Texts texts_;
    KeyMapData map_;
};

} // namespace tunedeck

#endif

// "1- Real Time Play" and "3- Listen" in a page: the core's play session and the library's
// live feed, with the core's LiveSession for what they show (the profile analysis' key of the
// moment, Tonalyte's key, the live key map), timed by the page's clock. The page sounds the
// play list itself and reports each event as it sends it. The values handed to the page are
// made in pagelivevalues.cpp.
#ifndef TUNEDECK_WEB_PAGELIVE_H
#define TUNEDECK_WEB_PAGELIVE_H

#include "core/fastdetect/openfile.h"
#include "core/chords/chordanalysis.h"
#include "jsvalues.h"
#include "core/playback/livesession.h"
#include "core/playback/playkeys.h"
#include "core/playback/realtimesession.h"

#include <cstdint>
#include <string>

namespace tunedeck::web {

class PageLive final : public AnswerView {
public:
    PageLive();

    // The play list of the file's chosen tracks at the choices' tempo and transposition,
    // for the page to sound: {ok, events: Int32Array of (ms, status, data1, data2, tag) in
    // the order an output sends them, lengthMs, leftOut, noteZeroLeftOut (note-ons of note 0:
    // they sound, but the library refuses them)}; {ok: false, why} when it cannot.
    val compose(const std::string &bytes, const val &choices);
    // The chords of the file played, as analyse gives them: the chord of the moment is the
    // one at the play's position.
    void useChords(const val &chords);
    // A play from the start; false when the library's clock would not start.
    bool start();
    // The page sent the list's event with this tag (its analysed note) at ms of the play.
    void played(std::int32_t tag, double ms);
    // The play's position moved on to ms: the library's clock and the live analysis follow.
    void advance(double ms);
    // To ms of the play, both analyses rebuilt from the notes before it; playing or paused.
    void seek(double ms, bool playing);
    void pause();
    void stop();

    // Listening: the library and the tracker started, listening's clock at 0.
    bool listen(bool moreSensitive);
    // A note heard at ms of listening's clock; a note 0 is left out and counted.
    void heard(int status, int note, int velocity, double ms);

    // What the page shows live: {running, keyCode, name, signature, refused, profile:
    // {keyCode, confidence, sure, fromBar, listened, lines[4]}, chord: {index, text},
    // noteZeroLeftOut: the note-ons of note 0 left out of the play or heard so far}: a
    // play's local key and chord at its position (index -1 and no text where none sounds),
    // listening's tracker.
    val state() const;
    // The live key map, in seconds: Tonalyte's keys as the notes sound, the profile analysis'
    // key shown each second.
    val liveMap() const;
    // Both reports of the play or listening just stopped, as the window shows them then:
    // {kType, keyCode (0: none), haStr, error, keyList[], keyPoint[] (in minutes and seconds)},
    // with the track and key count chosen now.
    val report(const val &choices) const;

private:
    void showAnswer(const TonalyteAnswer &key, std::int64_t ms) override;

    RealTimeSession session_;
    LiveSession live_;
    bool moreSensitive_ = false;
    bool composed_ = false;
    bool running_ = false;   // the library follows a play or listening
    bool listening_ = false;
    bool answered_ = false;
    int heardNoteZero_ = 0; // note-ons of note 0 listening has left out
    std::int64_t offset_ = 0; // the play time the library's clock last started at
    std::optional<PlayKeys> keys_; // what a play shows; none while listening
    std::vector<chords::ChordSegment> chords_;
    std::vector<std::string> chordTexts_; // the list's texts of chords_
};

} // namespace tunedeck::web

#endif

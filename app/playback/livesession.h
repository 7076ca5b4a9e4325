// Listening to a keyboard without a window: while it lasts the library's clock runs, and
// every note that arrives is fed to the library as a played note of a file is. The reports
// and the clock are the library's, read as after a play (RealTimeSession::report, clock).
#ifndef TUNEDECK_LIVESESSION_H
#define TUNEDECK_LIVESESSION_H

#include "fastdetect/noteevents.h"
#include "playback/realtimesession.h"

namespace tunedeck {

class TonalyteLibrary;

class LiveSession {
public:
    LiveSession(TonalyteLibrary &library, LiveKeyView &view);

    // Resets the library and starts its clock; false when the clock would not start.
    bool start(bool moreSensitive);
    // The library's clock stopped; what it counted stays for the reports.
    void stop();
    bool isRunning() const { return running_; }

    // A note heard: fed and shown. Ignored unless running; a note the library refuses ends
    // the session (the view shows the refusal).
    void heard(const NoteEvent &note);

private:
    TonalyteLibrary &library_;
    LiveKeyView &view_;
    bool running_ = false;
};

} // namespace tunedeck

#endif

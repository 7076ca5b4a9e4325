// The run choices the window, the command and the runs share.
#ifndef TUNEDECK_BASE_CHOICES_H
#define TUNEDECK_BASE_CHOICES_H

namespace tunedeck {

// "All" tracks, or the position chosen in the track list ("Track 01" is 0; -1 for none).
struct TrackChoice {
    bool all = true;
    int position = 0;
};

// The option group "I don't known", "1 key" ... "4 keys".
enum class KeyCountChoice { NotKnown, One, Two, Three, Four };

} // namespace tunedeck

#endif

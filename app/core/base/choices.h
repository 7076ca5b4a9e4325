// The run choices every front end offers, in one table each: the window, the command, the
// Python package and the page read them here and only spell them their own way.
#ifndef TUNEDECK_CORE_BASE_CHOICES_H
#define TUNEDECK_CORE_BASE_CHOICES_H

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tunedeck {

// "All" tracks, or the position chosen in the track list ("Track 01" is 0; -1 for none).
struct TrackChoice {
    bool all = true;
    int position = 0;
};

// The track list offers "Track 01" to "Track 12": the file's tracks 2 to 13, the first being
// the tempo track.
inline constexpr int ChoosableTracks = 12;

// How each front end numbers "Track 01". Each keeps its own count, since scripts and
// settings already written depend on it; they convert through this table only.
enum class TrackCount {
    Position, // the window's list, TrackChoice and the page's list: from 0
    Command,  // tunedeck-detect --track: from 1
    Python,   // analyse(track=...): from 1, as mido's tracks[1]
    FileTrack // the file's own numbering, the tempo track 1: NoteEvent and RawEvent.track
};

struct TrackCounting {
    TrackCount count;
    std::string_view frontEnd;
    int trackOne; // the number of "Track 01"
};

inline constexpr std::array<TrackCounting, 4> TrackCountings{{{TrackCount::Position, "position", 0},
                                                              {TrackCount::Command, "command", 1},
                                                              {TrackCount::Python, "python", 1},
                                                              {TrackCount::FileTrack, "file", 2}}};

constexpr int trackOne(TrackCount count)
{
    for (const TrackCounting &c : TrackCountings)
        if (c.count == count)
            return c.trackOne;
    return 0;
}

// A front end's track number as the track list's position; nothing past the list.
constexpr std::optional<int> trackPosition(int number, TrackCount count)
{
    const int position = number - trackOne(count);
    if (position < 0 || position >= ChoosableTracks)
        return std::nullopt;
    return position;
}

// The meters bars are numbered in.
struct Meter {
    std::string_view text;
    int beats; // quarter notes per bar (6/8 counts as three)
};

inline constexpr std::array<Meter, 4> Meters{{{"2/4", 2}, {"3/4", 3}, {"4/4", 4}, {"6/8", 3}}};
inline constexpr int DefaultMeter = 2; // 4/4

// The meter at a position of the list; any other position is the last one.
constexpr int meterIndex(int position)
{
    return position >= 0 && position < int(Meters.size()) ? position : int(Meters.size()) - 1;
}

// The option group "I don't known", "1 key" ... "4 keys".
enum class KeyCountChoice { NotKnown, One, Two, Three, Four };

struct KeyCountWord {
    KeyCountChoice choice;
    std::string_view word;  // the command's --keys and the page's value
    std::string_view label; // the window's button
};

inline constexpr std::array<KeyCountWord, 5> KeyCounts{{{KeyCountChoice::NotKnown, "unknown", "I don't known"},
                                                    {KeyCountChoice::One, "1", "1 key"},
                                                    {KeyCountChoice::Two, "2", "2 keys"},
                                                    {KeyCountChoice::Three, "3", "3 keys"},
                                                    {KeyCountChoice::Four, "4", "4 keys"}}};
inline constexpr KeyCountChoice DefaultKeyCount = KeyCountChoice::Two;

// The names a MIDI file is known by, in any case: folders are walked for them and file
// dialogs offer them.
inline constexpr std::array<std::string_view, 3> MidiExtensions{".mid", ".midi", ".kar"};

// Whether the name ends in one of them.
bool hasMidiExtension(std::string_view name);

// "*.mid *.midi *.kar *.MID ...": a file dialog's patterns, each extension in lower case,
// upper case and capitalised, since the platforms' dialogs match patterns case-sensitively.
std::string midiNamePatterns();

// The names a score (MusicXML) is known by, in any case. A folder walk takes these, and
// ".xml" files whose content is a score's; the file dialogs offer all three.
inline constexpr std::array<std::string_view, 2> ScoreExtensions{".musicxml", ".mxl"};
inline constexpr std::string_view XmlExtension = ".xml";
bool hasScoreExtension(std::string_view name);
bool hasXmlExtension(std::string_view name);
// "*.musicxml *.mxl *.xml *.MUSICXML ...", as midiNamePatterns.
std::string scoreNamePatterns();

} // namespace tunedeck

#endif

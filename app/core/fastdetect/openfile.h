// The MIDI file the user chose: checked, loaded, and its tracks chosen for a run. A score
// (MusicXML), told apart by its content, is read and taken as the MIDI file it makes.
#ifndef TUNEDECK_CORE_FASTDETECT_OPENFILE_H
#define TUNEDECK_CORE_FASTDETECT_OPENFILE_H

#include "core/base/choices.h"
#include "core/base/spelling.h"
#include "core/midi/midifile.h"
#include "core/score/scorereader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tunedeck {

// Why a file was refused, in the order the checks run.
enum class OpenError { None, FileOpen, InvalidHeader, Reader, FormatNotSupported };

// A refused file: the kind, on which the short texts shown depend, and the reason in words,
// which every front end shows alike: the system's for FileOpen ("No such file or directory",
// "it is a folder"), the reader's for Reader ("file ends inside track 3"), and what is wrong
// with the file for the others ("it is a format 2 file (separate patterns), ...").
struct OpenFailure : Failure {
    OpenError kind = OpenError::None;
};

inline constexpr const char *NoMidiHeader = "it does not begin with a MIDI header (MThd)";
using OpenResult = Result<void, OpenFailure>;

struct TrackRange {
    std::int32_t first = 0;
    std::int32_t last = 0;
};

// Milliseconds per tick from the file's first tempo and its division, in single precision
// as always; 0 for a division that is no tick count.
float msPerTick(const MidiFile &file);

// The quarter notes a bar of the file's first time signature, as the bars are found: three
// for a numerator of threes (3/4, 6/8), else four; 0 without one.
int statedQuarters(const MidiFile &file);

class OpenFile {
public:
    // Checks the file and loads it. A refused file leaves the previous one's values.
    OpenResult open(const std::string &path, std::string *kept = nullptr); // kept: MidiFile::load's
    // The same checks on bytes already in memory.
    OpenResult openBytes(std::string_view bytes);

    // Off (the default), a format 0 file is refused. On, a format 0 file with a tick
    // division is read one track per channel, as splitFormat0 lays it out.
    void setSplitFormat0(bool on) { splitFormat0_ = on; }
    bool splitsFormat0() const { return splitFormat0_; }
    // The file last accepted was a format 0 file read one track per channel.
    bool wasSplit() const { return wasSplit_; }
    // After OpenError::FormatNotSupported: the file is one that setSplitFormat0(true) reads.
    bool isSplittableFormat0() const;

    // How a score is read: its repeats as written once (the default) or unfolded.
    void setScoreOptions(const score::ReadOptions &options) { scoreOptions_ = options; }
    const score::ReadOptions &scoreOptions() const { return scoreOptions_; }
    // The file last accepted was a score, read into the MIDI file midi() holds.
    bool wasScore() const { return wasScore_; }
    // How that score spells its keys and notes; null for a MIDI file.
    const std::shared_ptr<const ScoreSpelling> &spelling() const { return spelling_; }
    // Its text and places, when the score options keep them; null otherwise.
    const std::shared_ptr<const score::PlacedScore> &placed() const { return placed_; }
    // Its measures as printed, meters, title and composer; null for a MIDI file.
    const std::shared_ptr<const score::ScoreLayout> &layout() const { return layout_; }

    const MidiFile &midi() const { return midi_; }
    std::int32_t trackCount() const { return trackCount_; }
    std::int16_t ticksPerQuarter() const { return ticksPerQuarter_; }
    float msPerTick() const { return msPerTick_; }

    // Track 1 is the tempo track of a format 1 file: "All" is tracks 2 on, and "Track 01"
    // is track 2. Nothing when the chosen track is not in the file.
    std::optional<TrackRange> tracks(const TrackChoice &choice) const;

private:
    OpenResult accept(const Result<> &read);
    OpenResult acceptScore(std::string_view bytes);

    MidiFile midi_;
    bool splitFormat0_ = false;
    bool wasSplit_ = false;
    score::ReadOptions scoreOptions_;
    bool wasScore_ = false;
    std::shared_ptr<const ScoreSpelling> spelling_;
    std::shared_ptr<const score::PlacedScore> placed_;
    std::shared_ptr<const score::ScoreLayout> layout_;
    std::int32_t trackCount_ = 0;
    std::int16_t ticksPerQuarter_ = 0;
    float msPerTick_ = 0.0f;
};

} // namespace tunedeck

#endif

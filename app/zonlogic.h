// The main window's procedures and variables, free of widgets: opening the file, real-time
// play and its live feed, fast detection with its event stores, and the two reports. The
// window forwards its clicks, timer ticks and component notifications here; the headless
// command drives the same procedures.
#ifndef TUNEDECK_ZONLOGIC_H
#define TUNEDECK_ZONLOGIC_H

#include "fastdetect/eventstore.h"
#include "fastdetect/midifile.h"
#include "reports/keytimingreport.h"
#include "reports/overallkeyreport.h"
#include "binding/tonalytelibrary.h"
#include "zondisplay.h"

#include <QString>
#include <QStringList>

#include <array>

namespace tunedeck {

class MidiOutput;

// How the last fast detection ended.
enum class FastOutcome { NotRun, FileRefused, TrackNotFound, OutOfBuffer, NoData, LibraryError, Cancelled, Reported };

class ZonLogic {
public:
    // output may be null (no playback, as in the headless command).
    ZonLogic(TonalyteLibrary &library, ZonDisplay &display, MidiOutput *output);

    TonalyteLibrary &library() { return library_; }
    MidiFile &midifile() { return Midifile1; }

    // Start-up: checks the library version and shows it. False: the version message must
    // be shown and the program ended.
    bool checkLibrary();

    // Browse: the dialog's file name, copied unchecked.
    void setMidiFilePath(const QString &path);

    // 1 when the chosen file was accepted and loaded, 0 with the reason in LblError.
    int OpenMidiFile();

    void CmdPlay_Click();
    void CmdStop_Click();
    void CmdFastDetect_Click();
    void Timer1_Timer();
    void TimerCTime_Timer();
    void LblKqKey_Change();

    // Component notifications.
    void MIDIOutput1_PlayedEvent(qint32 tag);
    void MIDIOutput1_EndOfData();
    void MIDIOutput1_Error();
    void Midifile1_Error();

    // The stop sequence: output stop, library timer stop, output close.
    void stopPlayback();

    void ReportOverallKey();
    void ReportKeyTiming(bool BarTiming);

    int BufAddEvent(qint32 time, qint32 code, qint32 number);
    int BufNextEvent(qint32 &time, qint32 &code);
    int FeedFastEvent(qint32 time, qint32 code);

    // Main-window variables.
    QString MidiFilePath;
    qint32 TrackCount = 0;
    float MsPerTick = 0.0f;
    qint16 TicksPerQuarter = 0;
    // 32 bits: ticks per quarter times four does not always fit 16.
    qint32 TicksPerBar = 0;
    qint32 CurTCnt = 0;
    qint32 DllVersion = 0;
    qint32 LastEvCod = 0, LastEvCao = 0, LastEvVel = 0;
    qint32 CurKeyCode = 0;
    bool FastBusy = false;
    bool CancelReq = false;
    qint32 BufCount = 0;
    std::array<qint32, 24> KStatCode{}, KStatCount{};
    std::array<float, 24> KStatPercent{};
    std::array<qint32, 256> KTimingCode{}, KTimingTime{};

    // Work lists of the reports, left for the next report and for inspection.
    QStringList CmbShort1, CmbKeyStat, CmbKeyTime, CmbKeyFilter1;

    FastOutcome lastFastOutcome = FastOutcome::NotRun;

    // The reason the MIDI file reader gave for its last error, empty when none.
    QString midifileErrorReason;

private:
    // The tracks to read, first to last; false with "Track not found" shown when the chosen
    // track is not in the file.
    bool chooseTracks(qint32 &first, qint32 &last);
    // Every event of tracks first..last with its tick time, until visit returns false.
    // False when a visit stopped the walk.
    template <typename Visit>
    bool walkEvents(qint32 first, qint32 last, Visit visit);
    // No key in force: "*" for the key code, the key texts and working values empty.
    void clearKeyDisplay();
    // The result display as a run starts.
    void resetResultDisplay();

    TonalyteLibrary &library_;
    ZonDisplay &display_;
    MidiOutput *output_;
    MidiFile Midifile1;
    EventStore LstBuff1, LstBuff2;
};

} // namespace tunedeck

#endif

#include "zonlogic.h"

#include "keys/keynaming.h"
#include "playback/midioutput.h"
#include "module1.h"
#include "keys/numbertext.h"

#include <QFile>

#include <climits>
#include <cmath>

namespace tunedeck {

namespace {

constexpr qint32 StoreCapacity = 2 * EventStore::Capacity;

// Event tags: note in the thousands, velocity in the units; 1 for a note-on (and for
// every note in real-time play), 2 for a stored note-off.
constexpr qint32 noteOnTag(int note, int velocity) { return 1000000 + note * 1000 + velocity; }
constexpr qint32 playedNoteOffTag(int note) { return 1000000 + note * 1000; }
constexpr qint32 storedNoteOffTag(int note) { return 2000000 + note * 1000; }

constexpr int DrumChannel = 9; // MIDI channel 10
constexpr int LastChannel = 15; // MIDI channel 16: played, never analysed

// The tag of a note event, or 0 for any other event and for notes that are not
// analysed: channel 16 never, channel 10 not when all tracks are read. Note-offs (and
// note-ons of velocity 0) carry the note-off tag the caller's mode uses.
qint32 noteTag(int status, int note, int velocity, bool allTracks, qint32 (*noteOffTag)(int))
{
    const int kind = status & 0xF0;
    const int channel = status & 0x0F;
    if ((kind != 0x90 && kind != 0x80) || channel == LastChannel)
        return 0;
    if (allTracks && channel == DrumChannel)
        return 0;
    if (kind == 0x90 && velocity > 0)
        return noteOnTag(note, velocity);
    return noteOffTag(note);
}

// Milliseconds of a tick sum: rounded half to even, as the play list has always timed them.
qint32 playTime(float msPerTick, qint32 tickSum)
{
    const double ms = std::nearbyint(static_cast<double>(msPerTick) * tickSum);
    return ms >= INT_MAX ? INT_MAX : static_cast<qint32>(ms);
}

const char *const MeterTexts[] = {"2/4", "3/4", "4/4", "6/8"};
constexpr int MeterBeats[] = {2, 3, 4, 3};

} // namespace

ZonLogic::ZonLogic(TonalyteLibrary &library, ZonDisplay &display, MidiOutput *output)
    : library_(library), display_(display), output_(output)
{
    Midifile1.setErrorHandler([this](const std::string &reason) {
        midifileErrorReason = QString::fromStdString(reason);
        Midifile1_Error();
    });
}

bool ZonLogic::checkLibrary()
{
    const bool ok = library_.checkVersion(DllVersion);
    if (ok)
        display_.setCaption(Caption::LblDllVer, QStringLiteral("Tonalyte - V") + zeroPadded(DllVersion, 3));
    return ok;
}

void ZonLogic::setMidiFilePath(const QString &path)
{
    MidiFilePath = path;
    display_.setCaption(Caption::LblInputFile, MidiFilePath);
}

int ZonLogic::OpenMidiFile()
{
    QByteArray tag(4, '.');
    {
        QFile file(MidiFilePath);
        if (MidiFilePath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            display_.setCaption(Caption::LblError, QStringLiteral("File Open Error"));
            return 0;
        }
        const QByteArray head = file.read(4);
        if (head.size() < 0) {
            display_.setCaption(Caption::LblError, QStringLiteral("File Open Error"));
            return 0;
        }
        // A shorter file keeps the placeholder dots and fails the tag check.
        for (int i = 0; i < head.size(); ++i)
            tag[i] = head[i];
    }
    if (tag != "MThd") {
        display_.setCaption(Caption::LblError, QStringLiteral("Invalid File Header"));
        return 0;
    }

    midifileErrorReason.clear();
    Midifile1.setFileName(MidiFilePath.toStdString());
    Midifile1.load();
    Midifile1.parse();
    if (!Midifile1.ok()) {
        // The reader's notification has put its error text in LblError; say why beside it.
        display_.setCaption(Caption::LblMess, QStringLiteral("Midifile1: ") + midifileErrorReason);
        return 0;
    }
    const QString notSupported = QStringLiteral("Format not supported");
    if (Midifile1.format() != 1 || Midifile1.divisionKind() != 0) {
        display_.setCaption(Caption::LblError, notSupported);
        return 0;
    }
    // A division of 0 would divide by zero below, and more than 32767 tracks do not fit
    // the 16-bit count: neither is a file we can time or walk.
    const qint16 division = Midifile1.ticksPerQuarter();
    if (division <= 0 || Midifile1.trackCount() < 0) {
        display_.setCaption(Caption::LblError, notSupported);
        return 0;
    }
    const qint32 tempo = Midifile1.tempo();
    MsPerTick = static_cast<float>(tempo / 1000.0 / division);
    TicksPerQuarter = division;
    display_.setCaption(Caption::LblTpNotDen, signedText(TicksPerQuarter));
    TrackCount = Midifile1.trackCount();
    display_.setCaption(Caption::LblMess, QStringLiteral("Trks =") + signedText(TrackCount));
    return 1;
}

void ZonLogic::stopPlayback()
{
    if (output_)
        output_->stop();
    library_.KeyStopTimer();
    if (output_)
        output_->close();
}

template <typename Visit>
bool ZonLogic::walkEvents(qint32 first, qint32 last, Visit visit)
{
    for (qint32 track = first; track <= last; ++track) {
        Midifile1.setTrack(track);
        const qint32 n = Midifile1.eventCount();
        // Tick sums restart for every track: each is timed from the start of the file.
        qint32 tickSum = 0;
        for (qint32 k = 1; k <= n; ++k) {
            Midifile1.setEvent(k);
            tickSum += Midifile1.deltaTime();
            if (!visit(tickSum, Midifile1.status(), Midifile1.data1(), Midifile1.data2()))
                return false;
        }
    }
    return true;
}

bool ZonLogic::chooseTracks(qint32 &first, qint32 &last)
{
    // Track 1 is the tempo track of a format 1 file: "All" is tracks 2 on, and "Track 01"
    // is track 2. With no item selected the position is -1, which gives track 1.
    first = 2;
    last = TrackCount;
    if (display_.allTracks())
        return true;
    first = last = display_.trackPosition() + 2;
    if (first <= TrackCount)
        return true;
    display_.setCaption(Caption::LblError, QStringLiteral("Track not found"));
    display_.setCaption(Caption::LblMess, QString());
    return false;
}

void ZonLogic::clearKeyDisplay()
{
    CurKeyCode = 0;
    display_.setCaption(Caption::LblKqKey, QStringLiteral("*"));
    for (Caption c : {Caption::LblKeyStr, Caption::LblSignat, Caption::LblInpTCnt, Caption::LblTapCnt,
                      Caption::LblKeyType, Caption::LblHaCode})
        display_.setCaption(c, QString());
}

void ZonLogic::resetResultDisplay()
{
    clearKeyDisplay();
    display_.setCaption(Caption::LblHaStr, QString());
    CurTCnt = 0;
    display_.setCaption(Caption::LblcTime, QStringLiteral("00:00"));
    display_.setCaption(Caption::LblKType, QStringLiteral("Current Key"));
    display_.clearList(ResultList::CmbKeyList);
    display_.clearList(ResultList::CmbKeyPoint);
}

void ZonLogic::CmdPlay_Click()
{
    display_.setTimerEnabled(WindowTimer::Timer1, false);
    display_.setTimerEnabled(WindowTimer::TimerCTime, true);
    if (!OpenMidiFile())
        return;
    stopPlayback();
    if (output_) {
        output_->setDevice(-1);
        output_->open();
    }
    display_.setCaption(Caption::LblMess, QStringLiteral("Loading ..."));
    display_.repaintNow(Caption::LblMess);
    CurKeyCode = 0;

    const bool all = display_.allTracks();
    qint32 first = 0, last = 0;
    if (!chooseTracks(first, last))
        return;
    // Every track is timed from the start of the file, with the first tempo only.
    walkEvents(first, last, [&](qint32 tickSum, int status, int data1, int data2) {
        if (output_) {
            output_->setEventTime(playTime(MsPerTick, tickSum));
            output_->setEventTag(noteTag(status, data1, data2, all, playedNoteOffTag));
            output_->setEventStatus(status);
            output_->setEventData1(data1);
            output_->setEventData2(data2);
            output_->appendEvent();
        }
        return true;
    });

    resetResultDisplay();
    display_.setCaption(Caption::LblKeyTiming, QStringLiteral("MM:SS Timing"));

    library_.KeyClearEvs();
    library_.KeySetSensitive(display_.moreSensitive() ? 0 : 1);
    library_.KeySetDetectMode(0);
    if (library_.KeyStartTimer() != 0) {
        if (output_)
            output_->play();
        display_.setCaption(Caption::LblMess, QStringLiteral("Playing ..."));
        display_.setCaption(Caption::LblError, QString());
    } else {
        display_.setCaption(Caption::LblMess, QStringLiteral("KeyStartTimer() Error"));
    }
}

void ZonLogic::CmdStop_Click()
{
    stopPlayback();
    if (FastBusy)
        CancelReq = true;
    else
        display_.setCaption(Caption::LblMess, QStringLiteral("Stoped"));
}

void ZonLogic::MIDIOutput1_EndOfData()
{
    display_.setCaption(Caption::LblError, QStringLiteral("End Of Data"));
    display_.setCaption(Caption::LblMess, QString());
    display_.setTimerEnabled(WindowTimer::Timer1, true);
}

void ZonLogic::Timer1_Timer()
{
    display_.setTimerEnabled(WindowTimer::Timer1, false);
    stopPlayback();
    ReportOverallKey();
    ReportKeyTiming(false);
}

void ZonLogic::TimerCTime_Timer()
{
    CurTCnt = library_.KeyGetTimeTCnt();
    // The library counts unsigned; past 2^31 ms the clock keeps going up.
    const qint64 seconds = static_cast<quint32>(CurTCnt) / 1000;
    display_.setCaption(Caption::LblcTime,
                        zeroPadded(seconds / 60, 2) + QLatin1Char(':') + zeroPadded(seconds % 60, 2));
}

void ZonLogic::MIDIOutput1_Error()
{
    display_.setCaption(Caption::LblError, QStringLiteral("MIDIOutput1_Error"));
}

void ZonLogic::Midifile1_Error()
{
    display_.setCaption(Caption::LblError, QStringLiteral("Midifile1_Error"));
}

void ZonLogic::MIDIOutput1_PlayedEvent(qint32 tag)
{
    const qint32 note = (tag % 1000000) / 1000;
    const qint32 velocity = tag % 1000;
    LastEvCao = note;
    LastEvVel = velocity;
    qint32 detail1 = 0, detail2 = 0;
    if (velocity >= 1) {
        LastEvCod = 144;
        CurKeyCode = library_.KeySetTrkEvsR(144, note, velocity, &detail1, &detail2);
        display_.setCaption(Caption::LblMess, QStringLiteral("Note ") + zeroPadded(note, 3)
                                                  + QStringLiteral(" On ") + zeroPadded(velocity, 3));
    } else {
        LastEvCod = 128;
        CurKeyCode = library_.KeySetTrkEvsR(128, note, 0, &detail1, &detail2);
        display_.setCaption(Caption::LblMess,
                            QStringLiteral("Note ") + zeroPadded(note, 3) + QStringLiteral(" Off"));
    }
    if (CurKeyCode < 0) {
        stopPlayback();
        display_.setCaption(Caption::LblError, QStringLiteral("Tonalyte return error"));
        return;
    }
    if (CurKeyCode == 0) {
        display_.setCaption(Caption::LblKqKey, QStringLiteral("*"));
        display_.setCaption(Caption::LblHaStr, QString());
    } else {
        display_.setCaption(Caption::LblKqKey, zeroPadded(CurKeyCode, 3));
        display_.setCaption(Caption::LblHaStr,
                            QString::number(detail1) + QStringLiteral(" : ") + QString::number(detail2));
    }
    display_.setCaption(Caption::LblError, fixedDecimals(library_.KeyGetSsMinCur(), 6));
    display_.setCaption(Caption::LblInpTCnt, QString::number(library_.KeyGetInpTCnt()));
    display_.setCaption(Caption::LblTapCnt, QString::number(library_.KeyGetTapCnt()));
    display_.setCaption(Caption::LblKeyType, QString::number(library_.KeyGetKeyType()));
}

void ZonLogic::LblKqKey_Change()
{
    QString keyText, signature;
    Module1::CurKeyAccidental = SetKeyStr(CurKeyCode, keyText, signature);
    display_.setCaption(Caption::LblKeyStr, keyText);
    display_.setCaption(Caption::LblSignat, signature);
}

void ZonLogic::ReportOverallKey()
{
    CmbShort1.clear();
    CmbKeyStat.clear();
    display_.setCaption(Caption::LblKType, QStringLiteral("Overall Key"));
    KeyStatistics stats;
    stats.total = library_.KeyGetKStatic(KStatCode.data(), KStatCount.data());
    stats.codes = KStatCode;
    stats.counts = KStatCount;
    const OverallKeyReport report = buildOverallKeyReport(stats, display_.moreSensitive(), display_.allTracks());
    KStatPercent = report.percent;
    CmbShort1 = report.shortList;
    CmbKeyStat = report.keyStat;
    if (report.nothingFound) {
        display_.setCaption(Caption::LblError, QStringLiteral("Nothing found"));
        display_.setCaption(Caption::LblHaStr, report.advice);
        display_.beep();
    }
    for (const QString &line : report.candidates)
        display_.addToList(ResultList::CmbKeyList, line);
    if (display_.listCount(ResultList::CmbKeyList) > 0) {
        display_.selectInList(ResultList::CmbKeyList, 0);
        CurKeyCode = report.topCode;
        display_.setCaption(Caption::LblKqKey, report.kqKeyText);
        display_.setCaption(Caption::LblHaStr, report.probability);
    }
}

void ZonLogic::ReportKeyTiming(bool BarTiming)
{
    KeyTimeline timeline;
    timeline.full = library_.KeyGetKTiming(KTimingCode.data(), KTimingTime.data());
    timeline.codes = KTimingCode;
    timeline.times = KTimingTime;
    const KeyTimingReport report =
        buildKeyTimingReport(timeline, CmbKeyStat, BarTiming, TicksPerBar, display_.keyCount());
    if (!report.error.isEmpty())
        display_.setCaption(Caption::LblError, report.error);
    CmbKeyTime = report.keyTime;
    CmbKeyFilter1 = report.keyFilter;
    for (const QString &point : report.points)
        display_.addToList(ResultList::CmbKeyPoint, point);
    if (display_.listCount(ResultList::CmbKeyPoint) > 0)
        display_.selectInList(ResultList::CmbKeyPoint, 0);
}

int ZonLogic::BufAddEvent(qint32 time, qint32 code, qint32 number)
{
    if (number < 0 || number >= StoreCapacity)
        return 0;
    EventStore &store = number < EventStore::Capacity ? LstBuff1 : LstBuff2;
    return store.add(time, code) ? 1 : 0;
}

int ZonLogic::BufNextEvent(qint32 &time, qint32 &code)
{
    const qint32 t1 = LstBuff1.isEmpty() ? -1 : LstBuff1.front().time;
    const qint32 t2 = LstBuff2.isEmpty() ? -1 : LstBuff2.front().time;
    if (t1 == -1 && t2 == -1)
        return 0;
    // At one time the first store goes first.
    EventStore &store = (t1 == -1 || (t2 != -1 && t2 < t1)) ? LstBuff2 : LstBuff1;
    time = store.front().time;
    code = store.front().code;
    store.removeFront();
    return 1;
}

int ZonLogic::FeedFastEvent(qint32 time, qint32 code)
{
    // Widened: a 16-bit bar number would wrap from bar 32768 on.
    const qint64 bar = static_cast<qint64>(time) / (TicksPerBar > 0 ? TicksPerBar : 1) + 1;
    display_.setCaption(Caption::LblcTime, zeroPadded(bar, 4));
    const qint32 note = (code % 1000000) / 1000;
    qint32 velocity = code % 1000;
    qint32 status = 144;
    if (velocity < 1) {
        status = 128;
        velocity = 0;
    }
    CurKeyCode = library_.KeySetTrkEvsF(time, status, note, velocity);
    if (CurKeyCode < 0) {
        display_.setCaption(Caption::LblError, QStringLiteral("Tonalyte return error"));
        return 0;
    }
    return 1;
}

void ZonLogic::CmdFastDetect_Click()
{
    display_.setTimerEnabled(WindowTimer::Timer1, false);
    display_.setTimerEnabled(WindowTimer::TimerCTime, false);
    lastFastOutcome = FastOutcome::FileRefused;
    if (!OpenMidiFile())
        return;
    stopPlayback();
    display_.enableStartButtons(false);
    display_.setCaption(Caption::LblMess, QStringLiteral("Loading ..."));
    display_.repaintNow(Caption::LblMess);

    CurKeyCode = 0;
    CancelReq = false;
    FastBusy = true;
    LstBuff1.clear();
    LstBuff2.clear();
    BufCount = 0;

    auto finish = [this] {
        CancelReq = false;
        FastBusy = false;
        display_.enableStartButtons(true);
    };

    const bool all = display_.allTracks();
    qint32 first = 0, last = 0;
    if (!chooseTracks(first, last)) {
        lastFastOutcome = FastOutcome::TrackNotFound;
        finish();
        return;
    }

    const bool overflow = !walkEvents(first, last, [&](qint32 tickTime, int status, int note, int velocity) {
        const qint32 tag = noteTag(status, note, velocity, all, storedNoteOffTag);
        if (tag == 0)
            return true;
        if (!BufAddEvent(tickTime, tag, BufCount))
            return false;
        ++BufCount;
        return true;
    });

    if (overflow) {
        display_.setCaption(Caption::LblError, QStringLiteral("Out of buffer"));
        display_.setCaption(Caption::LblMess, QStringLiteral("Canceled"));
        for (ResultList list : {ResultList::CmbKeyList, ResultList::CmbKeyPoint}) {
            display_.clearList(list);
            display_.addToList(list, QStringLiteral("Error"));
            display_.selectInList(list, 0);
        }
        display_.setCaption(Caption::LblHaStr, QStringLiteral("Max = ") + signedText(StoreCapacity));
        clearKeyDisplay();
        lastFastOutcome = FastOutcome::OutOfBuffer;
        finish();
        return;
    }

    resetResultDisplay();

    int meter = display_.meterPosition();
    if (meter < 0 || meter > 3)
        meter = 3;
    TicksPerBar = static_cast<qint32>(TicksPerQuarter) * MeterBeats[meter];
    display_.setCaption(Caption::LblKeyTiming,
                        QLatin1String(MeterTexts[meter]) + QStringLiteral(" Meter Timing"));

    library_.KeyClearEvs();
    if (BufCount == 0) {
        display_.setCaption(Caption::LblMess, QStringLiteral("No Data"));
        lastFastOutcome = FastOutcome::NoData;
        finish();
        return;
    }
    library_.KeySetSensitive(display_.moreSensitive() ? 0 : 1);
    library_.KeySetDetectMode(1);
    display_.setCaption(Caption::LblError, QString());
    display_.setCaption(Caption::LblHaStr, signedText(BufCount) + QStringLiteral(" events"));

    bool libraryError = false;
    for (qint32 i = 0; i < BufCount;) {
        qint32 time = -1, code = 0;
        BufNextEvent(time, code);
        if (time >= 0 && code > 0) {
            const int fed = FeedFastEvent(time, code);
            display_.processPendingEvents();
            if (CancelReq)
                break;
            if (!fed) {
                libraryError = true;
                break;
            }
        }
        ++i;
        display_.setCaption(Caption::LblMess, signedText(i));
    }
    if (!libraryError) {
        ReportOverallKey();
        ReportKeyTiming(true);
    }
    lastFastOutcome = libraryError ? FastOutcome::LibraryError : FastOutcome::Reported;
    if (CancelReq) {
        display_.setCaption(Caption::LblMess, QStringLiteral("Canceled"));
        lastFastOutcome = FastOutcome::Cancelled;
    }
    finish();
}

} // namespace tunedeck

// The main window's two modes and what they show: real-time play with its live key display,
// fast detection, Stop, the timers, and the reports both modes end with.
#include "windows/frmzon.h"

#include "binding/tonalytelibrary.h"
#include "reports/resulttext.h"
#include "reports/runreports.h"
#include "windows/notifylabel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace tunedeck {

namespace {

// Enabling a running timer does not restart its interval.
void enableTimer(QTimer *timer, bool enabled)
{
    if (!enabled)
        timer->stop();
    else if (!timer->isActive())
        timer->start();
}

void showList(QComboBox *box, const QStringList &items)
{
    box->addItems(items);
    if (box->count() > 0)
        box->setCurrentIndex(0);
}

} // namespace

bool FrmZon::openMidiFile()
{
    const OpenError error = openFile_.open(QFile::encodeName(midiFilePath_).toStdString());
    showOpenResult(error);
    if (error != OpenError::None) {
        info_.LblError->setText(text::openError(error));
        if (error == OpenError::Reader)
            info_.LblMess->setText(text::readerReason(openFile_.readerReason()));
        return false;
    }
    info_.LblTpNotDen->setText(text::ticksPerQuarter(openFile_.ticksPerQuarter()));
    info_.LblMess->setText(text::trackCount(openFile_.trackCount()));
    return true;
}

void FrmZon::showKeyCode(std::int32_t code)
{
    const std::optional<KeyDisplay::Texts> texts = keyDisplay_.show(code);
    if (!texts)
        return;
    info_.LblKqKey->setText(texts->code);
    results_.LblKeyStr->setText(texts->name);
    results_.LblSignat->setText(texts->signature);
    if (frmHaStr_)
        frmHaStr_->setKeyAccidental(keyDisplay_.accidental());
}

void FrmZon::stopPlayback()
{
    session_.stop();
}

void FrmZon::enableStartButtons(bool enabled)
{
    mode_.CmdPlay->setEnabled(enabled);
    mode_.CmdFastDetect->setEnabled(enabled);
    mode_.CmdListen->setEnabled(enabled);
    exportAudioAction()->setEnabled(enabled);
}

void FrmZon::clearKeyDisplay()
{
    showKeyCode(0);
    for (QLabel *label : {results_.LblKeyStr, static_cast<QLabel *>(results_.LblSignat), info_.LblInpTCnt,
                          info_.LblTapCnt, info_.LblKeyType, info_.LblHaCode})
        label->clear();
}

void FrmZon::resetResultDisplay()
{
    clearKeyDisplay();
    info_.LblHaStr->clear();
    info_.LblcTime->setText(text::ClockStart);
    results_.LblKType->setText(text::CurrentKey);
    results_.CmbKeyList->clear();
    results_.CmbKeyPoint->clear();
}

void FrmZon::showReports(const KeyReports &reports)
{
    const OverallKeyReport &overall = reports.overall;
    results_.LblKType->setText(text::OverallKey);
    if (overall.nothingFound) {
        info_.LblError->setText(text::NothingFound);
        info_.LblHaStr->setText(text::advice(overall.advice));
        QApplication::beep();
    }
    showList(results_.CmbKeyList, text::candidates(overall));
    if (results_.CmbKeyList->count() > 0 && overall.hasKey()) {
        showKeyCode(overall.top().code);
        info_.LblHaStr->setText(text::probability(overall.top().percent));
    }
    if (reports.timing.overflow != TimelineOverflow::None)
        info_.LblError->setText(text::timelineOverflow(reports.timing.overflow));
    showList(results_.CmbKeyPoint, text::timelinePoints(reports.timing));
}

void FrmZon::CmdPlay_Click()
{
    enableTimer(Timer1, false);
    enableTimer(TimerCTime, true);
    if (!openMidiFile() || !applyOutputChoice())
        return;
    session_.prepare();
    info_.LblMess->setText(text::Loading);
    info_.LblMess->repaint();
    if (!session_.compose(openFile_, trackChoice())) {
        info_.LblError->setText(text::TrackNotFound);
        info_.LblMess->clear();
        return;
    }
    resetResultDisplay();
    results_.LblKeyTiming->setText(text::PlayTiming);
    startLiveAnalysis(openFile_.ticksPerQuarter());
    if (session_.start(moreSensitive())) {
        info_.LblMess->setText(text::Playing);
        info_.LblError->clear();
    } else {
        info_.LblMess->setText(text::TimerError);
    }
}

void FrmZon::showLiveKey(const LiveKey &key)
{
    info_.LblMess->setText(text::playedNote(key.note.note, key.note.velocity, key.note.on));
    if (key.keyCode < 0) {
        info_.LblError->setText(text::LibraryError);
        return;
    }
    showKeyCode(key.keyCode);
    recordLiveKey(key);
    info_.LblHaStr->setText(key.keyCode == 0 ? QString() : text::detailPair(key.detail1, key.detail2));
    info_.LblError->setText(text::fitRatio(key.fitRatio));
    info_.LblInpTCnt->setNum(key.inputCount);
    info_.LblTapCnt->setNum(key.tapCount);
    info_.LblKeyType->setNum(key.keyType);
}

void FrmZon::CmdStop_Click()
{
    if (endListening(true))
        return;
    stopPlayback();
    if (fastBusy_)
        cancelRequested_ = true;
    else
        info_.LblMess->setText(text::Stopped);
}

void FrmZon::MIDIOutput1_EndOfData()
{
    info_.LblError->setText(text::EndOfData);
    info_.LblMess->clear();
    enableTimer(Timer1, true);
}

void FrmZon::MIDIOutput1_Error()
{
    info_.LblError->setText(text::OutputError);
}

void FrmZon::Timer1_Timer()
{
    enableTimer(Timer1, false);
    stopPlayback();
    showReports(session_.report(moreSensitive(), input_.ChkAll->isChecked(), keyCount()));
    endLiveAnalysis();
}

void FrmZon::TimerCTime_Timer()
{
    info_.LblcTime->setText(text::clock(session_.clock()));
    updateLiveAnalysis();
}

void FrmZon::showOutOfBuffer()
{
    info_.LblError->setText(text::OutOfBuffer);
    info_.LblMess->setText(text::Cancelled);
    for (QComboBox *box : {results_.CmbKeyList, results_.CmbKeyPoint}) {
        box->clear();
        showList(box, {text::Error});
    }
    info_.LblHaStr->setText(text::outOfBufferLimit());
    clearKeyDisplay();
}

void FrmZon::letEventsThrough()
{
    // Letting the window's events through costs far more than feeding one event (over
    // 100 us against well under one), so it happens when 10 ms have passed since the last
    // time: a Stop click still lands at once, the progress repaints smoothly, and 64,000
    // events take tens of ms.
    if (eventsLetThrough_.isValid() && eventsLetThrough_.elapsed() < 10)
        return;
    QCoreApplication::processEvents();
    eventsLetThrough_.start();
}

void FrmZon::CmdFastDetect_Click()
{
    eventsLetThrough_.invalidate();
    enableTimer(Timer1, false);
    enableTimer(TimerCTime, false);
    if (openMidiFile()) {
        stopPlayback();
        enableStartButtons(false);
        info_.LblMess->setText(text::Loading);
        info_.LblMess->repaint();
        cancelRequested_ = false;
        fastBusy_ = true;

        const FastOptions options{trackChoice(), moreSensitive(), input_.CmbTimeSign->currentIndex(), keyCount()};
        FastRunHooks hooks;
        hooks.gathered = [this](const FastDetection &run) {
            resetResultDisplay();
            results_.LblKeyTiming->setText(text::meterTiming(run.meter));
        };
        hooks.feeding = [this](int events) {
            info_.LblError->clear();
            info_.LblHaStr->setText(text::eventCount(events));
        };
        hooks.keepGoing = [this](const FeedProgress &progress) {
            if (!eventsLetThrough_.isValid() || eventsLetThrough_.elapsed() >= 10) {
                info_.LblcTime->setText(text::bar(progress.bar));
                if (progress.handled > 0)
                    info_.LblMess->setText(text::handled(progress.handled));
            }
            letEventsThrough();
            return !cancelRequested_;
        };
        FastDetection run = runFastDetection(library_, openFile_, options, hooks);

        if (run.feed.lastBar > 0)
            info_.LblcTime->setText(text::bar(run.feed.lastBar));
        if (run.feed.handled > 0)
            info_.LblMess->setText(text::handled(run.feed.handled));
        switch (run.outcome) {
        case FastOutcome::TrackNotFound:
            info_.LblError->setText(text::TrackNotFound);
            info_.LblMess->clear();
            break;
        case FastOutcome::OutOfBuffer: showOutOfBuffer(); break;
        case FastOutcome::NoData: info_.LblMess->setText(text::NoData); break;
        case FastOutcome::LibraryError: info_.LblError->setText(text::LibraryError); break;
        case FastOutcome::Reported:
        case FastOutcome::Cancelled:
            // The choices in force now, as the reports have always read them.
            reportFastDetection(library_, run, moreSensitive(), input_.ChkAll->isChecked(), keyCount());
            showReports(run.reports);
            showFastKeyMap(run);
            if (run.outcome == FastOutcome::Cancelled)
                info_.LblMess->setText(text::Cancelled);
            break;
        default: break;
        }
        cancelRequested_ = false;
        fastBusy_ = false;
        enableStartButtons(true);
    }
    // A close asked for during the run was held back until the run returned.
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        close();
    }
}

} // namespace tunedeck

#include "qt/windows/runview.h"

#include "core/harmony/romannumeral.h"
#include "core/keymap/keymaprows.h"
#include "qt/keymap/keymapwidget.h"
#include "core/reports/analysistext.h"
#include "qt/base/qttext.h"
#include "core/reports/resulttext.h"
#include "qt/run/profiletracking.h"
#include "qt/windows/frmhastr.h"
#include "qt/windows/notifylabel.h"
#include "qt/windows/openproblem.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QStringList>

namespace tunedeck {

namespace {

constexpr int MessageMs = 15000;

void showList(QComboBox *box, const std::vector<std::string> &items)
{
    box->clear();
    box->addItems(qtexts(items));
    if (box->count() > 0)
        box->setCurrentIndex(0);
}

QString profileLine(const QString &key)
{
    return QStringLiteral("Profile analysis: ") + key;
}

} // namespace

RunView::RunView(const ResultsSection &results, const InfoSection &info, KeyMapWidget *keyMap, QStatusBar *status,
                 QObject *parent)
    : QObject(parent), results_(results), info_(info), keyMap_(keyMap), status_(status)
{
}

void RunView::follow(Runner &runner)
{
    runner_ = &runner;
    connect(&runner, &Runner::opened, this,
            [this](const OpenResult &opened) { showOpenResult(runner_->path(), runner_->file(), opened); });
    connect(&runner, &Runner::notice, this, &RunView::showNotice);
    connect(&runner, &Runner::liveStarted, this, [this] {
        showTexts(liveStartTexts());
        results_.LblChordNow->clear();
    });
    connect(&runner, &Runner::answered, this, &RunView::showAnswer);
    connect(&runner, &Runner::clockTicked, this,
            [this](std::uint32_t ms) { info_.LblcTime->setText(qtext(text::clock(ms))); });
    connect(&runner, &Runner::gathered, this,
            [this](const FastDetection &run) { showTexts(gatheredTexts(run.meter)); });
    connect(&runner, &Runner::feeding, this, [this](int events) { showTexts(feedingTexts(events)); });
    connect(&runner, &Runner::progress, this, [this](const FeedProgress &progress) {
        info_.LblcTime->setText(qtext(text::bar(progress.bar)));
        if (progress.handled > 0)
            info_.LblMess->setText(qtext(text::handled(progress.handled)));
    });
    connect(&runner, &Runner::fastFinished, this, &RunView::showFastRun);
    connect(&runner, &Runner::notesLeftOut, this, &RunView::showLeftOut);
    connect(&runner, &Runner::reported, this, [this](const KeyReports &reports) { showTexts(reportTexts(reports)); });
    // The chord of the moment has none once the run is over.
    connect(&runner, &Runner::stateChanged, this, [this](RunState state) {
        if (state == RunState::Idle)
            results_.LblChordNow->clear();
    });

    const ProfileTracking &live = runner.profileTracking();
    connect(&live, &ProfileTracking::started, this, [this] {
        keyMap_->startLive(KeyMapUnit::Second, {TonalyteLiveRow, ProfileRow});
        showProfileLine([](Notation) { return std::string("-"); });
    });
    connect(&live, &ProfileTracking::keyRecorded, this,
            [this](std::size_t row, std::int64_t second, int code, bool unsure, std::optional<int> fifths) {
                keyMap_->recordKey(row, second, code, unsure, fifths);
            });
    // The line and the key map's row show the same key: a play's local key at its position,
    // or the tracker's.
    connect(&live, &ProfileTracking::analysed, this, [this](const ShownKey &shown, std::int64_t) {
        showProfileLine([&shown](Notation n) { return text::shownKey(shown, n); });
    });
    connect(&live, &ProfileTracking::chordAnalysed, this, [this](const ShownChord &chord) { showChord(chord); });
    // A play has ended: the whole file's analysis, as the reports beside it are the whole file's.
    connect(&live, &ProfileTracking::playFinished, this, &RunView::showProfileAnalysis);
    // Listening has ended: what it heard over everything, however long ago the last note was.
    connect(&live, &ProfileTracking::finished, this, [this](const ShownKey &shown) {
        showProfileLine([&shown](Notation n) { return text::shownKey(shown, n); });
        results_.LblChordNow->clear();
    });
}

void RunView::showKeyCode(std::int32_t code)
{
    const std::optional<KeyDisplay::Texts> texts = keyDisplay_.show(code);
    if (!texts)
        return;
    info_.LblKqKey->setText(qtext(texts->code));
    results_.LblKeyStr->setText(qtext(texts->name));
    results_.LblSignat->setText(qtext(texts->signature));
    if (chords_)
        chords_->setKeyAccidental(keyDisplay_.accidental());
}

void RunView::clearKeyDisplay()
{
    showKeyCode(0);
    for (QLabel *label : {results_.LblKeyStr, static_cast<QLabel *>(results_.LblSignat), info_.LblInpTCnt,
                          info_.LblTapCnt, info_.LblKeyType, info_.LblHaCode})
        label->clear();
}

void RunView::showTexts(const RunTexts &t)
{
    const std::pair<const std::optional<std::string> &, QLabel *> labels[] = {
        {t.kType, results_.LblKType}, {t.keyTiming, results_.LblKeyTiming}, {t.mess, info_.LblMess},
        {t.cTime, info_.LblcTime},    {t.error, info_.LblError},             {t.haStr, info_.LblHaStr}};
    for (const auto &[text, label] : labels)
        if (text)
            label->setText(qtext(*text));
    if (t.keyList)
        showList(results_.CmbKeyList, *t.keyList);
    if (t.keyPoint)
        showList(results_.CmbKeyPoint, *t.keyPoint);
    if (t.key) {
        if (*t.key == 0)
            clearKeyDisplay();
        else
            showKeyCode(*t.key);
    }
    if (t.beep)
        QApplication::beep();
}

void RunView::showOpenDetail(const QString &path, const OpenFile &file, const OpenResult &opened)
{
    const QString detail = opened ? openNote(path, file) : openProblem(path, opened.error(), file);
    if (detail.isEmpty())
        status_->clearMessage();
    else
        status_->showMessage(detail);
}

void RunView::showFileCounts(const OpenFile &file)
{
    info_.LblTpNotDen->setText(qtext(text::ticksPerQuarter(file.ticksPerQuarter())));
    counts_ = qtext(text::trackCount(file.trackCount()));
    info_.LblMess->setText(counts_);
}

void RunView::showOpenResult(const QString &path, const OpenFile &file, const OpenResult &opened)
{
    showOpenDetail(path, file, opened);
    if (opened)
        showFileCounts(file);
    else
        showTexts(openTexts(opened.error().kind, opened.error().reason));
}

void RunView::showChosenFile(const QString &path, const OpenFile &file, const OpenResult &opened)
{
    showOpenDetail(path, file, opened);
    if (runner_ && runner_->busy()) // the labels are the run's
        return;
    results_.LblChordNow->clear();
    if (opened) {
        showFileCounts(file);
        return;
    }
    // The counts of the file chosen before would read as this one's.
    if (!counts_.isEmpty() && info_.LblMess->text() == counts_) {
        info_.LblTpNotDen->clear();
        info_.LblMess->clear();
    }
}

void RunView::showNotice(RunNotice notice, const QString &detail)
{
    switch (notice) {
    case RunNotice::Loading:
        info_.LblMess->setText(qtext(text::Loading));
        info_.LblMess->repaint();
        return;
    case RunNotice::Playing:
    case RunNotice::Listening:
        info_.LblMess->setText(notice == RunNotice::Playing ? qtext(text::Playing)
                                                            : QStringLiteral("Listening to %1 ...").arg(detail));
        info_.LblError->clear();
        return;
    case RunNotice::TrackNotFound:
    case RunNotice::EndOfData:
        info_.LblError->setText(qtext(notice == RunNotice::TrackNotFound ? text::TrackNotFound : text::EndOfData));
        info_.LblMess->clear();
        return;
    case RunNotice::TimerError: info_.LblMess->setText(qtext(text::TimerError)); return;
    case RunNotice::Stopped: info_.LblMess->setText(qtext(text::Stopped)); return;
    case RunNotice::OutputError:
        info_.LblError->setText(qtext(text::OutputError));
        status_->showMessage(QStringLiteral("MIDI output: ") + detail, MessageMs);
        return;
    case RunNotice::InputError:
        info_.LblError->setText(detail);
        status_->showMessage(QStringLiteral("MIDI input: ") + detail, MessageMs);
        return;
    case RunNotice::InputRefused: {
        const QString why = detail.isEmpty() && noInputText_ ? noInputText_() : detail;
        info_.LblError->setText(why);
        status_->showMessage(QStringLiteral("MIDI input: ") + why, MessageMs);
        return;
    }
    }
}

void RunView::showAnswer(const TonalyteAnswer &key)
{
    info_.LblMess->setText(qtext(text::playedNote(key.note.note, key.note.velocity, key.note.on)));
    if (key.keyCode < 0) {
        info_.LblError->setText(qtext(text::LibraryError));
        return;
    }
    showKeyCode(key.keyCode);
    info_.LblHaStr->setText(key.keyCode == 0 ? QString() : qtext(text::detailPair(key.detail1, key.detail2)));
    info_.LblError->setText(qtext(text::fitRatio(key.fitRatio)));
    info_.LblInpTCnt->setNum(key.inputCount);
    info_.LblTapCnt->setNum(key.tapCount);
    info_.LblKeyType->setNum(key.keyType);
}

void RunView::showLeftOut(int transposed, int noteZero)
{
    // One line: the status bar holds one message.
    QStringList parts;
    if (transposed > 0)
        parts << (transposed == 1 ? QStringLiteral("Transpose: 1 note moved outside 1 to 127 is left out")
                                  : QStringLiteral("Transpose: %1 notes moved outside 1 to 127 are left out").arg(transposed));
    if (noteZero > 0)
        parts << qtext(text::noteZeroLeftOut(noteZero));
    status_->showMessage(parts.join(QStringLiteral("; ")));
}

void RunView::showChord(const ShownChord &chord)
{
    results_.LblChordNow->setText(qtext(harmony::chordInKey(chord.chord, chord.keyCode, chord.written)));
}

void RunView::showProfileAnalysis(const profile::ProfileAnalysis &analysis, const SpelledNames &names)
{
    showProfileLine([&analysis, &names](Notation n) { return text::profileKey(analysis, n, &names); });
}

void RunView::showProfileLine(const std::function<std::string(Notation)> &key)
{
    for (std::size_t n = 0; n < profileKeys_.size(); ++n)
        profileKeys_[n] = qtext(key(Notation(n)));
    results_.LblProfileKey->setText(profileLine(profileKeys_[std::size_t(notation_)]));
}

void RunView::setNotation(Notation notation)
{
    notation_ = notation;
    keyMap_->setNotation(notation);
    // Before any run the line keeps what the window started with.
    if (!profileKeys_[std::size_t(notation)].isEmpty())
        results_.LblProfileKey->setText(profileLine(profileKeys_[std::size_t(notation)]));
}

void RunView::showFastRun(const FileAnalysis &analysis)
{
    results_.LblChordNow->clear(); // a fast run has no moment
    // A refused file's texts came with its opening.
    if (!analysis.refusal)
        showTexts(fastRunTexts(analysis.run));
    if (!analysis.profile) {
        // What was shown belongs to the file before.
        showProfileLine([](Notation) { return std::string("-"); });
        keyMap_->clear();
        return;
    }
    showProfileAnalysis(*analysis.profile, spelledNames(analysis));
    const SpelledNames names = spelledNames(analysis);
    keyMap_->setData(fastKeyMap(analysis.run.reports.timing, *analysis.profile, analysis.run.feed.lastBar, &names,
                                analysis.run.ticksPerBar));
}

} // namespace tunedeck

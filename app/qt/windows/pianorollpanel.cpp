#include "qt/windows/pianorollpanel.h"

#include "core/keymap/keymaprows.h"
#include "qt/keymap/keymapwidget.h"
#include "qt/pianoroll/keybarchart.h"
#include "qt/pianoroll/pianorollpainter.h"
#include "qt/pianoroll/pianorollwidget.h"
#include "core/pianoroll/rollsources.h"
#include "qt/run/profiletracking.h"
#include "qt/run/runner.h"
#include "qt/windows/transportbar.h"

#include <QAction>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace tunedeck {

PianoRollPanel::PianoRollPanel(KeyMapWidget &keyMap, QWidget *parent)
    : QWidget(parent), keyMap_(keyMap)
{
    transport_ = new TransportBar(this);
    roll_ = new PianoRollWidget(this);
    roll_->setObjectName(QStringLiteral("PianoRoll"));
    // Room to read the notes on a small screen too (1024 x 600): the charts below and the mix
    // give way first.
    roll_->setMinimumHeight(180 + int(std::ceil(rollHeadHeight(QFontMetricsF(roll_->font(), roll_)))));
    tonalyteBars_ = new KeyBarChart(this);
    tonalyteBars_->setObjectName(QStringLiteral("TonalyteKeyBars"));
    profileBars_ = new KeyBarChart(this);
    profileBars_->setObjectName(QStringLiteral("ProfileKeyBars"));

    // Beside the window's controls: the roll takes the height, the two charts share a row below.
    auto *bars = new QHBoxLayout;
    for (auto [title, chart] : {std::pair{tr("Tonalyte"), tonalyteBars_}, std::pair{tr("Profile analysis"), profileBars_}}) {
        auto *column = new QVBoxLayout;
        column->addWidget(new QLabel(title, this));
        column->addWidget(chart);
        column->addStretch(1);
        bars->addLayout(column);
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(transport_);
    layout->addWidget(roll_, 1);
    layout->addLayout(viewOptions());
    layout->addLayout(bars);

    frames_.setInterval(FrameIntervalMs);
    connect(&frames_, &QTimer::timeout, this, &PianoRollPanel::frame);
}

QHBoxLayout *PianoRollPanel::viewOptions()
{
    roman_ = new QCheckBox(tr("Roman numerals"), this);
    roman_->setObjectName(QStringLiteral("ChkRoman"));
    roman_->setToolTip(tr("Under each chord's symbol, its Roman numeral in the local key"));
    // A view option: a click leaves the keyboard where it was, so Space still plays; Tab reaches it.
    roman_->setFocusPolicy(Qt::TabFocus);
    connect(roman_, &QCheckBox::toggled, roll_, [this](bool on) {
        roll_->setChordNames(on ? ChordNames::WithNumerals : ChordNames::Symbols);
    });
    auto *row = new QHBoxLayout;
    row->addWidget(roman_);
    row->addStretch(1);
    // Short captions, so that the dock keeps its width; the tool tips say them whole.
    const auto zoom = [&](const QString &text, const QString &caption, const char *name, QList<QKeySequence> keys,
                          void (PianoRollWidget::*slot)()) {
        auto *action = new QAction(text, this);
        action->setIconText(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        action->setToolTip(QStringLiteral("%1 (%2)").arg(text, keys.front().toString(QKeySequence::NativeText)));
        connect(action, &QAction::triggered, roll_, slot);
        addAction(action);
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("Cmd") + QLatin1String(name + 3));
        button->setDefaultAction(action);
        button->setAccessibleName(text);
        button->setFocusPolicy(Qt::TabFocus); // as the numerals' box: Space still plays after a click
        row->addWidget(button);
        return action;
    };
    // Ctrl+= too: on most keyboards + needs Shift.
    zoomIn_ = zoom(tr("Zoom in"), QStringLiteral("+"), "ActZoomIn",
                   {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)}, &PianoRollWidget::zoomIn);
    zoomOut_ = zoom(tr("Zoom out"), QStringLiteral("\u2212"), "ActZoomOut", {QKeySequence::ZoomOut},
                    &PianoRollWidget::zoomOut);
    wholePiece_ = zoom(tr("Whole piece"), tr("Whole"), "ActWholePiece", {QKeySequence(Qt::CTRL | Qt::Key_0)},
                       &PianoRollWidget::showWholePiece);
    return row;
}

void PianoRollPanel::follow(Runner &runner, std::function<AnalysisChoices()> choices)
{
    runner_ = &runner;
    choices_ = std::move(choices);
    transport_->follow(runner);
    connect(roll_, &PianoRollWidget::seekRequested, &runner, [&runner](std::int32_t ms) { runner.seek(ms); });
    connect(&runner, &Runner::liveStarted, this, [this] {
        tonalyteBars_->clear();
        profileBars_->clear();
    });
    connect(&runner, &Runner::stateChanged, this, [this](RunState state) {
        // Only a play of the file plays; going on from a pause is the same play.
        if (state == RunState::Playing && shown_ != RunState::Paused) {
            const PlayKeys *keys = runner_->playKeys();
            loadFile(keys ? rollChords(keys->chords(), keys->msPerTick()) : std::vector<RollChord>{});
            frames_.start();
        } else if (state == RunState::Listening) {
            // What is heard, not the file: its keys are those of the notes heard.
            heard_.clear();
            loadHeard();
            frames_.start();
        } else if (state == RunState::Idle) {
            frames_.stop();
            if (shown_ == RunState::Listening)
                loadHeard();
            roll_->setPlayPosition(std::nullopt);
        }
        shown_ = state;
    });
    connect(&runner, &Runner::answered, this, [this](const TonalyteAnswer &key) {
        if (runner_->state() != RunState::Listening || key.keyCode < 0)
            return;
        const NoteEvent &n = key.note;
        heard_.push_back({std::int32_t(runner_->liveClock()), std::uint8_t((n.on ? 0x90 : 0x80) | (n.channel & 15)),
                          n.note, n.on ? n.velocity : std::uint8_t(0)});
    });
    connect(&runner, &Runner::fastFinished, this, &PianoRollPanel::showFastRun);
    // During a play or listening the profile analysis has one key at a time, with the
    // confidence the line shows.
    const ProfileTracking &live = runner.profileTracking();
    connect(&live, &ProfileTracking::analysed, this,
            [this](const ShownKey &shown, std::int64_t) {
                profileBars_->setShares(sharesOfShown(shown));
                // A play's tint follows the key map's live row, which the view has just grown.
                if (runner_->state() != RunState::Listening)
                    updateKeys();
            });
    // At their ends, what the line shows: listening's reading of all it heard (even after a
    // silence showed none), a play's whole-file candidates.
    connect(&live, &ProfileTracking::finished, this,
            [this](const ShownKey &shown) { profileBars_->setShares(sharesOfShown(shown)); });
    connect(&live, &ProfileTracking::playFinished, this,
            [this](const profile::ProfileAnalysis &analysis, const SpelledNames &names) {
        profileBars_->setShares(sharesOfCandidates(analysis.candidates, names));
    });
    // Tonalyte's ranked keys as its statistics stand, then its reports.
    connect(&runner, &Runner::standing, this, [this](const OverallKeyReport &overall) {
        tonalyteBars_->setShares(sharesOfRankedKeys(overall.ranked));
    });
    connect(&runner, &Runner::reported, this, [this](const KeyReports &reports) {
        tonalyteBars_->setShares(sharesOfRankedKeys(reports.overall.ranked));
        updateKeys();
    });
}

void PianoRollPanel::showFastRun(const FileAnalysis &analysis)
{
    const FastDetection &run = analysis.run;
    if (analysis.refusal) { // the runner still holds the file before
        roll_->clear();
    } else {
        // The roll is timed at the mix's tempo, as a play would be.
        const int tempo = choices_ ? choices_().fast.adjust.tempoPercent : 100;
        // The key map's bars: the analysis' own (the music's or the meter's).
        const double perBar = double(analysis.profile ? analysis.bars.ticksPerBar : run.ticksPerBar);
        msPerBar_ = perBar * runner_->file().msPerTick() * 100.0 / tempo;
        msBarOne_ = analysis.profile ? double(analysis.bars.barStart) * runner_->file().msPerTick() * 100.0 / tempo : 0;
        loadFile(rollChords(analysis.chords, runner_->file().msPerTick() * 100.0 / tempo));
    }
    tonalyteBars_->setShares(sharesOfRankedKeys(run.reports.overall.ranked));
    profileBars_->setShares(analysis.profile
                                ? sharesOfCandidates(analysis.profile->candidates, spelledNames(analysis))
                                : std::vector<KeyShare>{});
}

void PianoRollPanel::loadFile(std::vector<RollChord> chords)
{
    const AnalysisChoices c = choices_ ? choices_() : AnalysisChoices{};
    std::optional<PianoRollData> data = rollOfFile(runner_->file(), c.fast.tracks, c.fast.adjust, c.fast.channels);
    if (data)
        data->chords = std::move(chords);
    roll_->setData(data ? std::move(*data) : PianoRollData{});
    updateKeys();
}

void PianoRollPanel::loadHeard()
{
    PianoRollData data = rollFromEvents(heard_);
    if (runner_->state() == RunState::Listening && !heard_.empty()) {
        // Grown while heard: the time so far, at least.
        data.endMs = std::max(data.endMs, std::int32_t(runner_->liveClock()));
        roll_->setGrownData(std::move(data));
    } else {
        roll_->setData(std::move(data));
    }
    updateKeys();
}

void PianoRollPanel::updateKeys()
{
    roll_->setKeys(rollKeysOfMap(keyMap_.data(), ProfileRow, msPerBar_, msBarOne_));
}

void PianoRollPanel::frame()
{
    const bool listening = runner_->state() == RunState::Listening;
    // The notes heard come as they are played; reading them a few times a second is plenty.
    if (listening && ++framesSinceKeys_ * FrameIntervalMs >= 500) {
        framesSinceKeys_ = 0;
        loadHeard();
    }
    roll_->setPlayPosition(std::int32_t(listening ? runner_->liveClock() : runner_->clock()));
}

void PianoRollPanel::setNotation(Notation notation)
{
    tonalyteBars_->setNotation(notation);
    profileBars_->setNotation(notation);
}

} // namespace tunedeck

// The second key analysis and the key map in the main window: after a fast detection, and
// growing live while a file plays.
#include "windows/frmzon.h"

#include "keymap/keymapexport.h"
#include "keymap/keymaprows.h"
#include "keymap/keymapwidget.h"
#include "reports/analysistext.h"

#include <QFileDialog>
#include <QLabel>
#include <QStatusBar>

namespace tunedeck {

namespace {
constexpr std::size_t TonalyteLine = 0, ProfileLine = 1;
} // namespace

void FrmZon::showProfileAnalysis(const keyanalysis::KeyAnalysis &analysis)
{
    results_.LblProfileKey->setText(QStringLiteral("Profile analysis: ") + text::secondKey(analysis));
}

void FrmZon::showFastKeyMap(const FastDetection &run)
{
    const keyanalysis::KeyAnalysis analysis =
        keyanalysis::analyseKeys(run.events, openFile_.ticksPerQuarter(), run.ticksPerBar);
    showProfileAnalysis(analysis);
    keyMap_->setData(fastKeyMap(run.reports.timing, analysis, run.feed.lastBar));
}

void FrmZon::startLiveAnalysis(int ticksPerQuarter)
{
    playedNotes_.clear();
    liveAnalyser_.emplace(ticksPerQuarter);
    keyMap_->startLive(KeyMapUnit::Second, {TonalyteRow, ProfileRow});
    results_.LblProfileKey->setText(QStringLiteral("Profile analysis: -"));
}

void FrmZon::recordLiveKey(const LiveKey &key)
{
    if (!liveAnalyser_)
        return;
    playedNotes_.push_back(key.note);
    keyMap_->recordKey(TonalyteLine, std::int64_t(session_.clock() / 1000), key.keyCode);
}

void FrmZon::updateLiveAnalysis()
{
    if (!liveAnalyser_ || playedNotes_.empty())
        return;
    liveAnalyser_->update(playedNotes_);
    const keyanalysis::KeyAnalysis analysis = liveAnalyser_->analysis(0);
    showProfileAnalysis(analysis);
    if (!analysis.windowKeys.empty())
        keyMap_->recordKey(ProfileLine, std::int64_t(session_.clock() / 1000), analysis.windowKeys.back());
}

void FrmZon::endLiveAnalysis()
{
    updateLiveAnalysis();
    liveAnalyser_.reset();
}

void FrmZon::saveKeyMap()
{
    if (keyMap_->data().rows.empty()) {
        statusBar()->showMessage(QStringLiteral("No key map yet: run a fast detection or play a file first."), 8000);
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Key Map"), QString(),
                                                      QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)"));
    if (path.isEmpty())
        return;
    QString error;
    const QSize size(std::max(keyMap_->width(), 900), std::max(keyMap_->height(), 160));
    if (tunedeck::saveKeyMap(keyMap_->data(), path, size, &error))
        statusBar()->showMessage(QStringLiteral("Key map saved to %1").arg(path), 8000);
    else
        statusBar()->showMessage(QStringLiteral("Key map not saved: %1").arg(error), 15000);
}

} // namespace tunedeck

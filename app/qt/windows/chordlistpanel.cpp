#include "qt/windows/chordlistpanel.h"

#include "core/analysis/analysisjson.h"
#include "core/analysis/chordoutput.h"
#include "core/playback/playkeys.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tunedeck {

namespace {

QString cellText(const nlohmann::json &value)
{
    if (value.is_string())
        return QString::fromStdString(value.get<std::string>());
    return QString::fromStdString(value.dump());
}

// Enter on a row seeks as a click does; the table keeps the other keys.
class ChordTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;
    std::function<void(int)> entered;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0 && entered) {
            entered(currentRow());
            return;
        }
        QTableWidget::keyPressEvent(event);
    }
};

} // namespace

ChordListPanel::ChordListPanel(QWidget *parent) : QWidget(parent)
{
    auto *table = new ChordTable(0, 6, this);
    table_ = table;
    table_->setObjectName(QStringLiteral("ChordList"));
    table_->setHorizontalHeaderLabels({tr("Bar"), tr("Beat"), tr("Chord"), tr("Numeral"), tr("Key"), tr("Confidence")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setToolTip(tr("The chords beat by beat: click a row, or press Enter on it, to play from there"));
    table->entered = [this](int row) { seekTo(row); };
    connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) { seekTo(row); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table_);
}

void ChordListPanel::follow(Runner &runner, std::function<AnalysisChoices()> choices)
{
    runner_ = &runner;
    choices_ = std::move(choices);
    connect(&runner, &Runner::fastFinished, this, [this](const FileAnalysis &analysis) {
        const int tempo = choices_ ? choices_().fast.adjust.tempoPercent : 100;
        show(analysis.refusal ? std::vector<chords::ChordSegment>{} : analysis.chords,
             runner_->file().msPerTick() * 100.0 / tempo);
    });
    connect(&runner, &Runner::stateChanged, this, [this](RunState state) {
        // A play lists what it plays (its tracks, transposition, mix); going on from a pause keeps it.
        if (state == RunState::Playing && !playing_) {
            const PlayKeys *keys = runner_->playKeys();
            show(keys ? keys->chords() : std::vector<chords::ChordSegment>{}, keys ? keys->msPerTick() : 1);
        }
        playing_ = state == RunState::Playing || state == RunState::Paused || state == RunState::Stopping;
        if (!playing_)
            mark(-1);
    });
    // The row of the moment moves as notes sound, each second and at a seek.
    const auto follow = [this] {
        if (playing_)
            mark(runner_->clock());
    };
    connect(&runner, &Runner::answered, this, follow);
    connect(&runner, &Runner::clockTicked, this, follow);
}

void ChordListPanel::show(std::vector<chords::ChordSegment> chords, double msPerTick)
{
    chords_ = std::move(chords);
    const nlohmann::json rows = chordsJson(chords_);
    table_->clearContents();
    table_->setRowCount(int(chords_.size()));
    startMs_.clear();
    for (std::size_t i = 0; i < chords_.size(); ++i) {
        const nlohmann::json &c = rows[i];
        const QString confidence = QString::number(std::lround(c["confidence"].get<double>() * 100)) + QStringLiteral(" %");
        const QStringList cells{cellText(c["bar"]), cellText(c["beat"]), cellText(c["symbol"]), cellText(c["roman"]),
                                cellText(c["key"]), confidence};
        for (int column = 0; column < cells.size(); ++column)
            table_->setItem(int(i), column, new QTableWidgetItem(cells[column]));
        startMs_.push_back(std::llround(double(chords_[i].tick) * msPerTick));
    }
    table_->resizeColumnsToContents();
    marked_ = -1;
}

void ChordListPanel::mark(std::int64_t ms)
{
    // The last chord begun by ms; none before the first or when no play runs.
    const auto after = std::upper_bound(startMs_.begin(), startMs_.end(), ms);
    const int row = ms < 0 || after == startMs_.begin() ? -1 : int(after - startMs_.begin()) - 1;
    if (row == marked_)
        return;
    for (int r : {marked_, row}) {
        if (r < 0)
            continue;
        for (int column = 0; column < table_->columnCount(); ++column) {
            QTableWidgetItem *item = table_->item(r, column);
            QFont font = item->font();
            font.setBold(r == row);
            item->setFont(font);
        }
    }
    marked_ = row;
    if (row >= 0)
        table_->scrollToItem(table_->item(row, 0));
}

void ChordListPanel::seekTo(int row)
{
    if (row >= 0 && std::size_t(row) < startMs_.size() && runner_)
        runner_->seek(startMs_[std::size_t(row)]);
}

std::string ChordListPanel::csv(std::string_view path) const
{
    return chordCsvHeader() + chordCsvRows(path, chords_);
}

} // namespace tunedeck

// The chords as a list beside the roll: bar, beat, symbol, numeral, key and confidence, the
// values the command's JSON and CSV write. After a fast run those of the file, during a play
// those of what is played, the row of the moment marked; a click or Enter on a row seeks there.
#ifndef TUNEDECK_QT_WINDOWS_CHORDLISTPANEL_H
#define TUNEDECK_QT_WINDOWS_CHORDLISTPANEL_H

#include "core/chords/chordanalysis.h"
#include "qt/run/runner.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QTableWidget;

namespace tunedeck {


class ChordListPanel : public QWidget {
    Q_OBJECT
public:
    explicit ChordListPanel(QWidget *parent = nullptr);

    // choices: the mix's tempo, which times the rows as a play plays them.
    void follow(Runner &runner, std::function<AnalysisChoices()> choices);

    QTableWidget *table() const { return table_; }
    // The row of the moment during a play; -1 when none.
    int markedRow() const { return marked_; }
    bool hasChords() const { return !chords_.empty(); }
    // The chords listed as tunedeck-detect --chords --format csv writes them for path.
    std::string csv(std::string_view path) const;

private:
    void show(std::vector<chords::ChordSegment> chords, double msPerTick);
    void mark(std::int64_t ms);
    void seekTo(int row);

    Runner *runner_ = nullptr;
    std::function<AnalysisChoices()> choices_;
    QTableWidget *table_;
    std::vector<chords::ChordSegment> chords_;
    std::vector<std::int64_t> startMs_; // each row's start as the play times it
    bool playing_ = false; // a play is listed: going on from a pause keeps it
    int marked_ = -1;
};

} // namespace tunedeck

#endif

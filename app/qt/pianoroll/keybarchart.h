// The candidate keys at a glance: one horizontal bar per key, as long as its share, in the
// key's colour from the key map, with its name and share beside it.
#ifndef TUNEDECK_QT_PIANOROLL_KEYBARCHART_H
#define TUNEDECK_QT_PIANOROLL_KEYBARCHART_H

#include "core/base/keynames.h"
#include "core/pianoroll/keyshares.h"

#include <QPalette>
#include <QSizeF>
#include <QWidget>

class QPainter;

namespace tunedeck {

// Paints the bars into (0, 0, size) with the painter's font; at most as many as fit.
// Standard notation shows each share's own label; another spells the key that way.
void paintKeyBars(QPainter &painter, const std::vector<KeyShare> &shares, const QSizeF &size,
                  const QPalette &palette, Notation notation = Notation::Standard);

class KeyBarChart : public QWidget {
    Q_OBJECT
public:
    // Bars shown at most, so the chart keeps a steady height.
    static constexpr int MaxBars = 6;

    explicit KeyBarChart(QWidget *parent = nullptr);

    void setShares(std::vector<KeyShare> shares);
    const std::vector<KeyShare> &shares() const { return shares_; }
    void clear() { setShares({}); }
    void setNotation(Notation notation);
    Notation notation() const { return notation_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<KeyShare> shares_;
    Notation notation_ = Notation::Standard;
};

} // namespace tunedeck

#endif

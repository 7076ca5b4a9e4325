#include "qt/pianoroll/keybarchart.h"

#include "qt/keymap/keycolours.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tunedeck {

namespace {

double barPitch(const QFontMetricsF &fm)
{
    return std::ceil(fm.height() * 1.3);
}

} // namespace

void paintKeyBars(QPainter &painter, const std::vector<KeyShare> &shares, const QSizeF &size,
                  const QPalette &palette, Notation notation)
{
    const QFontMetricsF fm(painter.font(), painter.device());
    const double pitch = barPitch(fm);
    double labelWidth = 0;
    for (const KeyShare &s : shares)
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(QString::fromStdString(shareLabel(s, notation))));
    const double gap = fm.averageCharWidth();
    const double shareWidth = fm.horizontalAdvance(QStringLiteral("100 %"));
    const double barLeft = labelWidth + gap;
    const double barSpace = std::max(0.0, size.width() - barLeft - gap - shareWidth);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const auto fits = std::size_t(std::max(0.0, std::floor(size.height() / pitch)));
    for (std::size_t i = 0; i < std::min(shares.size(), fits); ++i) {
        const KeyShare &s = shares[i];
        const double top = i * pitch;
        painter.setPen(palette.color(QPalette::WindowText));
        painter.drawText(QRectF(0, top, labelWidth, pitch), Qt::AlignRight | Qt::AlignVCenter,
                         QString::fromStdString(shareLabel(s, notation)));
        const double length = std::round(barSpace * s.share);
        const QRectF bar(barLeft, top + pitch * 0.15, length, pitch * 0.7);
        const KeyFill fill = keyFill(s.keyCode);
        painter.fillRect(bar, fill.ground);
        if (fill.hatch.isValid()) // a minor, as the key map draws it
            painter.fillRect(bar, QBrush(fill.hatch, Qt::BDiagPattern));
        painter.drawText(QRectF(bar.right() + gap, top, shareWidth, pitch), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("%1 %").arg(std::lround(s.share * 100)));
    }
    painter.restore();
}

KeyBarChart::KeyBarChart(QWidget *parent)
    : QWidget(parent)
{
}

void KeyBarChart::setShares(std::vector<KeyShare> shares)
{
    shares_ = std::move(shares);
    update();
}

void KeyBarChart::setNotation(Notation notation)
{
    notation_ = notation;
    update();
}

QSize KeyBarChart::sizeHint() const
{
    const QFontMetricsF fm(font());
    return {int(fm.averageCharWidth() * 36), int(barPitch(fm) * MaxBars)};
}

QSize KeyBarChart::minimumSizeHint() const
{
    const QFontMetricsF fm(font());
    return {int(fm.averageCharWidth() * 20), int(barPitch(fm) * 2)};
}

void KeyBarChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintKeyBars(painter, shares_, size(), palette(), notation_);
}

} // namespace tunedeck

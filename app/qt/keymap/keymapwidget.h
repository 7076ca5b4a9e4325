// The key map as a strip in a window: grows with the window's width, shows the keys of the
// position under the mouse in a tooltip, and can grow live during a play without
// repainting more than a few times a second. It asks the window for the same height
// whatever it holds, so nothing moves as it fills; a legend with no room for every key says
// how many it leaves out, and its tooltip names them all.
#ifndef TUNEDECK_QT_KEYMAP_KEYMAPWIDGET_H
#define TUNEDECK_QT_KEYMAP_KEYMAPWIDGET_H

#include "core/keymap/keymapdata.h"

#include <QTimer>
#include <QWidget>

#include <optional>

namespace tunedeck {

class KeyMapWidget : public QWidget {
    Q_OBJECT
public:
    // The strip is drawn at most once in this time, however often it changes.
    static constexpr int RepaintIntervalMs = 250;

    explicit KeyMapWidget(QWidget *parent = nullptr);

    const KeyMapData &data() const { return data_; }
    // A whole map, as after a fast detection. Changes are drawn at once when the strip has
    // not changed for RepaintIntervalMs, else together at the end of the interval, so a
    // whole map can also be set again on every tick of a play.
    void setData(const KeyMapData &data);
    // An empty map in that unit with these row titles, ready for recordKey during a play.
    void startLive(KeyMapUnit unit, const std::vector<std::string> &rowTitles);
    // The key of a row at a position, during a play (see tunedeck::recordKey).
    void recordKey(std::size_t row, std::int64_t position, int keyCode, bool unsure = false,
                   std::optional<int> keyFifths = std::nullopt);
    void clear();
    // How keys are spelt, in this map and every one set after it.
    void setNotation(Notation notation);

    // The position under a point of the widget, and what the tooltip says there (over a
    // legend cut short: every key of the map).
    std::optional<std::int64_t> positionAt(const QPoint &point) const;
    QString textAt(const QPoint &point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The hover line for a status bar; empty when the mouse leaves the strip.
    void hoverTextChanged(const QString &text);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void changed();
    void setHover(std::optional<std::int64_t> position);

    KeyMapData data_;
    Notation notation_ = Notation::Standard;
    QTimer repaintTimer_;
    bool pending_ = false;
    std::optional<std::int64_t> hover_;
    QString hoverText_;
};

} // namespace tunedeck

#endif

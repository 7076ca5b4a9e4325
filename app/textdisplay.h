// The window as plain texts: for running the main window's procedures without widgets.
#ifndef TUNEDECK_TEXTDISPLAY_H
#define TUNEDECK_TEXTDISPLAY_H

#include "zondisplay.h"

#include <QMap>
#include <QStringList>

namespace tunedeck {

class ZonLogic;

class TextDisplay : public ZonDisplay {
public:
    // Set once the procedures exist: a new LblKqKey text runs their key display.
    ZonLogic *logic = nullptr;

    QMap<Caption, QString> captions;
    QStringList keyList, keyPoint;
    int keyListIndex = -1, keyPointIndex = -1;

    // The user's choices, as the window starts: "All", "Normal", "4/4", "2 keys".
    bool all = true;
    int track = 0;
    bool moreSens = false;
    int meter = 2;
    KeyCountChoice keys = KeyCountChoice::Two;

    bool startButtonsEnabled = true;
    bool timer1 = false, timerCTime = false;
    int beeps = 0;

    QString operator[](Caption label) const { return captions.value(label); }

    void setCaption(Caption label, const QString &text) override;
    QString caption(Caption label) const override { return captions.value(label); }
    void clearList(ResultList list) override;
    void addToList(ResultList list, const QString &item) override;
    void selectInList(ResultList list, int index) override;
    int listCount(ResultList list) const override;
    bool allTracks() const override { return all; }
    int trackPosition() const override { return track; }
    bool moreSensitive() const override { return moreSens; }
    int meterPosition() const override { return meter; }
    KeyCountChoice keyCount() const override { return keys; }
    void enableStartButtons(bool enabled) override { startButtonsEnabled = enabled; }
    void setTimerEnabled(WindowTimer timer, bool enabled) override;
    void repaintNow(Caption) override {}
    void processPendingEvents() override {}
    void beep() override { ++beeps; }

private:
    QStringList &list(ResultList l) { return l == ResultList::CmbKeyList ? keyList : keyPoint; }
};

} // namespace tunedeck

#endif

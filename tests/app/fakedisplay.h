// A window made of plain texts, for driving the main window's procedures in tests.
#ifndef TUNEDECK_TESTS_FAKEDISPLAY_H
#define TUNEDECK_TESTS_FAKEDISPLAY_H

#include "midioutput.h"
#include "zondisplay.h"
#include "zonlogic.h"

#include <QMap>
#include <QStringList>

#include <functional>
#include <vector>

namespace tunedeck {

class FakeDisplay : public ZonDisplay {
public:
    ZonLogic *logic = nullptr;
    QMap<Caption, QString> captions;
    QStringList keyList, keyPoint;
    int keyListIndex = -1, keyPointIndex = -1;
    bool all = true;
    int track = 0;
    bool moreSens = false;
    int meter = 2;
    KeyCountChoice keys = KeyCountChoice::Two;
    bool startButtonsEnabled = true;
    bool timer1 = false, timerCTime = false;
    int beeps = 0;
    std::function<void()> onProcessEvents;

    void setCaption(Caption label, const QString &text) override
    {
        const bool changed = captions.value(label) != text;
        captions[label] = text;
        if (label == Caption::LblKqKey && changed && logic)
            logic->LblKqKey_Change();
    }
    QString caption(Caption label) const override { return captions.value(label); }
    QString operator[](Caption label) const { return captions.value(label); }

    QStringList &list(ResultList l) { return l == ResultList::CmbKeyList ? keyList : keyPoint; }
    void clearList(ResultList l) override { list(l).clear(); }
    void addToList(ResultList l, const QString &item) override { list(l).append(item); }
    void selectInList(ResultList l, int index) override
    {
        (l == ResultList::CmbKeyList ? keyListIndex : keyPointIndex) = index;
    }
    int listCount(ResultList l) const override
    {
        return int(l == ResultList::CmbKeyList ? keyList.size() : keyPoint.size());
    }
    bool allTracks() const override { return all; }
    int trackPosition() const override { return track; }
    bool moreSensitive() const override { return moreSens; }
    int meterPosition() const override { return meter; }
    KeyCountChoice keyCount() const override { return keys; }
    void enableStartButtons(bool enabled) override { startButtonsEnabled = enabled; }
    void setTimerEnabled(WindowTimer t, bool enabled) override
    {
        (t == WindowTimer::Timer1 ? timer1 : timerCTime) = enabled;
    }
    void repaintNow(Caption) override {}
    void processPendingEvents() override
    {
        if (onProcessEvents)
            onProcessEvents();
    }
    void beep() override { ++beeps; }
};

// Keeps what the procedures compose, and what they ask of the output.
class FakeOutput : public MidiOutput {
public:
    struct Event {
        qint32 time, tag;
        int status, data1, data2;
    };
    std::vector<Event> events;
    Event composing{};
    QStringList calls;

    void setDevice(int device) override { calls << QStringLiteral("device %1").arg(device); }
    void open() override
    {
        calls << QStringLiteral("open");
        events.clear();
    }
    void setEventTime(qint32 ms) override { composing.time = ms; }
    void setEventTag(qint32 tag) override { composing.tag = tag; }
    void setEventStatus(int s) override { composing.status = s; }
    void setEventData1(int d) override { composing.data1 = d; }
    void setEventData2(int d) override { composing.data2 = d; }
    void appendEvent() override { events.push_back(composing); }
    void play() override { calls << QStringLiteral("play"); }
    void stop() override { calls << QStringLiteral("stop"); }
    void close() override { calls << QStringLiteral("close"); }
};

} // namespace tunedeck

#endif

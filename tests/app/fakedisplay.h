// Test files, and an output that keeps what the procedures compose.
#ifndef TUNEDECK_TESTS_FAKEDISPLAY_H
#define TUNEDECK_TESTS_FAKEDISPLAY_H

#include "qt/binding/tonalytelibrary.h"
#include "core/fastdetect/openfile.h"
#include "midiwriter.h"
#include "core/playback/midioutput.h"
#include "core/playback/playlist.h"
#include "core/reports/resulttext.h"

#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace tunedeck {

// Test files written into a temporary folder of their own, one name each.
class TestFiles {
public:
    QString save(const midiwriter::File &f)
    {
        const QString path = dir_.filePath(QStringLiteral("f%1.mid").arg(++count_));
        f.save(path.toStdString());
        return path;
    }

private:
    QTemporaryDir dir_;
    int count_ = 0;
};

// Keeps what the procedures compose, and what they ask of the output.
class FakeOutput : public MidiOutput {
public:
    std::vector<TimedEvent> events;
    QStringList calls;

    void open() override
    {
        calls << QStringLiteral("open");
        events.clear();
    }
    void append(const TimedEvent &event) override { events.push_back(event); }
    void play() override { calls << QStringLiteral("play"); }
    void playFrom(std::int32_t ms) override { calls << QStringLiteral("play from %1").arg(ms); }
    void stop() override { calls << QStringLiteral("stop"); }
    void close() override { calls << QStringLiteral("close"); }
};

} // namespace tunedeck

#endif

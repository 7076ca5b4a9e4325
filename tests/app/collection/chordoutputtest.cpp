// The chords as tunedeck-detect writes them, from segments made by hand: the chart, the CSV
// rows and the markers of a copy, read back by our own reader.
#include "collection/chordoutput.h"
#include "collection/keysignatures.h"
#include "midi/midifile.h"
#include "midiwriter.h"

#include <QTest>

#include <tuple>

using namespace tunedeck;
using namespace tunedeck::collection;
using chords::Chord;
using chords::ChordSegment;
using chords::Quality;

namespace {

constexpr int C = 160, G = 167; // key codes of C and G major

// Segments at ticks in 4/4, 480 ticks a quarter, placed in their bars as the analysis does.
std::vector<ChordSegment> segments(const std::vector<std::tuple<std::int64_t, std::int64_t, Chord, int>> &spans)
{
    std::vector<ChordSegment> out;
    for (const auto &[tick, end, chord, key] : spans) {
        ChordSegment s{tick, end, 1, 1, 0, chord, key, 0.25};
        chords::placeInBar(s, {480, 1920, 1.0});
        out.push_back(s);
    }
    return out;
}

using Timed = std::tuple<std::uint64_t, int, std::string>; // tick, status and meta type, the event's bytes

std::vector<Timed> events(std::string_view file, int track, bool markers)
{
    MidiFile midi;
    if (!midi.loadFromBytes(file, MidiFile::Keep::Places))
        return {};
    std::vector<Timed> out;
    std::uint64_t tick = 0;
    const MidiTrack &t = midi.tracks()[std::size_t(track)];
    for (std::size_t i = 0; i < t.events.size(); ++i) {
        const MidiEvent &e = t.events[i];
        tick += e.delta;
        if ((e.status == 0xFF && e.data1 == 0x06) == markers)
            out.emplace_back(tick, e.status << 8 | e.data1, file.substr(t.places[i].begin, t.places[i].end - t.places[i].begin));
    }
    return out;
}

std::string marker(std::string_view text)
{
    return std::string("\xFF\x06", 2) + midiwriter::vlq(text.size()) + std::string(text);
}

} // namespace

class ChordOutputTest : public QObject {
    Q_OBJECT

private slots:
    void chart_data()
    {
        QTest::addColumn<std::vector<ChordSegment>>("chords");
        QTest::addColumn<QStringList>("lines");
        const Chord c{0, Quality::Major}, g7b{7, Quality::Dominant7, 4}, d7{2, Quality::Dominant7}, none{};
        // Held over the bar line, changes on and off the beat, a new key within a bar, a bar
        // of rest left out, bars past 9999.
        QTest::newRow("changes") << segments({{0, 2880, c, C}, {2880, 3120, g7b, C}, {3120, 3840, d7, G},
                                              {3840, 5760, none, G}, {6720, 7680, Chord{7, Quality::Major}, G},
                                              {19999 * 1920, 20000 * 1920, Chord{4, Quality::Minor}, G}})
                                 << QStringList{"0001: [C major] C", "0002: C G7/B@3 [G major] D7@3.5", "0004: G@3",
                                                "20000: Em"};
        // A rest held into a bar with a chord shows there; the key is named at the first chord.
        QTest::newRow("rest first") << segments({{0, 2400, none, C}, {2400, 2560, c, C}, {2560, 3840, d7, C}})
                                    << QStringList{"0002: N.C. [C major] C@2 D7@2.333"};
        QTest::newRow("none") << std::vector<ChordSegment>{} << QStringList{};
    }

    void chart()
    {
        QFETCH(std::vector<ChordSegment>, chords);
        QFETCH(QStringList, lines);
        QStringList chart;
        for (const std::string &line : chordChart(chords, 1920))
            chart << QString::fromStdString(line);
        QCOMPARE(chart, lines);
        // In the text block's column, under its label.
        QString text = QStringLiteral("  Chords            ") + (lines.isEmpty() ? QStringLiteral("-") : lines.join(QStringLiteral("\n                    ")));
        QCOMPARE(QString::fromStdString(chordChartText(chords, 1920)), text + QLatin1Char('\n'));
    }

    // One row a chord, the file's name quoted as the CSV quotes it.
    void csvRows()
    {
        QCOMPARE(chordCsvHeader(), std::string("file,bar,beat,ms,symbol,label,roman,key,keyCode,confidence\r\n"));
        const auto chords = segments({{0, 960, Chord{0, Quality::Major}, C}, {3120, 3840, Chord{7, Quality::Dominant7, 4}, C}});
        QCOMPARE(chordCsvRows("a,b.mid", chords), std::string("\"a,b.mid\",1,1,0,C,C:maj,I,C major,160,0.25\r\n"
                                                             "\"a,b.mid\",2,3.5,3120,G7/B,G:7/3,V65,C major,160,0.25\r\n"));
    }

    // Markers at the chords' starts in the first track, with key signatures when both are
    // asked for; every other event keeps its bytes and its tick.
    void markerCopy()
    {
        midiwriter::File f(1, 480);
        f.runningStatus();
        f.addTrack().tempo(500000).at(960).controlChange(0, 7, 100).controlChange(0, 10, 64).at(1920).endOfTrack();
        f.addTrack().note(0, 60, 90, 960).note(0, 62, 90, 960).meta(0x06, "old");
        const std::string source = f.bytes();
        const auto chords = segments({{0, 960, Chord{0, Quality::Major}, C}, {960, 3840, Chord{}, C}});
        MidiEdit edit = keySignatureEdit({{960, G}});
        edit += chordMarkerEdit(chords);
        const std::string longText(200, 'x');
        edit.added.push_back({3000, 0x06, longText});
        const Result<std::string> copy = editedMidi(source, edit);
        QVERIFY2(copy, copy ? "" : copy.error().reason.c_str());

        QCOMPARE(events(*copy, 0, true), (std::vector<Timed>{{0, 0xFF06, marker("C")}, {960, 0xFF06, marker("N.C.")},
                                                              {3000, 0xFF06, marker(longText)}}));
        std::vector<Timed> others = events(source, 0, false);
        others.insert(others.begin() + 3, {960, 0xFF59, std::string("\xFF\x59\x02\x01\x00", 5)});
        std::get<0>(others.back()) = 3000; // End of Track moves on to the last marker
        QCOMPARE(events(*copy, 0, false), others);
        for (bool markers : {false, true}) // the second track as it was, its own marker too
            QCOMPARE(events(*copy, 1, markers), events(source, 1, markers));
    }
};

QTEST_GUILESS_MAIN(ChordOutputTest)
#include "chordoutputtest.moc"

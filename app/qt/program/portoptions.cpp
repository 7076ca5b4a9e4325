#include "qt/program/portoptions.h"

#include "core/base/playadjust.h"
#include "core/fastdetect/openfile.h"
#include "qt/playback/renderfile.h"
#include "qt/base/qttext.h"
#include "core/reports/resulttext.h"
#include "qt/windows/portchoices.h"

#include "qt/ports/portsystem.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

namespace tunedeck {

namespace {

const QString OutputOption = QStringLiteral("output");
const QString InputOption = QStringLiteral("input");
const QString ListOption = QStringLiteral("list-ports");
const QString RenderOption = QStringLiteral("render");
const QString MaxLengthOption = QStringLiteral("max-length");
const QString TempoOption = QStringLiteral("tempo");
const QString TransposeOption = QStringLiteral("transpose");
const QString NormaliseOption = QStringLiteral("normalise");
const QString NoNormaliseOption = QStringLiteral("no-normalise");
constexpr double MaxLengthHours = 1000; // far beyond any piece; keeps the frame count in range

void printListing(const char *title, const PortListing &listing)
{
    std::printf("%s\n", title);
    for (const MidiPort &port : listing.ports)
        std::printf("  %-4s  %s\n", apiName(port.api).c_str(), port.name.c_str());
    if (listing.ports.empty())
        std::printf("  none\n");
    if (!listing.reason.empty())
        std::printf("  not listed: %s\n", listing.reason.c_str());
}

int listPortsCommand()
{
    printListing("MIDI input ports (--input):", listPorts(PortDirection::Input));
    printListing("MIDI output ports (--output):", listPorts(PortDirection::Output));
    std::fflush(stdout);
    return 0;
}

// A whole number in min..max from an option given, or its default; nothing (said on stderr) for
// anything else.
std::optional<int> numberOption(const QCommandLineParser &parser, const QString &name, int min, int max,
                                int fallback, const char *unit)
{
    if (!parser.isSet(name))
        return fallback;
    bool ok = false;
    const int n = parser.value(name).toInt(&ok);
    if (ok && n >= min && n <= max)
        return n;
    std::fprintf(stderr, "Tunedeck: --%s takes %s from %d to %d\n", qPrintable(name), unit, min, max);
    return std::nullopt;
}

int renderCommand(const QString &midiFile, const QString &path, const QString &soundFont, const QString &maxLength,
                  const PlayAdjust &adjust, bool normalise)
{
    if (midiFile.isEmpty()) {
        std::fprintf(stderr, "Tunedeck: --render needs a MIDI file to render\n");
        return 2;
    }
    std::int64_t maxMs = DefaultMaxRenderMs;
    if (!maxLength.isNull()) {
        bool ok = false;
        const double hours = maxLength.toDouble(&ok);
        // Written so that NaN fails too.
        if (!ok || !(hours > 0 && hours <= MaxLengthHours)) {
            std::fprintf(stderr, "Tunedeck: --max-length must be more than 0 and at most %g hours\n", MaxLengthHours);
            return 2;
        }
        maxMs = std::int64_t(hours * 3600000.0);
    }
    OpenFile file;
    const OpenResult opened = file.open(QFile::encodeName(midiFile).toStdString());
    if (!opened) {
        const OpenFailure &error = opened.error();
        std::string message = text::openError(error.kind);
        if (error.kind == OpenError::Reader)
            message += ": " + text::readerReason(error.reason);
        std::fprintf(stderr, "Tunedeck: %s: %s\n", qPrintable(midiFile), qPrintable(qtext(message)));
        return 1;
    }
    const RenderResult result = renderFile(file, TrackChoice{}, soundFont, path, {}, maxMs, adjust, {}, normalise);
    if (!result) {
        std::fprintf(stderr, "Tunedeck: %s\n", qPrintable(QString::fromStdString(result.error().reason)));
        return 1;
    }
    if (const int leftOut = renderLeftOut(file, TrackChoice{}, adjust); leftOut > 0)
        std::fprintf(stderr, "Tunedeck: notes left out, transposed out of the MIDI range: %d\n", leftOut);
    std::printf("%s\n", qPrintable(QDir::toNativeSeparators(path)));
    std::fflush(stdout);
    return 0;
}

} // namespace

void addPortOptions(QCommandLineParser &parser)
{
    parser.addOption({OutputOption,
                      QStringLiteral("MIDI output port to play to, by a part of its name (see --list-ports); "
                                     "\"built-in\" for the built-in synthesizer."),
                      QStringLiteral("port")});
    parser.addOption({InputOption,
                      QStringLiteral("MIDI input port \"3- Listen\" listens to, by a part of its name."),
                      QStringLiteral("port")});
    parser.addOption({ListOption, QStringLiteral("Print the MIDI input and output ports with their port system, "
                                                 "and exit.")});
    parser.addOption({RenderOption,
                      QStringLiteral("Render the MIDI file through the built-in synthesizer into a WAV file as "
                                     "\"1- Real Time Play\" plays it (all tracks), print its path and exit."),
                      QStringLiteral("file.wav")});
    parser.addOption({MaxLengthOption,
                      QStringLiteral("With --render: the longest audio to write, in hours (default 4); longer "
                                     "plays are refused before anything is written."),
                      QStringLiteral("hours")});
    parser.addOption({TempoOption,
                      QStringLiteral("With --render: play at this percentage of the file's tempo, 25 to 200 "
                                     "(default 100)."),
                      QStringLiteral("percent")});
    parser.addOption({TransposeOption,
                      QStringLiteral("With --render: transpose every note but the drums' (channel 10) by -12 to "
                                     "12 semitones (default 0); notes pushed out of the MIDI range are left "
                                     "out and counted on stderr."),
                      QStringLiteral("semitones")});
    // Scripts keep the level they had: the window's export normalises by default, --render not.
    parser.addOption({NormaliseOption,
                      QStringLiteral("With --render: raise (or lower) the whole render so that its loudest sample "
                                     "is at -1 dBFS.")});
    parser.addOption({NoNormaliseOption,
                      QStringLiteral("With --render: keep the synthesizer's own level (the default).")});
}

bool wantsPortCommand(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--list-ports") == 0 || std::strcmp(argv[i], "--render") == 0
            || std::strncmp(argv[i], "--render=", 9) == 0)
            return true;
    return false;
}

int runPortCommand(const QCommandLineParser &parser, const QString &midiFile, const QString &soundFont)
{
    if (parser.isSet(ListOption))
        return listPortsCommand();
    const std::optional<int> tempo =
        numberOption(parser, TempoOption, MinTempoPercent, MaxTempoPercent, 100, "a percentage");
    const std::optional<int> transpose =
        numberOption(parser, TransposeOption, MinTranspose, MaxTranspose, 0, "semitones");
    if (!tempo || !transpose)
        return 2;
    if (parser.isSet(NormaliseOption) && parser.isSet(NoNormaliseOption)) {
        std::fprintf(stderr, "Tunedeck: --normalise and --no-normalise contradict each other\n");
        return 2;
    }
    return renderCommand(midiFile, parser.value(RenderOption), soundFont,
                         parser.isSet(MaxLengthOption) ? parser.value(MaxLengthOption) : QString(),
                         PlayAdjust{*transpose, *tempo}, parser.isSet(NormaliseOption));
}

void applyPortOptions(const QCommandLineParser &parser, PortChoices &choices)
{
    if (parser.isSet(OutputOption) && !choices.chooseOutput(parser.value(OutputOption)))
        std::fprintf(stderr, "Tunedeck: no MIDI output port matches \"%s\" (see --list-ports)\n",
                     qPrintable(parser.value(OutputOption)));
    if (parser.isSet(InputOption) && !choices.chooseInput(parser.value(InputOption)))
        std::fprintf(stderr, "Tunedeck: no MIDI input port matches \"%s\" (see --list-ports)\n",
                     qPrintable(parser.value(InputOption)));
}

} // namespace tunedeck

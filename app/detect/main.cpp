// tunedeck-detect: "2- Fast Detect" on files from the command line, printed instead of shown.
#include "binding/tonalytelibrary.h"
#include "detectreport.h"
#include "fastdetect/meter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

using namespace tunedeck;

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

bool parseChoices(const QCommandLineParser &p, FastOptions &d, QString &error)
{
    const QString track = p.value(QStringLiteral("track")).toLower();
    if (track == QLatin1String("all")) {
        d.tracks.all = true;
    } else {
        bool ok = false;
        const int n = track.toInt(&ok);
        if (!ok || n < 1 || n > 12) {
            error = QStringLiteral("--track takes all or 1 to 12, not %1").arg(track);
            return false;
        }
        d.tracks.all = false;
        d.tracks.position = n - 1;
    }
    const QString sens = p.value(QStringLiteral("sensitivity")).toLower();
    if (sens != QLatin1String("normal") && sens != QLatin1String("more")) {
        error = QStringLiteral("--sensitivity takes normal or more, not %1").arg(sens);
        return false;
    }
    d.moreSensitive = sens == QLatin1String("more");
    const QString meter = p.value(QStringLiteral("meter"));
    d.meter = -1;
    for (std::size_t i = 0; i < Meters.size(); ++i)
        if (meter == QLatin1String(Meters[i].text.data(), qsizetype(Meters[i].text.size())))
            d.meter = int(i);
    if (d.meter < 0) {
        error = QStringLiteral("--meter takes 2/4, 3/4, 4/4 or 6/8");
        return false;
    }
    const QString keys = p.value(QStringLiteral("keys")).toLower();
    static const QMap<QString, KeyCountChoice> choices{{"1", KeyCountChoice::One},
                                                       {"2", KeyCountChoice::Two},
                                                       {"3", KeyCountChoice::Three},
                                                       {"4", KeyCountChoice::Four},
                                                       {"unknown", KeyCountChoice::NotKnown}};
    if (!choices.contains(keys)) {
        error = QStringLiteral("--keys takes 1, 2, 3, 4 or unknown");
        return false;
    }
    d.keys = choices.value(keys);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tunedeck-detect"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TUNEDECK_VERSION));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Detects the key of Standard MIDI Files as Tunedeck's \"2- Fast Detect\" does, and prints\n"
        "what the window would show: the overall key with its probability, the candidates,\n"
        "the timeline of the main keys in bars, and the status texts.\n"
        "Exit status: 0 when every file was read and reported, 1 when a file was refused or\n"
        "its run failed, 2 for a wrong option, 3 when the Tonalyte library is missing or wrong."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {{"t", "track"}, "Track to analyse: all, or 1 to 12 as the window's \"Track 01\" to \"Track 12\" "
                         "(the file's tracks 2 to 13). Default: all (drums on channel 10 ignored).", "track", "all"},
        {{"s", "sensitivity"}, "normal or more. Default: normal.", "sensitivity", "normal"},
        {{"m", "meter"}, "Meter for bar numbers: 2/4, 3/4, 4/4 or 6/8. Default: 4/4.", "meter", "4/4"},
        {{"k", "keys"}, "Main keys in the timeline: 1, 2, 3, 4 or unknown (\"I don't known\"). Default: 2.",
         "keys", "2"},
        {"json", "Print the results as JSON (an array, one object per file)."},
    });
    p.addPositionalArgument(QStringLiteral("files"), QStringLiteral("MIDI files (format 1)."), QStringLiteral("file..."));
    p.process(app);

    FastOptions choices;
    QString error;
    if (!parseChoices(p, choices, error)) {
        print(stderr, QStringLiteral("tunedeck-detect: %1\n").arg(error));
        return 2;
    }
    const QStringList files = p.positionalArguments();
    if (files.isEmpty()) {
        print(stderr, QStringLiteral("tunedeck-detect: no file given (see --help)\n"));
        return 2;
    }

    TonalyteLibrary library;
    qint32 version = 0;
    if (!library.checkVersion(version)) {
        print(stderr, versionMessage() + QLatin1Char('\n'));
        return 3;
    }

    const bool json = p.isSet(QStringLiteral("json"));
    QJsonArray results;
    int failures = 0;
    for (const QString &file : files) {
        DetectResult r;
        r.file = file;
        OpenFile midi;
        r.openError = midi.open(QFile::encodeName(file).toStdString());
        if (r.openError != OpenError::None) {
            r.readerReason = midi.readerReason();
            r.run.outcome = FastOutcome::FileRefused;
        } else {
            library.KeyStopTimer(); // as the window ends any play first
            r.run = detectKey(library, midi, choices);
        }
        if (!succeeded(r)) {
            ++failures;
            QString message = QStringLiteral("tunedeck-detect: %1: %2").arg(file, detectTexts(r).error);
            if (!r.readerReason.empty())
                message += QStringLiteral(" (%1)").arg(QString::fromStdString(r.readerReason));
            print(stderr, message + QLatin1Char('\n'));
        }
        if (json)
            results.append(formatJson(r));
        else
            print(stdout, formatText(r) + QLatin1Char('\n'));
    }
    if (json)
        print(stdout, QString::fromUtf8(QJsonDocument(results).toJson(QJsonDocument::Indented)));
    return failures ? 1 : 0;
}

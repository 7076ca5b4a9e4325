#include "detectoptions.h"

#include "core/base/playadjust.h"
#include "qt/collection/filenames.h"
#include "core/batch/midicopies.h"
#include "core/fastdetect/meter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <algorithm>

#include <filesystem>
#include <thread>

namespace tunedeck {

namespace {

bool isFolder(const QString &argument)
{
#ifdef _WIN32
    return QFileInfo(argument).isDir();
#else
    std::error_code ec;
    return std::filesystem::is_directory(argumentBytes(argument), ec);
#endif
}

const char *const Description =
    "Detects the key of Standard MIDI Files as Tunedeck's \"2- Fast Detect\" does, and prints\n"
    "what the window would show: the overall key with its probability, the candidates,\n"
    "the timeline of the main keys in bars, and the status texts. Folders are searched for\n"
    ".mid, .midi and .kar files; many files are read by several worker processes at once.\n"
    "Exit status: 0 when every file was read and reported, 1 when a file was refused or\n"
    "its run failed, 2 for a wrong option, 3 when the Tonalyte library is missing or wrong.";

bool parseChoices(const QCommandLineParser &p, FastOptions &d, QString &error)
{
    const QString track = p.value(QStringLiteral("track")).toLower();
    if (track == QLatin1String("all")) {
        d.tracks.all = true;
    } else {
        bool ok = false;
        const std::optional<int> position = trackPosition(track.toInt(&ok), TrackCount::Command);
        if (!ok || !position) {
            error = QStringLiteral("--track takes all or 1 to 12, not %1").arg(track);
            return false;
        }
        d.tracks.all = false;
        d.tracks.position = *position;
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
    const auto count = std::find_if(KeyCounts.begin(), KeyCounts.end(), [&](const KeyCountWord &k) {
        return keys == QLatin1String(k.word.data(), qsizetype(k.word.size()));
    });
    if (count == KeyCounts.end()) {
        error = QStringLiteral("--keys takes 1, 2, 3, 4 or unknown");
        return false;
    }
    d.keys = count->choice;
    if (p.isSet(QStringLiteral("transpose"))) {
        bool ok = false;
        d.adjust.transpose = p.value(QStringLiteral("transpose")).toInt(&ok);
        if (!ok || !validTranspose(d.adjust.transpose)) {
            error = QStringLiteral("--transpose takes semitones from %1 to %2").arg(MinTranspose).arg(MaxTranspose);
            return false;
        }
    }
    return true;
}

bool parseCollection(const QCommandLineParser &p, DetectRun &run, QString &error)
{
    const auto isSet = [&p](const char *name) { return p.isSet(QLatin1String(name)); };
    if (isSet("format")) {
        const QString word = p.value(QStringLiteral("format")).toLower();
        const auto format = collection::parseOutputFormat(word.toStdString());
        if (!format) {
            error = QStringLiteral("--format takes text, json, jsonl or csv, not %1").arg(word);
            return false;
        }
        run.settings.format = *format;
    }
    if (isSet("json"))
        run.settings.format = collection::OutputFormat::Json;
    if (isSet("notation")) {
        const auto notation = parseNotation(p.value(QStringLiteral("notation")).toLower().toStdString());
        if (!notation) {
            error = QStringLiteral("--notation takes standard, camelot, openkey or german");
            return false;
        }
        run.settings.notation = *notation;
        run.settings.notationFields = *notation != Notation::Standard;
    }
    run.jobs = int(std::max(1u, std::thread::hardware_concurrency()));
    if (isSet("jobs")) {
        bool ok = false;
        run.jobs = p.value(QStringLiteral("jobs")).toInt(&ok);
        if (!ok || run.jobs < 1 || run.jobs > 256) {
            error = QStringLiteral("--jobs takes a number of worker processes, 1 to 256");
            return false;
        }
    }
    if (isSet("timeout")) {
        bool ok = false;
        const double seconds = p.value(QStringLiteral("timeout")).toDouble(&ok);
        // Written so that NaN fails too.
        if (!ok || !(seconds >= 0.001 && seconds <= 86400)) {
            error = QStringLiteral("--timeout takes seconds from 0.001 to 86400");
            return false;
        }
        run.timeout = std::chrono::milliseconds(qint64(seconds * 1000));
    }
    // A copy carries the keys and chords of the file as written; transposed ones would lie in it.
    for (const char *copies : {"write-key-signatures", "write-chords"})
        if (isSet(copies) && isSet("transpose") && run.settings.options.adjust.transpose != 0) {
            error = QStringLiteral("--%1 cannot be used with --transpose").arg(QLatin1String(copies));
            return false;
        }
    if (isSet("write-key-signatures"))
        run.settings.keySignatureDir = argumentBytes(p.value(QStringLiteral("write-key-signatures")));
    if (isSet("write-chords")) {
        run.settings.chordMarkerDir = argumentBytes(p.value(QStringLiteral("write-chords")));
        // One folder for both: one copy carries both, rather than one copy replacing the other.
        if (run.settings.keySignatureDir && batch::sameFolder(*run.settings.keySignatureDir, *run.settings.chordMarkerDir))
            run.settings.chordMarkerDir = run.settings.keySignatureDir;
    }
    run.settings.chords = isSet("chords");
    run.settings.keyNetwork = isSet("key-network");
    run.summary = isSet("summary");
    run.settings.splitFormat0 = isSet("split-format0");
    run.settings.barLimit = isSet("all-bars") ? BarLimit::Every : BarLimit::Window;
    run.settings.transposeFields = isSet("transpose");
    run.collection = false;
    for (const char *option :
         {"format", "notation", "jobs", "timeout", "write-key-signatures", "write-chords", "summary", "split-format0"})
        run.collection = run.collection || isSet(option);
    for (const QString &path : run.paths)
        run.collection = run.collection || isFolder(path);
    return true;
}

bool parseAnalysis(const QCommandLineParser &p, DetectRun &run, QString &error)
{
    profile::AnalysisOptions &a = run.settings.analysis;
    if (p.isSet(QStringLiteral("profile"))) {
        const auto profile = profile::profileByName(p.value(QStringLiteral("profile")).toLower().toStdString());
        if (!profile) {
            QStringList names;
            for (profile::Profile known : profile::allProfiles())
                names << QLatin1String(profile::profileName(known));
            error = QStringLiteral("--profile takes %1").arg(names.join(QStringLiteral(", ")));
            return false;
        }
        a.profile = *profile;
    }
    if (p.isSet(QStringLiteral("stay"))) {
        bool ok = false;
        a.stay = p.value(QStringLiteral("stay")).toDouble(&ok);
        // A stay chosen by hand holds for the local keys too, in place of the rate chosen per piece.
        a.local.changeRates.clear();
        // Written so that NaN fails too.
        if (!ok || !(a.stay > 0 && a.stay < 1)) {
            error = QStringLiteral("--stay takes a probability above 0 and below 1, such as 0.995");
            return false;
        }
    }
    run.settings.profileLines = p.isSet(QStringLiteral("second-key")) || p.isSet(QStringLiteral("profile"))
                                || p.isSet(QStringLiteral("stay"));
    if (p.isSet(QStringLiteral("map"))) {
        run.mapPath = p.value(QStringLiteral("map"));
        const QString suffix = QFileInfo(run.mapPath).suffix().toLower();
        if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
            error = QStringLiteral("--map writes a .png or .svg file");
            return false;
        }
        run.settings.keyMap = true;
    }
    return true;
}

} // namespace

bool parseDetectOptions(const QStringList &arguments, DetectRun &run, QString &error)
{
    QCommandLineParser p;
    p.setApplicationDescription(QLatin1String(Description));
    p.addHelpOption();
    p.addVersionOption();
    QCommandLineOption worker(QStringLiteral("worker"));
    worker.setFlags(QCommandLineOption::HiddenFromHelp);
    p.addOption(worker);
    p.addOptions({
        {{"t", "track"}, "Track to analyse: all, or 1 to 12 as the window's \"Track 01\" to \"Track 12\" "
                         "(the file's tracks 2 to 13). Default: all (drums on channel 10 ignored).", "track", "all"},
        {{"s", "sensitivity"}, "normal or more. Default: normal.", "sensitivity", "normal"},
        {{"m", "meter"}, "Meter for bar numbers: 2/4, 3/4, 4/4 or 6/8. Default: 4/4.", "meter", "4/4"},
        {{"k", "keys"}, "Main keys in the timeline: 1, 2, 3, 4 or unknown (\"I don't known\"). Default: 2.",
         "keys", "2"},
        {"json", "Print the results as JSON (an array, one object per file); the same as --format json."},
        {"format", "text, json, jsonl (one JSON object a line, written as each file is done) or csv "
                   "(one row a file). Default: text.", "format"},
        {"notation", "Also name keys as standard, camelot, openkey or german (H for B, lower-case minor) "
                     "in the JSON and CSV.", "notation"},
        {{"j", "jobs"}, "Worker processes for many files. Default: the number of cores.", "n"},
        {"timeout", "Seconds one file may take before its worker is stopped. Default: 60.", "seconds"},
        {"write-key-signatures", "Write a copy of each file read under <dir> (same relative path) whose "
                                 "tempo track has a key signature at each timeline point.", "dir"},
        {"write-chords", "Write a copy of each file read under <dir> (same relative path) whose tempo track "
                         "has a marker at each chord's start, named by its symbol (\"G7/B\", \"N.C.\" for none); "
                         "one copy carries both when --write-key-signatures names the same folder.", "dir"},
        {"transpose", "Transpose every note but the drums' (channel 10) by -12 to 12 semitones before both "
                      "analyses; notes pushed out of 1 to 127 are left out, counted in the JSON as "
                      "\"transposeLeftOut\". Default: 0.", "semitones"},
        {"all-bars", "List the timeline past bar 9999, with more digits (\"10000: C Major\"), where the "
                     "window stops with \"Timing overflow 3\"."},
        {"summary", "After the files: how many are in each key, and the share of major and minor."},
        {"split-format0", "Read a format 0 file (one track holding every channel) as format 1: its meta "
                          "events first, then one track per channel, lowest channel first."},
        {"second-key", "Also print the profile analysis (key profiles and a hidden Markov model): its "
                       "key, confidence and local keys. The JSON always has it as \"profileAnalysis\"."},
        {"profile", "The profile analysis' key profile: fitted (default), krumhansl-kessler, "
                    "temperley-kostka-payne, aarden-essen, bellman-budge, sapp or albrecht-shanahan.", "name"},
        {"stay", "The profile analysis' probability that the key stays from one window to the next. "
                 "Default: 0.995.", "p"},
        {"chords", "Also print the chords, beat by beat, in the profile analysis' local keys: in the text a "
                   "chart, a line a bar (\"0002: C G7/B@3 [G major] D7@4.5\": the beat a chord starts on after "
                   "the bar's first, a new local key in brackets); with --format csv a row a chord (file, bar, "
                   "beat, ms, symbol, label, roman, key, keyCode, confidence) in place of a row a file. The JSON "
                   "always has them as \"chords\"."},
        {"key-network", "The profile analysis' local keys, their confidences and the chords in them from "
                        "the key and harmony network, which reads the beats' notes with the present local keys "
                        "and chords (docs/PROFILE-ANALYSIS.md). The key and its candidates stay."},
        {"live-trace", "Print what a play of the file shows, second by second, as one JSON object a line: "
                       "{\"second\", \"tick\", \"tonalyte\" (Tonalyte's key code then), \"profile\" (the live "
                       "profile analysis' key code, 0 for none), \"confidence\", \"sure\", \"local\" (the key "
                       "code a play shows there: the whole-file analysis' local key), \"localConfidence\"}. "
                       "Takes --track, --sensitivity, --transpose, --meter, --profile, --stay and --key-network.", "file"},
        {"from", "With --live-trace: the play started by a seek to this second, its keys rebuilt from the "
                 "notes before it; from there the lines are those of a play from the start.", "seconds"},
        {"map", "Write the key map picture (Tonalyte's timeline and the local keys, by bar) as PNG or SVG; "
                "with several files, numbered: map-1.png, map-2.png, ...", "file"},
    });
    p.addPositionalArgument(QStringLiteral("files"), QStringLiteral("MIDI files (format 1), or folders."),
                            QStringLiteral("file|folder..."));
    // A wrong option is a usage error, status 2: process() would exit with 1 by itself.
    if (!p.parse(arguments)) {
        error = p.errorText() + QStringLiteral(" (see --help)\n") + p.helpText().section(QLatin1Char('\n'), 0, 0);
        return false;
    }
    if (p.isSet(QStringLiteral("help")) || p.isSet(QStringLiteral("help-all")))
        p.showHelp(); // exits with 0
    if (p.isSet(QStringLiteral("version")))
        p.showVersion();

    run.worker = p.isSet(worker);
    run.paths = p.positionalArguments();
    if (!parseChoices(p, run.settings.options, error) || !parseCollection(p, run, error)
        || !parseAnalysis(p, run, error))
        return false;
    for (const char *option :
         {"track", "sensitivity", "meter", "keys", "transpose", "notation", "write-key-signatures", "write-chords",
          "profile", "stay"})
        if (p.isSet(QLatin1String(option)))
            run.optionArguments << QStringLiteral("--") + QLatin1String(option) + QLatin1Char('=')
                                       + p.value(QLatin1String(option));
    for (const char *flag : {"second-key", "split-format0", "all-bars", "chords", "key-network"})
        if (p.isSet(QLatin1String(flag)))
            run.optionArguments << QStringLiteral("--") + QLatin1String(flag);
    if (p.isSet(QStringLiteral("live-trace")))
        run.liveTracePath = p.value(QStringLiteral("live-trace"));
    if (p.isSet(QStringLiteral("from"))) {
        bool ok = false;
        run.liveTraceFrom = p.value(QStringLiteral("from")).toLongLong(&ok);
        if (!ok || run.liveTraceFrom < 0 || run.liveTracePath.isEmpty()) {
            error = QStringLiteral("--from takes whole seconds from 0, with --live-trace");
            return false;
        }
    }
    if (run.paths.isEmpty() && !run.worker && run.liveTracePath.isEmpty()) {
        error = QStringLiteral("no file given (see --help)");
        return false;
    }
    return true;
}

QStringList commandArguments(int argc, char **argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    return QCoreApplication::arguments(); // read from the UTF-16 command line
#else
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << collection::nameText(argv[i]);
    return arguments;
#endif
}

std::string argumentBytes(const QString &argument)
{
#ifdef _WIN32
    return QFile::encodeName(argument).toStdString();
#else
    return collection::nameBytes(argument);
#endif
}

std::vector<std::string> workerArguments(const DetectRun &run)
{
    std::vector<std::string> args{"--worker",
                                  "--format=" + std::string(collection::outputFormatName(run.settings.format))};
    for (const QString &a : run.optionArguments)
        args.push_back(a.toStdString());
    return args;
}

} // namespace tunedeck

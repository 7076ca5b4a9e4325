#include "detectoptions.h"

#include "core/analysis/choicetable.h"
#include "core/batch/midicopies.h"
#include "qt/base/qttext.h"
#include "qt/collection/filenames.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <optional>
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

QCommandLineOption choiceOption(const ChoiceRow &row)
{
    QStringList names;
    if (row.shortOption)
        names << QString(QLatin1Char(row.shortOption));
    names << qtext(row.command);
    const QString help = qtext(commandHelp(row));
    return row.valueName.empty() ? QCommandLineOption(names, help) : QCommandLineOption(names, help, qtext(row.valueName));
}

bool named(const QList<QCommandLineOption> &options, const std::string &name)
{
    return std::any_of(options.begin(), options.end(),
                       [&](const QCommandLineOption &o) { return o.names().contains(qtext(name)); });
}

// The command's own options with the table's choices among them, in --help's order; a
// choice not placed here comes last.
QList<QCommandLineOption> options()
{
    const auto choice = [](const char *name) { return choiceOption(*commandChoice(name)); };
    QList<QCommandLineOption> list{
        choice("track"), choice("sensitivity"), choice("meter"), choice("keys"),
        {"json", "Print the results as JSON (an array, one object per file); the same as --format json."},
        {"format", "text, json, jsonl (one JSON object a line, written as each file is done), csv "
                   "(one row a file) or rntxt (the chords' Roman numerals in their local keys as RomanText, "
                   "one document a file). Default: text.", "format"},
        choice("notation"),
        {{"j", "jobs"}, "Worker processes for many files. Default: the number of cores.", "n"},
        {"timeout", "Seconds one file may take before its worker is stopped. Default: 60.", "seconds"},
        {"write-key-signatures", "Write a copy of each file read under <dir> (same relative path) whose "
                                 "tempo track has a key signature at each timeline point.", "dir"},
        {"write-chords", "Write a copy of each file read under <dir> (same relative path) whose tempo track "
                         "has a marker at each chord's start, named by its symbol (\"G7/B\", \"N.C.\" for none); "
                         "one copy carries both when --write-key-signatures names the same folder.", "dir"},
        {"write-musicxml", "Write each score read as <dir>/<its name>.musicxml (same relative folder) with its "
                           "chord symbols above its top staff and Roman numerals below its lowest; a MIDI "
                           "file gets a reason instead.", "dir"},
        {"write-rntxt", "Write the chords' Roman numerals in their local keys as RomanText for each file read: "
                        "<dir>/<name without its extension>.rntxt (same relative folder), a score's measures as "
                        "printed, a MIDI file's bars of --meter.", "dir"},
        choice("transpose"), choice("all-bars"),
        {"summary", "After the files: how many are in each key, and the share of major and minor."},
        choice("split-format0"),
        {"second-key", "Also print the profile analysis (key profiles and a hidden Markov model): its "
                       "key, confidence and local keys. The JSON always has it as \"profileAnalysis\"."},
        choice("profile"), choice("stay"),
        {"chords", "Also print the chords, beat by beat, in the profile analysis' local keys: in the text a "
                   "chart, a line a bar (\"0002: C G7/B@3 [G major] D7@4.5\": the beat a chord starts on after "
                   "the bar's first, a new local key in brackets); with --format csv a row a chord (file, bar, "
                   "beat, ms, symbol, label, roman, key, keyCode, confidence) in place of a row a file. The JSON "
                   "always has them as \"chords\"."},
        {"roman", "With --chords, each chord of the text's chart with its Roman numeral in its local key: "
                  "\"0001: [C major] C(I) F(IV)@3\"."},
        choice("key-network"),
        {"live-trace", "Print what a play of the file shows, second by second, as one JSON object a line: "
                       "{\"second\", \"tick\", \"tonalyte\" (Tonalyte's key code then), \"profile\" (the live "
                       "profile analysis' key code, 0 for none), \"confidence\", \"sure\", \"local\" (the key "
                       "code a play shows there: the whole-file analysis' local key), \"localConfidence\"}. "
                       "Takes --track, --sensitivity, --transpose, --meter, --profile, --stay and --key-network.", "file"},
        {"from", "With --live-trace: the play started by a seek to this second, its keys rebuilt from the "
                 "notes before it; from there the lines are those of a play from the start.", "seconds"},
        {"map", "Write the key map picture (Tonalyte's timeline and the local keys, by bar) as PNG or SVG; "
                "with several files, numbered: map-1.png, map-2.png, ...", "file"},
    };
    for (const ChoiceRow &row : choiceTable())
        if (!row.command.empty() && !named(list, row.command))
            list << choiceOption(row);
    return list;
}

// A choice's value as the command spells it (given in lower case); nothing when it is wrong.
std::optional<ChoiceValue> commandValue(const ChoiceRow &row, const QString &given)
{
    bool ok = false;
    switch (row.kind) {
    case ChoiceKind::Switch:
        if (row.words.empty())
            return 1;
        [[fallthrough]];
    case ChoiceKind::Words: return wordValue(row, given.toStdString());
    case ChoiceKind::Track: {
        if (given == QLatin1String("all"))
            return AllTracks;
        const std::optional<int> position = trackPosition(given.toInt(&ok), TrackCount::Command);
        return ok && position ? std::optional<ChoiceValue>(*position) : std::nullopt;
    }
    case ChoiceKind::Whole: {
        const ChoiceValue value = given.toInt(&ok);
        return ok && inRange(row, value) ? std::optional(value) : std::nullopt;
    }
    case ChoiceKind::Real: {
        const ChoiceValue value = given.toDouble(&ok);
        return ok && inRange(row, value) ? std::optional(value) : std::nullopt;
    }
    case ChoiceKind::Channels: break;
    }
    return std::nullopt;
}

// The table's choices that were given, each checked.
bool readChoices(const QCommandLineParser &p, AnalysisChoices &choices, QString &error)
{
    for (const ChoiceRow &row : choiceTable()) {
        const QString name = qtext(row.command);
        if (row.command.empty() || !p.isSet(name))
            continue;
        const QString given = row.valueName.empty() ? QString() : p.value(name).toLower();
        const std::optional<ChoiceValue> value = commandValue(row, given);
        if (!value) {
            error = qtext(commandError(row, given.toStdString()));
            return false;
        }
        row.set(choices, *value);
    }
    return true;
}

bool readOutput(const QCommandLineParser &p, DetectRun &run, QString &error)
{
    const auto isSet = [&p](const char *name) { return p.isSet(QLatin1String(name)); };
    if (isSet("format")) {
        const QString word = p.value(QStringLiteral("format")).toLower();
        const auto format = collection::parseOutputFormat(word.toStdString());
        if (!format) {
            error = QStringLiteral("--format takes text, json, jsonl, csv or rntxt, not %1").arg(word);
            return false;
        }
        run.settings.format = *format;
    }
    if (isSet("json"))
        run.settings.format = collection::OutputFormat::Json;
    run.settings.chords = isSet("chords");
    run.settings.roman = isSet("roman");
    if (run.settings.roman && !run.settings.chords) {
        error = QStringLiteral("--roman shows the numerals in the chords' chart: give --chords too");
        return false;
    }
    run.summary = isSet("summary");
    run.settings.transposeFields = isSet("transpose");
    run.settings.profileLines = isSet("second-key") || isSet("profile") || isSet("stay");
    if (isSet("map")) {
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

bool readCopies(const QCommandLineParser &p, DetectRun &run, QString &error)
{
    const auto isSet = [&p](const char *name) { return p.isSet(QLatin1String(name)); };
    // A copy carries the keys and chords of the file as written; transposed ones would lie in it.
    for (const char *copies : {"write-key-signatures", "write-chords", "write-rntxt"})
        if (isSet(copies) && isSet("transpose") && run.settings.choices.fast.adjust.transpose != 0) {
            error = QStringLiteral("--%1 cannot be used with --transpose").arg(QLatin1String(copies));
            return false;
        }
    // The score as written: its chords where its written notes are.
    const AnalysisChoices &choices = run.settings.choices;
    if (isSet("write-musicxml") && (choices.unfoldRepeats || choices.fast.adjust.transpose != 0)) {
        error = QStringLiteral("--write-musicxml cannot be used with --%1: the analysis is written into the score "
                               "as written")
                    .arg(QLatin1String(choices.unfoldRepeats ? "unfold-repeats" : "transpose"));
        return false;
    }
    if (isSet("write-musicxml"))
        run.settings.scoreDir = argumentBytes(p.value(QStringLiteral("write-musicxml")));
    if (isSet("write-rntxt"))
        run.settings.romanTextDir = argumentBytes(p.value(QStringLiteral("write-rntxt")));
    if (isSet("write-key-signatures"))
        run.settings.keySignatureDir = argumentBytes(p.value(QStringLiteral("write-key-signatures")));
    if (isSet("write-chords")) {
        run.settings.chordMarkerDir = argumentBytes(p.value(QStringLiteral("write-chords")));
        // One folder for both: one copy carries both, rather than one copy replacing the other.
        if (run.settings.keySignatureDir && batch::sameFolder(*run.settings.keySignatureDir, *run.settings.chordMarkerDir))
            run.settings.chordMarkerDir = run.settings.keySignatureDir;
    }
    return true;
}

// Many files: the workers and how long each file may take, and whether the run ends with a
// summary line.
bool readCollection(const QCommandLineParser &p, DetectRun &run, QString &error)
{
    const auto isSet = [&p](const char *name) { return p.isSet(QLatin1String(name)); };
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
    run.collection = false;
    for (const char *option :
         {"format", "notation", "jobs", "timeout", "write-key-signatures", "write-chords", "write-musicxml", "write-rntxt", "summary",
          "split-format0"})
        run.collection = run.collection || isSet(option);
    for (const QString &path : run.paths)
        run.collection = run.collection || isFolder(path);
    return true;
}

bool readLiveTrace(const QCommandLineParser &p, DetectRun &run, QString &error)
{
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
    return true;
}

// What a worker is handed: the analysis options as they were given.
QStringList analysisArguments(const QCommandLineParser &p)
{
    QStringList arguments;
    const auto add = [&](const QString &name, bool withValue) {
        if (p.isSet(name))
            arguments << QStringLiteral("--") + name + (withValue ? QLatin1Char('=') + p.value(name) : QString());
    };
    for (const ChoiceRow &row : choiceTable())
        if (!row.command.empty())
            add(qtext(row.command), !row.valueName.empty());
    for (const char *option : {"write-key-signatures", "write-chords", "write-musicxml", "write-rntxt"})
        add(QLatin1String(option), true);
    for (const char *flag : {"second-key", "chords", "roman"})
        add(QLatin1String(flag), false);
    return arguments;
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
    p.addOptions(options());
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
    if (!readChoices(p, run.settings.choices, error) || !readOutput(p, run, error) || !readCopies(p, run, error)
        || !readCollection(p, run, error) || !readLiveTrace(p, run, error))
        return false;
    run.optionArguments = analysisArguments(p);
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

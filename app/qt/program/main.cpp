// Tunedeck: plays a Standard MIDI File and detects its musical key.
#include "qt/windows/frmzon.h"
#include "qt/windows/settings.h"
#include "qt/playback/playlistoutput.h"
#include "qt/binding/tonalytelibrary.h"
#include "qt/program/portoptions.h"
#include "qt/windows/portchoices.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <cstring>

using namespace tunedeck;

namespace {

struct Options {
    QString midiFile;
    SoundOptions sound;
    bool soundFontGiven = false;
    QString screenshotDir;
    bool resetSettings = false;
};

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Plays a Standard MIDI File and detects its musical key."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("MIDI file to select, as if browsed."),
                                 QStringLiteral("[file.mid]"));
    parser.addOption({QStringLiteral("silent"),
                      QStringLiteral("No audio output (also TUNEDECK_SILENT=1); key detection still runs.")});
    parser.addOption({QStringLiteral("soundfont"),
                      QStringLiteral("SoundFont to play with (also TUNEDECK_SOUNDFONT)."), QStringLiteral("file.sf2")});
    parser.addOption({QStringLiteral("reset-settings"),
                      QStringLiteral("Forget the remembered choices (tracks, sensitivity, meter, keys, folder, "
                                     "recent files, soundfont, window size) and start with the defaults.")});
    parser.addOption({QStringLiteral("screenshot"),
                      QStringLiteral("Developer: save the main window and the About window as PNG files into "
                                     "<dir> and quit (with a file, after a fast detection of it)."),
                      QStringLiteral("dir")});
    addPortOptions(parser);
}

bool wantsInfoOnly(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char *info : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], info) == 0)
                return true;
    }
    return false;
}

// Without a display the platform plugin would abort with a message few users understand.
bool hasDisplay(int argc, char **argv)
{
#if (defined(Q_OS_LINUX) || defined(Q_OS_BSD4)) && !defined(Q_OS_DARWIN)
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    return false;
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
}

Options readOptions(const QCommandLineParser &parser)
{
    Options options;
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty())
        options.midiFile = files.first();
    options.sound.silent = parser.isSet(QStringLiteral("silent")) || qgetenv("TUNEDECK_SILENT") == "1";
    options.sound.soundFont = parser.isSet(QStringLiteral("soundfont"))
        ? parser.value(QStringLiteral("soundfont"))
        : qEnvironmentVariable("TUNEDECK_SOUNDFONT");
    options.soundFontGiven = parser.isSet(QStringLiteral("soundfont"));
    options.screenshotDir = parser.value(QStringLiteral("screenshot"));
    options.resetSettings = parser.isSet(QStringLiteral("reset-settings"));
    return options;
}

bool savePicture(QWidget *window, const QString &path)
{
    if (window->grab().save(path, "PNG")) {
        std::printf("%s\n", qPrintable(QDir::toNativeSeparators(path)));
        return true;
    }
    std::fprintf(stderr, "Tunedeck: cannot write %s\n", qPrintable(path));
    return false;
}

int takeScreenshots(FrmZon &window, const QString &dir, bool detect)
{
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "Tunedeck: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    if (detect)
        window.findChild<QPushButton *>(QStringLiteral("CmdFastDetect"))->click();
    QCoreApplication::processEvents();
    const QDir target(dir);
    bool ok = savePicture(&window, target.filePath(QStringLiteral("tunedeck-main.png")));
    window.showAbout();
    QCoreApplication::processEvents();
    ok = savePicture(window.frmAbout(), target.filePath(QStringLiteral("tunedeck-about.png"))) && ok;
    window.showReadMe();
    QCoreApplication::processEvents();
    ok = savePicture(window.frmReadMe(), target.filePath(QStringLiteral("tunedeck-readme.png"))) && ok;
    std::fflush(stdout);
    return ok ? 0 : 1;
}

// Help and version: no display needed.
int showInfo(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);
    return 0;
}

// The port list and rendering: no display needed either.
int runPorts(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);
    const Options options = readOptions(parser);
    return runPortCommand(parser, options.midiFile, options.sound.soundFont);
}

// The settings as the options leave them: forgotten on --reset-settings, --soundfont
// remembered, and the soundfont remembered used when none is given.
void settleSettings(QSettings &settings, Options &options)
{
    if (options.resetSettings)
        forgetChoices(settings);
    // Only --soundfont is remembered: the environment variable is the caller's own setting.
    if (options.soundFontGiven)
        writeSoundChoices(settings, {QFileInfo(options.sound.soundFont).absoluteFilePath()});
    if (options.sound.soundFont.isEmpty()) {
        const QString stored = readSoundChoices(settings).soundFont;
        if (QFileInfo(stored).isFile())
            options.sound.soundFont = stored;
    }
}

// The window with its choices restored and the file given selected, run until it closes;
// its choices remembered then.
int runWindow(const QCommandLineParser &parser, Options options)
{
    // A screenshot run shows the defaults and leaves the user's choices alone.
    const bool remember = options.screenshotDir.isEmpty();
    QSettings settings;
    if (remember)
        settleSettings(settings, options);

    TonalyteLibrary library;
    PlayListOutput output(options.sound);
    FrmZon window(library, &output);
    // Nobody is there to answer a message box on a screenshot run.
    if (!window.Form_Initialize(options.screenshotDir.isEmpty()))
        return 1;
    if (remember)
        window.applyChoices(readWindowChoices(settings));
    if (remember)
        window.portChoices().restore(readPortSettings(settings));
    applyPortOptions(parser, window.portChoices());
    if (!options.midiFile.isEmpty()) {
        if (!QFileInfo(options.midiFile).isFile())
            std::fprintf(stderr, "Tunedeck: %s is not a file\n", qPrintable(options.midiFile));
        window.selectMidiFile(options.midiFile);
    }
    window.show();

    if (!options.screenshotDir.isEmpty()) {
        // Once the window has been shown and laid out.
        QTimer::singleShot(300, &window, [&] {
            QCoreApplication::exit(takeScreenshots(window, options.screenshotDir, !options.midiFile.isEmpty()));
        });
    }
    const int status = QApplication::exec();
    if (remember) {
        writeWindowChoices(settings, window.choices());
        writePortSettings(settings, window.portChoices().settings());
    }
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Tunedeck"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tunedeck.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Tunedeck"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TUNEDECK_VERSION));

    if (wantsInfoOnly(argc, argv))
        return showInfo(argc, argv);
    if (wantsPortCommand(argc, argv))
        return runPorts(argc, argv);
    if (!hasDisplay(argc, argv)) {
        std::fprintf(stderr,
                     "Tunedeck needs a graphical display, but neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
                     "Run it on a desktop, or under xvfb-run for a virtual one:\n"
                     "    xvfb-run -a tunedeck --silent\n");
        return 2;
    }

    QApplication app(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);
    return runWindow(parser, readOptions(parser));
}

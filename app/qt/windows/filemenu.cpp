#include "qt/windows/filemenu.h"

#include "core/base/choices.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

namespace tunedeck {

namespace {

// "&1 name.mid\t~/Music": the name first, as users look for it; the folder tells apart
// files of the same name.
QString recentText(int number, const QString &path)
{
    QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    const QString home = QDir::toNativeSeparators(QDir::homePath());
    if (folder == home || folder.startsWith(home + QDir::separator()))
        folder = QLatin1Char('~') + folder.mid(home.size());
    QString name = QFileInfo(path).fileName();
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    folder.replace(QLatin1Char('&'), QLatin1String("&&"));
    // After a tab the folder stands where shortcuts do, aligned on the right.
    return QStringLiteral("&%1 %2\t%3").arg(number % 10).arg(name, folder);
}

} // namespace

FileMenu buildFileMenu(QMenuBar *bar)
{
    FileMenu m;
    auto *menu = m.menu = new QMenu(QStringLiteral("&File"), bar);
    menu->setObjectName(QStringLiteral("mnuFile"));
    // After the bar's own entries, which keep their places.
    bar->addMenu(menu);

    m.mnuOpen = menu->addAction(QStringLiteral("&Open…"));
    m.mnuOpen->setObjectName(QStringLiteral("mnuOpen"));
    m.mnuOpen->setShortcut(QKeySequence::Open);
    m.mnuOpen->setStatusTip(QStringLiteral("Choose a MIDI file, as Browse does"));

    m.mnuRecent = menu->addMenu(QStringLiteral("Open &Recent"));
    m.mnuRecent->setObjectName(QStringLiteral("mnuRecent"));
    m.mnuRecent->setToolTipsVisible(true);

    m.mnuSaveKeyMap = menu->addAction(QStringLiteral("Export &key map…"));
    m.mnuSaveKeyMap->setObjectName(QStringLiteral("mnuSaveKeyMap"));
    m.mnuSaveKeyMap->setStatusTip(QStringLiteral("Save the key map as a PNG picture or an SVG drawing"));
    m.mnuExportAudio = menu->addAction(QStringLiteral("Export &audio…"));
    m.mnuExportAudio->setObjectName(QStringLiteral("mnuExportAudio"));
    m.mnuExportAudio->setStatusTip(
        QStringLiteral("Render the chosen tracks through the built-in synthesizer into a WAV file"));
    m.mnuExportChords = menu->addAction(QStringLiteral("Export &chords…"));
    m.mnuExportChords->setObjectName(QStringLiteral("mnuExportChords"));
    m.mnuExportChords->setStatusTip(
        QStringLiteral("Save the chords listed as a CSV file, a row a chord, as tunedeck-detect --chords writes it"));
    m.mnuExportScore = menu->addAction(QStringLiteral("Export &score with analysis…"));
    m.mnuExportScore->setObjectName(QStringLiteral("mnuExportScore"));
    m.mnuExportScore->setStatusTip(QStringLiteral(
        "Save the score of the last fast detection as MusicXML with its chord symbols and Roman numerals"));
    m.mnuExportRomanText = menu->addAction(QStringLiteral("Export analysis (&RomanText)…"));
    m.mnuExportRomanText->setObjectName(QStringLiteral("mnuExportRomanText"));
    m.mnuExportRomanText->setStatusTip(
        QStringLiteral("Save the last fast detection's chords as Roman numerals in their local keys (RomanText)"));
    m.exportPlace = menu->addSeparator();
    m.exportPlace->setObjectName(QStringLiteral("exportPlace"));

    m.mnuReadFormat0 = menu->addAction(QStringLiteral("Read format &0 files (one track per channel)"));
    m.mnuReadFormat0->setObjectName(QStringLiteral("mnuReadFormat0"));
    m.mnuReadFormat0->setCheckable(true);
    m.mnuReadFormat0->setStatusTip(
        QStringLiteral("Read a format 0 file (every channel in one track) as one track per channel"));
    m.mnuPlayRepeats = menu->addAction(QStringLiteral("Play &repeats"));
    m.mnuPlayRepeats->setObjectName(QStringLiteral("mnuPlayRepeats"));
    m.mnuPlayRepeats->setCheckable(true);
    m.mnuPlayRepeats->setStatusTip(
        QStringLiteral("Play a score's repeat signs and endings as marked, for the play and the analysis alike"));

    menu->addSeparator();
    m.mnuQuit = menu->addAction(QStringLiteral("&Quit"));
    m.mnuQuit->setObjectName(QStringLiteral("mnuQuit"));
    m.mnuQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m.mnuQuit->setMenuRole(QAction::QuitRole);
    return m;
}

void fillRecentMenu(QMenu *menu, const std::vector<RecentFile> &files, const RecentMenuHandlers &handlers)
{
    menu->clear();
    bool anyMissing = false;
    int number = 0;
    for (const RecentFile &file : files) {
        QAction *entry = menu->addAction(recentText(++number, file.path));
        const QString where = QDir::toNativeSeparators(file.path);
        entry->setToolTip(file.present ? where : where + QStringLiteral(" (no longer there)"));
        entry->setStatusTip(entry->toolTip());
        entry->setEnabled(file.present);
        anyMissing = anyMissing || !file.present;
        const QString path = file.path;
        QObject::connect(entry, &QAction::triggered, menu, [open = handlers.open, path] { open(path); });
    }
    if (!files.empty())
        menu->addSeparator();
    QAction *removeMissing = menu->addAction(QStringLiteral("Remove &Missing Files"), handlers.removeMissing);
    removeMissing->setObjectName(QStringLiteral("mnuRemoveMissing"));
    removeMissing->setEnabled(anyMissing);
    QAction *clear = menu->addAction(QStringLiteral("&Clear List"), handlers.clear);
    clear->setObjectName(QStringLiteral("mnuClearRecent"));
    clear->setEnabled(!files.empty());
}

QString openFileFilter()
{
    return QStringLiteral("MIDI files and scores (%1 %2);;MIDI files (%1);;Scores (%2);;All files (*)")
        .arg(QString::fromStdString(midiNamePatterns()), QString::fromStdString(scoreNamePatterns()));
}

} // namespace tunedeck

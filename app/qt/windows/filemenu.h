// The main window's File menu, after the bar's About and ReadMe: Open, Open Recent, the
// exports, the format 0 option and Quit. The window wires the actions.
#ifndef TUNEDECK_QT_WINDOWS_FILEMENU_H
#define TUNEDECK_QT_WINDOWS_FILEMENU_H

#include "qt/windows/recentfiles.h"

#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace tunedeck {

struct FileMenu {
    QMenu *menu = nullptr;
    QAction *mnuOpen = nullptr;
    QMenu *mnuRecent = nullptr;
    QAction *mnuSaveKeyMap = nullptr;  // "Export key map…"
    QAction *mnuExportAudio = nullptr; // "Export audio…"
    QAction *mnuExportChords = nullptr; // "Export chords…": the command's chord CSV
    QAction *mnuExportScore = nullptr; // "Export score with analysis…"
    QAction *mnuExportRomanText = nullptr; // "Export analysis (RomanText)…"
    // Further exports go just before this separator.
    QAction *exportPlace = nullptr;
    QAction *mnuReadFormat0 = nullptr;
    QAction *mnuPlayRepeats = nullptr; // a score's repeats unfolded
    QAction *mnuQuit = nullptr;
};
// Added after the bar's entries.
FileMenu buildFileMenu(QMenuBar *bar);

// The open dialog's filters: MIDI files and scores together, each alone, all files.
QString openFileFilter();

struct RecentMenuHandlers {
    std::function<void(const QString &path)> open;
    std::function<void()> removeMissing;
    std::function<void()> clear;
};
// Lists the files, newest first with 1..9 and 0 as mnemonics; a file no longer there is
// shown disabled, and "Remove Missing Files" forgets such files.
void fillRecentMenu(QMenu *menu, const std::vector<RecentFile> &files, const RecentMenuHandlers &handlers);

} // namespace tunedeck

#endif

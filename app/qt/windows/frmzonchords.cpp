// The main window's chord list: a dock tabbed with the mix, and its export as the command's CSV.
#include "qt/windows/frmzon.h"

#include "qt/windows/chordlistpanel.h"
#include "qt/windows/exportdialogs.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QStatusBar>

namespace tunedeck {

void FrmZon::buildChordDock()
{
    // Tabbed with the mix, so that the roll keeps its height on a small screen.
    chordDock_ = new QDockWidget(tr("Chords"), this);
    chordDock_->setObjectName(QStringLiteral("ChordDock"));
    chordDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    chordList_ = new ChordListPanel(chordDock_);
    chordList_->follow(*runner_, [this] { return runChoices(); });
    chordDock_->setWidget(chordList_);
    tabifyDockWidget(mixDock_, chordDock_);
    mixDock_->raise();
    connect(file_.mnuExportChords, &QAction::triggered, this, &FrmZon::exportChords);
}

void FrmZon::exportChords()
{
    if (!chordList_->hasChords()) {
        statusBar()->showMessage(QStringLiteral("No chords yet: run a fast detection or play a file first."), 8000);
        return;
    }
    const QFileInfo source(midiFilePath_);
    const QString suggested = source.dir().filePath(source.completeBaseName() + QStringLiteral(".chords.csv"));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Chords"), suggested,
                                                      QStringLiteral("CSV file (*.csv)"));
    if (path.isEmpty())
        return;
    const QString failed = saveTextFile(path, chordList_->csv(midiFilePath_.toStdString()));
    statusBar()->showMessage(failed.isEmpty() ? QStringLiteral("Chords saved to %1").arg(path)
                                              : QStringLiteral("Chords not saved: %1").arg(failed),
                             8000);
}

} // namespace tunedeck

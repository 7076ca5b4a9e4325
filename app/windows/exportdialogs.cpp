#include "windows/exportdialogs.h"

#include "keymap/keymapexport.h"
#include "keymap/keymapwidget.h"
#include "playback/renderfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStatusBar>

#include <algorithm>

namespace tunedeck {

namespace {
constexpr int MessageMs = 15000;
} // namespace

void exportKeyMap(QWidget *parent, const KeyMapWidget &map, QStatusBar *status)
{
    if (map.data().rows.empty()) {
        status->showMessage(QStringLiteral("No key map yet: run a fast detection or play a file first."), 8000);
        return;
    }
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Save Key Map"), QString(),
                                                      QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)"));
    if (path.isEmpty())
        return;
    const QSize size(std::max(map.width(), 900), std::max(map.height(), 160));
    if (const Result<> saved = saveKeyMap(map.data(), path, size))
        status->showMessage(QStringLiteral("Key map saved to %1").arg(path), 8000);
    else
        status->showMessage(
            QStringLiteral("Key map not saved: %1").arg(QString::fromStdString(saved.error().reason)), MessageMs);
}

QString exportAudio(QWidget *parent, const OpenFile &file, const QString &midiPath, const TrackChoice &tracks,
                    const QString &soundFont, QStatusBar *status, const PlayAdjust &adjust,
                    const ChannelMask &channels)
{
    // Past the limit the user may still want it (a long concert): asked, never silently.
    std::int64_t maxMs = DefaultMaxRenderMs;
    if (const std::int64_t lengthMs = renderLengthMs(file, tracks, adjust, channels); lengthMs > maxMs) {
        const auto answer = QMessageBox::question(
            parent, QStringLiteral("Export Audio"),
            QStringLiteral("The audio would last %1 hours, longer than the limit of %2 hours.\n"
                           "Export it anyway?")
                .arg(QString::number(double(lengthMs) / 3600000.0, 'f', 1),
                     QString::number(double(maxMs) / 3600000.0, 'f', 1)),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return {};
        maxMs = lengthMs;
    }
    const QFileInfo source(midiPath);
    const QString suggested = source.dir().filePath(source.completeBaseName() + QStringLiteral(".wav"));
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Export Audio"), suggested,
                                                QStringLiteral("WAV audio (*.wav *.WAV);;All files (*)"));
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".wav");

    QProgressDialog progress(QStringLiteral("Rendering %1 ...").arg(QFileInfo(path).fileName()),
                             QStringLiteral("Cancel"), 0, 1000, parent);
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.setWindowTitle(QStringLiteral("Export Audio"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    const RenderResult result = renderFile(file, tracks, soundFont, path, [&progress](double done) {
        progress.setValue(int(done * 1000));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    }, maxMs, adjust, channels);
    progress.reset();
    if (result) {
        status->showMessage(QStringLiteral("Audio exported to ") + QDir::toNativeSeparators(path), MessageMs);
        return {};
    }
    const QString error = QString::fromStdString(result.error().reason);
    status->showMessage(QStringLiteral("Export audio: ") + error, MessageMs);
    return error;
}

} // namespace tunedeck

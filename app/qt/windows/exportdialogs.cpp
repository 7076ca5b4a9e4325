#include "qt/windows/exportdialogs.h"

#include "core/annotate/annotatedscore.h"
#include "core/batch/midicopies.h"
#include "qt/keymap/keymapexport.h"
#include "qt/keymap/keymaplayout.h"
#include "qt/keymap/keymapwidget.h"
#include "qt/playback/wavrender.h"
#include "qt/run/audioexport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSaveFile>
#include <QStatusBar>

#include <algorithm>
#include <cmath>

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
    // Tall enough for every key of the legend, which the window may cut short.
    const int width = std::max(map.width(), 900);
    const QSize size(width, std::max({map.height(), 160, int(std::ceil(keyMapHeight(map.data(), width, QFontMetricsF(map.font()))))}));
    if (const Result<> saved = saveKeyMap(map.data(), path, size))
        status->showMessage(QStringLiteral("Key map saved to %1").arg(path), 8000);
    else
        status->showMessage(
            QStringLiteral("Key map not saved: %1").arg(QString::fromStdString(saved.error().reason)), MessageMs);
}

QString saveTextFile(const QString &path, const std::string &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size()))
        return file.errorString();
    return file.commit() ? QString() : file.errorString();
}

void exportScoreWithAnalysis(QWidget *parent, const FileAnalysis *analysis, const QString &scorePath,
                             const AnalysisChoices &choices, QStatusBar *status)
{
    if (!analysis || !analysis->spelling) {
        status->showMessage(QStringLiteral("No score analysed yet: run a fast detection of a MusicXML score first."), 8000);
        return;
    }
    const QFileInfo source(scorePath);
    const QString suggested = source.dir().filePath(source.completeBaseName() + QStringLiteral(".musicxml"));
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Export Score with Analysis"), suggested,
                                                      QStringLiteral("MusicXML score (*.musicxml)"));
    if (path.isEmpty())
        return;
    const auto failed = [&](const QString &why) {
        status->showMessage(QStringLiteral("Score not saved: %1").arg(why), MessageMs);
    };
    if (QFileInfo(path).canonicalFilePath() == source.canonicalFilePath())
        return failed(QStringLiteral("it would replace the score it was made from"));
    QFile in(scorePath);
    if (!in.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("cannot read %1: %2").arg(scorePath, in.errorString()));
    const QByteArray bytes = in.readAll();
    const Result<std::string> written =
        annotate::annotatedScore(std::string_view(bytes.constData(), std::size_t(bytes.size())), *analysis, choices);
    if (!written)
        return failed(QString::fromStdString(written.error().reason));
    if (const Result<> saved = batch::writeFileReplacing(QFile::encodeName(path).toStdString(), *written); !saved)
        return failed(QString::fromStdString(saved.error().reason));
    status->showMessage(QStringLiteral("Score with analysis saved to %1").arg(path), 8000);
}

void exportRomanText(QWidget *parent, const std::string &document, const QString &name, QStatusBar *status)
{
    if (document.empty()) {
        status->showMessage(QStringLiteral("No analysis yet: run a fast detection first."), 8000);
        return;
    }
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Export Analysis"),
                                                      name + QStringLiteral(".rntxt"),
                                                      QStringLiteral("RomanText (*.rntxt);;All files (*)"));
    if (path.isEmpty())
        return;
    if (const QString failed = saveTextFile(path, document); failed.isEmpty())
        status->showMessage(QStringLiteral("Analysis saved to %1").arg(path), 8000);
    else
        status->showMessage(QStringLiteral("Analysis not saved: %1").arg(failed), MessageMs);
}

std::optional<AudioTarget> askAudioTarget(QWidget *parent, std::int64_t lengthMs, const QString &midiPath,
                                          bool normalise)
{
    // Past the limit the user may still want it (a long concert): asked, never silently.
    std::int64_t maxMs = DefaultMaxRenderMs;
    if (lengthMs > maxMs) {
        const auto answer = QMessageBox::question(
            parent, QStringLiteral("Export Audio"),
            QStringLiteral("The audio would last %1 hours, longer than the limit of %2 hours.\n"
                           "Export it anyway?")
                .arg(QString::number(double(lengthMs) / 3600000.0, 'f', 1),
                     QString::number(double(maxMs) / 3600000.0, 'f', 1)),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return std::nullopt;
        maxMs = lengthMs;
    }
    const QFileInfo source(midiPath);
    const QString suggested = source.dir().filePath(source.completeBaseName() + QStringLiteral(".wav"));
    // Qt's own dialog, which can hold the choice beside the file name.
    QFileDialog dialog(parent, QStringLiteral("Export Audio"), suggested,
                       QStringLiteral("WAV audio (*.wav *.WAV);;All files (*)"));
    dialog.setObjectName(QStringLiteral("ExportAudioDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(suggested);
    auto *level = new QCheckBox(QStringLiteral("Normalise (peak at \u22121 dBFS)"), &dialog);
    level->setObjectName(QStringLiteral("NormaliseAudio"));
    level->setToolTip(QStringLiteral("Raise (or lower) the whole render so that its loudest moment is just below "
                                     "full scale; off keeps the synthesizer's own, quieter level"));
    level->setChecked(normalise);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(level, grid->rowCount(), 0, 1, grid->columnCount());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QString path = dialog.selectedFiles().constFirst();
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".wav");
    return AudioTarget{path, maxMs, level->isChecked()};
}

void followExport(QWidget *parent, AudioExport &audio, const QString &wavPath, QStatusBar *status, QLabel *errorLabel)
{
    auto *progress = new QProgressDialog(QStringLiteral("Rendering %1 ...").arg(QFileInfo(wavPath).fileName()),
                                         QStringLiteral("Cancel"), 0, 1000, parent);
    progress->setObjectName(QStringLiteral("ExportProgress"));
    progress->setWindowTitle(QStringLiteral("Export Audio"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(300);
    // The connections end with the dialog.
    QObject::connect(&audio, &AudioExport::progress, progress, [progress](double done) {
        progress->setValue(int(done * 1000));
    });
    QObject::connect(progress, &QProgressDialog::canceled, &audio, &AudioExport::cancel);
    QObject::connect(&audio, &AudioExport::finished, progress,
                     [progress, status, errorLabel](const QString &path, const QString &error) {
                         progress->reset();
                         progress->deleteLater();
                         if (error.isEmpty()) {
                             status->showMessage(QStringLiteral("Audio exported to ") + QDir::toNativeSeparators(path),
                                                 MessageMs);
                             return;
                         }
                         status->showMessage(QStringLiteral("Export audio: ") + error, MessageMs);
                         errorLabel->setText(error);
                     });
}

} // namespace tunedeck

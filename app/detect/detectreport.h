// What "2- Fast Detect" leaves in the window, gathered for printing.
#ifndef TUNEDECK_DETECTREPORT_H
#define TUNEDECK_DETECTREPORT_H

#include "textdisplay.h"
#include "zonlogic.h"

#include <QJsonObject>
#include <QString>

namespace tunedeck {

struct DetectResult {
    QString file;
    FastOutcome outcome = FastOutcome::NotRun;
    qint32 keyCode = 0;
    QString reason; // the MIDI file reader's own words when it refused the file
    TextDisplay display;
};

// True when the file was read and the run ended in its reports (or with "No Data").
bool succeeded(const DetectResult &r);

QString outcomeName(FastOutcome outcome);
QString formatText(const DetectResult &r);
QJsonObject formatJson(const DetectResult &r);

} // namespace tunedeck

#endif

// tunedeck-detect's command line.
#ifndef TUNEDECK_QT_DETECT_DETECTOPTIONS_H
#define TUNEDECK_QT_DETECT_DETECTOPTIONS_H

#include "detectfile.h"

#include <QStringList>

#include <chrono>
#include <string>
#include <vector>

namespace tunedeck {

struct DetectRun {
    DetectSettings settings;
    int jobs = 1;
    std::chrono::milliseconds timeout{60000};
    bool summary = false;
    // A folder or a collection option was given: the run ends with a summary line.
    bool collection = false;
    bool worker = false;
    QString mapPath;  // --map: the key map picture, written here
    QString liveTracePath; // --live-trace: this file, second by second as a play shows it
    qint64 liveTraceFrom = 0; // --from: the second a seek started that play at
    QStringList paths;
    QStringList optionArguments; // the analysis options as given, for the workers
};

// The arguments left once the application took its own, as text that keeps every byte of
// a name that is not UTF-8 (collection/filenames.h); Qt's own list would lose them.
QStringList commandArguments(int argc, char **argv);
// An argument's bytes, as the system names a file with it.
std::string argumentBytes(const QString &argument);

// False with the reason for a wrong option (exit status 2). --help and --version end the
// program here.
bool parseDetectOptions(const QStringList &arguments, DetectRun &run, QString &error);

std::vector<std::string> workerArguments(const DetectRun &run);

} // namespace tunedeck

#endif

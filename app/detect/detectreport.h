// What tunedeck-detect prints of one file: the texts the window would show after
// "2- Fast Detect", composed from the run's typed results.
#ifndef TUNEDECK_DETECTREPORT_H
#define TUNEDECK_DETECTREPORT_H

#include "fastdetect/fastdetection.h"
#include "fastdetect/openfile.h"
#include "profile/profileanalysis.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace tunedeck {

struct DetectResult {
    QString file; // bytes that are not UTF-8 kept as collection::nameText keeps them
    OpenError openError = OpenError::None;
    std::string readerReason; // the MIDI file reader's own words when it refused the file
    FastDetection run;        // outcome FileRefused when the file was refused
    // The profile analysis of the gathered events, when they were gathered.
    std::optional<profile::ProfileAnalysis> profile;
};

// A refused file: its kind, and the reader's own words when the reader refused it.
void refuse(DetectResult &r, const OpenFailure &failure);

// Runs the profile analysis on what the run gathered.
void analyseProfile(DetectResult &r, int ticksPerQuarter, const profile::AnalysisOptions &options);

// The texts the window shows in its labels and lists once the run is over, in a window
// that showed nothing before (runTexts, flattened).
struct DetectTexts {
    QString kType, keyStr, signat, kqKey, haStr, keyTiming, mess, cTime, error;
    QStringList keyList, keyPoint;
};
DetectTexts detectTexts(const DetectResult &r);

// True when the file was read and the run ended in its reports (or with "No Data").
bool succeeded(const DetectResult &r);

QString outcomeName(FastOutcome outcome);
// The file's texts, as detectTexts made them once. withProfile: two more lines for the
// profile analysis.
QString formatText(const DetectResult &r, const DetectTexts &texts, bool withProfile = false);
QJsonObject formatJson(const DetectResult &r, const DetectTexts &texts);

} // namespace tunedeck

#endif

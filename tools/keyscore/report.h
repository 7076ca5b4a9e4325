// The score tables tunedeck-keyscore prints.
#ifndef TUNEDECK_KEYSCORE_REPORT_H
#define TUNEDECK_KEYSCORE_REPORT_H

#include "keyscore/scoring.h"

#include <string>
#include <vector>

namespace tunedeck::keyscore {

void printHeader(const Summary &s);
// A setting's label on one line, its figures per set on the next.
void printRow(const std::string &label, const Summary &s);
// Accuracy against the confidence shown, and how the ambiguity ratios split the files.
void printReliability(const std::vector<FileResult> &results);

} // namespace tunedeck::keyscore

#endif

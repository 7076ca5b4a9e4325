// What the status bar says when a file is refused: the file and a reason the user can act
// on. The labels keep their short texts ("File Open Error", "Format not supported").
#ifndef TUNEDECK_QT_WINDOWS_OPENPROBLEM_H
#define TUNEDECK_QT_WINDOWS_OPENPROBLEM_H

#include "core/fastdetect/openfile.h"

#include <QString>

namespace tunedeck {

// "Cannot open /music/x.mid: No such file or directory", "x.mid is a format 0 file: turn
// on File > Read format 0 files", ... of the failure `file` gave.
QString openProblem(const QString &path, const OpenFailure &failure, const OpenFile &file);
// Said of an accepted file when it was read in an unusual way; empty otherwise.
QString openNote(const QString &path, const OpenFile &file);

} // namespace tunedeck

#endif

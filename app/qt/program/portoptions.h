// tunedeck's command-line options for MIDI ports and audio: --output and --input choose in
// the window; --list-ports and --render run without it, and without a display.
#ifndef TUNEDECK_QT_PROGRAM_PORTOPTIONS_H
#define TUNEDECK_QT_PROGRAM_PORTOPTIONS_H

#include <QString>

class QCommandLineParser;

namespace tunedeck {

class PortChoices;

void addPortOptions(QCommandLineParser &parser);

// --list-ports or --render is among the arguments.
bool wantsPortCommand(int argc, char **argv);

// Prints the ports, or renders midiFile; the exit status.
int runPortCommand(const QCommandLineParser &parser, const QString &midiFile, const QString &soundFont);

// --output and --input chosen in the window; a name that matches no port is said on stderr
// and leaves the choice as it was.
void applyPortOptions(const QCommandLineParser &parser, PortChoices &choices);

} // namespace tunedeck

#endif

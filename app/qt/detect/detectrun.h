// tunedeck-detect: "2- Fast Detect" on files and folders from the command line, printed
// instead of shown; whole collections run in worker processes, one engine each.
#ifndef TUNEDECK_QT_DETECT_DETECTRUN_H
#define TUNEDECK_QT_DETECT_DETECTRUN_H

#include <functional>
#include <string_view>

namespace tunedeck {

// Called in a worker with each job before it is run. The program passes none; a test
// build makes chosen files crash or hang their worker through it.
using JobHook = std::function<void(std::string_view job)>;

// The whole command: its arguments in, its exit status out.
int runDetectCommand(int argc, char *argv[], const JobHook &beforeJob = {});

} // namespace tunedeck

#endif

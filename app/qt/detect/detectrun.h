// tunedeck-detect: "2- Fast Detect" on files and folders from the command line, printed
// instead of shown; whole collections run in worker processes, one engine each.
#ifndef TUNEDECK_QT_DETECT_DETECTRUN_H
#define TUNEDECK_QT_DETECT_DETECTRUN_H

#include "core/batch/midicopies.h"

#include <functional>
#include <string_view>

namespace tunedeck {

// Called in a worker with a job. The program passes none; a test build makes chosen files
// crash or hang their worker through them.
using JobHook = std::function<void(std::string_view job)>;

struct DetectHooks {
    JobHook beforeJob;              // before the job is run
    JobHook beforeAnswer;           // once its answer is made, before it is sent
    batch::BlockWriter writeCopy{}; // stands in for the write of a copy's bytes (BlockWriter)
};

// The whole command: its arguments in, its exit status out.
int runDetectCommand(int argc, char *argv[], const DetectHooks &hooks = {});

} // namespace tunedeck

#endif

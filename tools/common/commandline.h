// The tools' command lines, read with CLI11: --help prints to stdout and exits 0, a mistake
// is said on stderr and exits 2.
#ifndef TUNEDECK_TOOLS_COMMANDLINE_H
#define TUNEDECK_TOOLS_COMMANDLINE_H

#include <CLI/CLI.hpp>

#include <optional>

namespace tunedeck::tools {

// Help set wide enough for the option names of both tools.
void prepareHelp(CLI::App &app);

// A count of folds: 2 or more (the help says so in words).
CLI::Validator foldCount();

// Nothing when the tool goes on; else the code to exit with.
std::optional<int> parseCommandLine(CLI::App &app, int argc, char **argv);

} // namespace tunedeck::tools

#endif

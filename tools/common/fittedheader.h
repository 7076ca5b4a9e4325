// The fitted tables' headers (app/core/profile/fitted*.h) as the tools write and check them.
#ifndef TUNEDECK_TOOLS_FITTEDHEADER_H
#define TUNEDECK_TOOLS_FITTEDHEADER_H

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace tunedeck::tools {

// --check-tables exits with this when there is no corpus to fit on (CTest's skip code).
constexpr int NoCorpusToCheck = 77;

// A number as a header prints it, with `decimals` places.
std::string fixed(double value, int decimals);
// The value the compiler reads from that text: a table fitted with another in force takes
// it as it will be built, not as it was fitted.
double asWritten(double value, int decimals);

struct FittedHeader {
    std::string file; // its name in app/core/profile
    std::string text;
};

// Writes text to path through a temporary file in the same folder renamed over it, so a
// failed or interrupted run leaves the old file whole. False, with why in error, on failure.
bool writeAtomically(const std::filesystem::path &path, const std::string &text, std::string &error);

// Every header written into folder; the exit code, each failure said on err.
int writeHeaders(const std::filesystem::path &folder, const std::vector<FittedHeader> &headers, std::ostream &out,
                 std::ostream &err);
// Every header compared with the one in folder, line by line, the lines that differ said on
// out; 0 when all are the same, 1 when not.
int checkHeaders(const std::filesystem::path &folder, const std::vector<FittedHeader> &headers, std::ostream &out);

} // namespace tunedeck::tools

#endif

// The line protocol between a collection run and its worker processes, and the worker's
// side of it. A request is "<id> <job>\n" on the worker's stdin, the answer
// "<id> <payload>\n" on its stdout, one answer per request in request order; job and
// payload are escaped so that neither holds a line end.
#ifndef TUNEDECK_QT_COLLECTION_WORKERPROTOCOL_H
#define TUNEDECK_QT_COLLECTION_WORKERPROTOCOL_H

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tunedeck::collection {

// Backslash, line ends and NUL as \\, \n, \r, \0.
std::string escapeLine(std::string_view text);
std::string unescapeLine(std::string_view line);

std::string protocolLine(unsigned long long id, std::string_view text);
struct ProtocolLine {
    unsigned long long id = 0;
    std::string text;
};
// One line without its line end; nothing when it does not start with an id and a space.
std::optional<ProtocolLine> parseProtocolLine(std::string_view line);

// Fields packed into one payload, each as its length in decimal, a colon and its bytes:
// nothing in a field needs escaping or parsing beyond its length.
class FieldWriter {
public:
    FieldWriter &add(std::string_view field);
    FieldWriter &add(long long number);
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

class FieldReader {
public:
    explicit FieldReader(std::string_view payload) : rest_(payload) {}
    // The next field; nothing when the payload ends there or is not made of fields.
    std::optional<std::string_view> next();
    std::optional<long long> number();
    bool atEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

// The worker's loop: answers every request on `in` with handle(job) on `out`, flushed at
// once so that a crash on the next job costs only that job. Returns 0 at the end of `in`.
using JobHandler = std::function<std::string(std::string_view job)>;
int runWorkerLoop(const JobHandler &handle, std::FILE *in = stdin, std::FILE *out = stdout);

} // namespace tunedeck::collection

#endif

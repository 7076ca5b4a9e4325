#include "collection/workerprotocol.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tunedeck::collection {

namespace {

// One line from `in` without its line end; false at the end of input.
bool readLine(std::FILE *in, std::string &line)
{
    line.clear();
    char buf[4096];
    while (std::fgets(buf, sizeof buf, in)) {
        line += buf;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return true;
        }
    }
    return !line.empty();
}

} // namespace

std::string escapeLine(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\0': out += "\\0"; break;
        default: out += c;
        }
    }
    return out;
}

std::string unescapeLine(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            out += line[i];
            continue;
        }
        switch (line[++i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case '0': out += '\0'; break;
        default: out += line[i];
        }
    }
    return out;
}

std::string protocolLine(unsigned long long id, std::string_view text)
{
    return std::to_string(id) + ' ' + escapeLine(text) + '\n';
}

std::optional<ProtocolLine> parseProtocolLine(std::string_view line)
{
    ProtocolLine p;
    std::size_t i = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        p.id = p.id * 10 + unsigned(line[i] - '0');
    if (i == 0 || i == line.size() || line[i] != ' ')
        return std::nullopt;
    p.text = unescapeLine(line.substr(i + 1));
    return p;
}

int runWorkerLoop(const JobHandler &handle, std::FILE *in, std::FILE *out)
{
#ifdef _WIN32
    // Line ends must pass as they are.
    _setmode(_fileno(in), _O_BINARY);
    _setmode(_fileno(out), _O_BINARY);
#endif
    std::string line;
    while (readLine(in, line)) {
        const std::optional<ProtocolLine> request = parseProtocolLine(line);
        if (!request)
            continue;
        const std::string answer = protocolLine(request->id, handle(request->text));
        std::fwrite(answer.data(), 1, answer.size(), out);
        std::fflush(out);
    }
    return 0;
}

} // namespace tunedeck::collection

#include "qt/collection/workerprotocol.h"

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
    // Copied a run at a time: long answers hold few bytes to escape.
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 8);
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char *code = c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\0' ? "\\0" : nullptr;
        if (!code)
            continue;
        out.append(text.substr(from, i - from));
        out.append(code, 2);
        from = i + 1;
    }
    out.append(text.substr(from));
    return out;
}

std::string unescapeLine(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    std::size_t from = 0;
    for (std::size_t i; (i = line.find('\\', from)) != std::string_view::npos && i + 1 < line.size(); from = i + 2) {
        out.append(line.substr(from, i - from));
        const char c = line[i + 1];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == '0' ? '\0' : c;
    }
    out.append(line.substr(from));
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

FieldWriter &FieldWriter::add(std::string_view field)
{
    text_ += std::to_string(field.size());
    text_ += ':';
    text_ += field;
    return *this;
}

FieldWriter &FieldWriter::add(long long number)
{
    return add(std::to_string(number));
}

std::optional<std::string_view> FieldReader::next()
{
    std::size_t size = 0, i = 0;
    for (; i < rest_.size() && i < 12 && rest_[i] >= '0' && rest_[i] <= '9'; ++i)
        size = size * 10 + std::size_t(rest_[i] - '0');
    if (i == 0 || i == rest_.size() || rest_[i] != ':' || rest_.size() - i - 1 < size)
        return std::nullopt;
    const std::string_view field = rest_.substr(i + 1, size);
    rest_.remove_prefix(i + 1 + size);
    return field;
}

std::optional<long long> FieldReader::number()
{
    const std::optional<std::string_view> field = next();
    if (!field || field->empty() || field->size() > 18)
        return std::nullopt;
    long long value = 0;
    std::size_t i = (*field)[0] == '-' ? 1 : 0;
    if (i == field->size())
        return std::nullopt;
    for (; i < field->size(); ++i) {
        if ((*field)[i] < '0' || (*field)[i] > '9')
            return std::nullopt;
        value = value * 10 + ((*field)[i] - '0');
    }
    return (*field)[0] == '-' ? -value : value;
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

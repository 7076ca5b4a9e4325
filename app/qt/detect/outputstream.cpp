#include "outputstream.h"

#include "qt/collection/filenames.h"

#include <cerrno>
#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tunedeck {

namespace {

bool isTerminal(FILE *stream)
{
#if defined(_WIN32)
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

void appendHex(std::string &out, const char *prefix, unsigned value)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%s%02x", prefix, value);
    out += buf;
}

} // namespace

std::string escapeControls(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool lineEnd = c == '\n' || c == '\t' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
        const std::size_t length = c < 0x80 ? 1 : batch::utf8Length(text.substr(i));
        if (((c < 0x20 || c == 0x7f) && !lineEnd) || length == 0) {
            // A byte of a name that is not UTF-8 too: some terminals take 0x9b for CSI.
            appendHex(out, "\\x", c);
        } else if (c == 0xc2 && static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
            appendHex(out, "\\u00", static_cast<unsigned char>(text[++i]));
        } else {
            out.append(text.substr(i, length));
            i += length - 1;
        }
    }
    return out;
}

OutputStream::OutputStream(FILE *stream) : stream_(stream), terminal_(isTerminal(stream)) {}

bool OutputStream::write(std::string_view bytes)
{
    if (error_)
        return false;
    std::string escaped;
    if (terminal_) {
        escaped = escapeControls(bytes);
        bytes = escaped;
    }
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size())
        error_ = errno ? errno : EIO;
    return !error_;
}

bool OutputStream::flush()
{
    if (error_)
        return false;
    errno = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_))
        error_ = errno ? errno : EIO;
    return !error_;
}

} // namespace tunedeck

#include "core/batch/progress.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tunedeck::batch {

bool isTerminal(std::FILE *stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

std::string progressLine(std::size_t done, std::size_t total, double seconds, int barWidth)
{
    const double share = total ? double(done) / double(total) : 1.0;
    const int filled = int(share * barWidth + 0.5);
    std::string line(1, '[');
    line.append(std::size_t(filled), '#').append(std::size_t(barWidth - filled), '-').append("] ");
    char buf[128];
    std::snprintf(buf, sizeof buf, "%zu/%zu files", done, total);
    line += buf;
    if (done > 0 && seconds > 0) {
        const double rate = double(done) / seconds;
        const double left = double(total - done) / rate;
        std::snprintf(buf, sizeof buf, "  %.0f files/s  %.0f s left", rate, left);
        line += buf;
    }
    return line;
}

ProgressBar::ProgressBar(std::size_t total, std::FILE *stream)
    : ProgressBar(total, stream, isTerminal(stream))
{
}

ProgressBar::ProgressBar(std::size_t total, std::FILE *stream, bool enabled)
    : total_(total), stream_(stream), enabled_(enabled)
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update(std::size_t done)
{
    if (!enabled_)
        return;
    const Clock::time_point now = Clock::now();
    if (done < total_ && drawn_ && now - lastDraw_ < std::chrono::milliseconds(100))
        return;
    lastDraw_ = now;
    drawn_ = true;
    // "\x1b[K" clears what a longer line left behind.
    std::fprintf(stream_, "\r%s\x1b[K", progressLine(done, total_, seconds()).c_str());
    std::fflush(stream_);
}

void ProgressBar::finish()
{
    if (!drawn_)
        return;
    std::fputs("\r\x1b[K", stream_);
    std::fflush(stream_);
    drawn_ = false;
}

double ProgressBar::seconds() const
{
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

} // namespace tunedeck::batch

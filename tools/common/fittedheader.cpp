#include "common/fittedheader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <ostream>
#include <random>
#include <sstream>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace tunedeck::tools {

namespace {

std::vector<std::string> linesOf(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The lines of one not in the other, by their longest common subsequence (headers are short).
void printDifference(const std::vector<std::string> &was, const std::vector<std::string> &now, std::ostream &out)
{
    const std::size_t n = was.size(), m = now.size();
    std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            common[i][j] = was[i] == now[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && was[i] == now[j]) {
            ++i;
            ++j;
        } else if (j == m || (i < n && common[i + 1][j] >= common[i][j + 1])) {
            out << "  line " << i + 1 << " -" << was[i] << "\n";
            ++i;
        } else {
            out << "  line " << j + 1 << " +" << now[j] << "\n";
            ++j;
        }
    }
}

std::optional<std::string> readWhole(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double asWritten(double value, int decimals)
{
    return std::strtod(fixed(value, decimals).c_str(), nullptr);
}

bool writeAtomically(const std::filesystem::path &path, const std::string &text, std::string &error)
{
    // Beside the target, so the rename stays on one file system and replaces it at once.
    std::random_device random;
    std::filesystem::path temporary;
    std::FILE *file = nullptr;
    for (int attempt = 0; attempt < 16 && !file; ++attempt) {
        temporary = path;
        temporary += ".tmp" + std::to_string(random() % 1000000);
        file = std::fopen(temporary.string().c_str(), "wx"); // never an existing file
    }
    if (!file) {
        error = "cannot create a temporary file beside " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
#if defined(__unix__) || defined(__APPLE__)
    written = written && ::fsync(::fileno(file)) == 0; // on disk before it takes the name
#endif
    const int saved = errno;
    written = std::fclose(file) == 0 && written;
    std::error_code ec;
    if (written)
        std::filesystem::rename(temporary, path, ec);
    if (!written || ec) {
        error = "cannot write " + path.string() + ": " + (ec ? ec.message() : std::strerror(saved));
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

int writeHeaders(const std::filesystem::path &folder, const std::vector<FittedHeader> &headers, std::ostream &out,
                 std::ostream &err)
{
    int code = 0;
    for (const FittedHeader &h : headers) {
        // A header refitted alike keeps its time stamp, so nothing is built again for it.
        if (readWhole(folder / h.file) == h.text) {
            out << "unchanged " << (folder / h.file).string() << "\n";
            continue;
        }
        std::string error;
        if (writeAtomically(folder / h.file, h.text, error)) {
            out << "wrote " << (folder / h.file).string() << "\n";
        } else {
            err << error << "\n";
            code = 1;
        }
    }
    return code;
}

int checkHeaders(const std::filesystem::path &folder, const std::vector<FittedHeader> &headers, std::ostream &out)
{
    int differ = 0;
    for (const FittedHeader &h : headers) {
        const std::filesystem::path path = folder / h.file;
        const std::optional<std::string> committed = readWhole(path);
        if (!committed) {
            out << path.string() << ": cannot read it\n";
            ++differ;
            continue;
        }
        if (*committed == h.text) {
            out << path.string() << ": refitted, the same\n";
            continue;
        }
        ++differ;
        out << path.string() << ": refitted, it differs (-committed, +refitted):\n";
        const std::vector<std::string> was = linesOf(*committed), now = linesOf(h.text);
        if (was == now)
            out << "  (only in line ends or the final newline)\n";
        printDifference(was, now, out);
    }
    return differ ? 1 : 0;
}

} // namespace tunedeck::tools

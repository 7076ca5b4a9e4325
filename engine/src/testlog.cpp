#include "testlog.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tonalyte {

std::string testLogPath()
{
#if defined(_WIN32)
    return "C:\\KeyTest.txt";
#else
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec)
        dir = "/tmp";
    return (dir / "KeyTest.txt").string();
#endif
}

void writeTestLog(bool testOn, const char *message)
{
    if (!testOn)
        return;
    std::FILE *f = std::fopen(testLogPath().c_str(), "a");
    if (!f)
        return;
    std::fprintf(f, "%s\n", message);
    std::fclose(f);
}

} // namespace tonalyte

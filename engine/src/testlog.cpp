#include "testlog.h"

#include "enginestate.h"

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

void writeTestLog(const Engine &e, const char *message)
{
    if (!e.testOn)
        return;
    std::FILE *f = std::fopen(e.testLog ? e.testLog->c_str() : testLogPath().c_str(), "a");
    if (!f)
        return;
    std::fprintf(f, "%s\n", message);
    std::fclose(f);
}

} // namespace tonalyte

// Unloading the library with its timer running must not leave the tick source behind.
#include <gtest/gtest.h>

#if defined(__linux__) || defined(_WIN32)

#include "libraryloader.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using tonalyte_test::LibraryLoader;

#if defined(_WIN32)
int processId() { return static_cast<int>(GetCurrentProcessId()); }

// The tests name the DLL alone and find it beside themselves, as a Windows program does.
fs::path libraryFile()
{
    wchar_t exe[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return fs::path(std::wstring(exe, n)).parent_path() / TONALYTE_TEST_LIBRARY;
}

// A fault in another thread (a timer event calling into the unloaded library) ends the
// program with a failure instead of waiting on a debugger.
LONG WINAPI faultInAnyThread(EXCEPTION_POINTERS *e)
{
    std::fprintf(stderr, "Unload: fault %08lx at %p after unloading\n",
                 static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode),
                 e->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}
#else
int processId() { return static_cast<int>(::getpid()); }

fs::path libraryFile() { return TONALYTE_TEST_LIBRARY; }

int threadCount()
{
    int n = 0;
    if (DIR *d = opendir("/proc/self/task")) {
        while (dirent *e = readdir(d))
            n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}
#endif

} // namespace

TEST(Unload, StopsTheTimer)
{
    // A copy under another name is a library of its own, unloaded when its last handle closes.
    const fs::path source = libraryFile();
    const fs::path copy = fs::temp_directory_path() /
                          ("tonalyte-unload-" + std::to_string(processId()) + source.extension().string());
    fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
#if defined(__linux__)
    const int before = threadCount();
    int running = 0;
#else
    const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(faultInAnyThread);
#endif
    {
        LibraryLoader library(copy.string());
        ASSERT_TRUE(library.isLoaded()) << library.error();
        auto start = reinterpret_cast<int32_t(TONALYTE_CALL *)()>(library.symbol("KeyStartTimer"));
        auto count = reinterpret_cast<int32_t(TONALYTE_CALL *)()>(library.symbol("KeyGetTimeTCnt"));
        ASSERT_NE(start, nullptr);
        ASSERT_NE(count, nullptr);
        ASSERT_EQ(start(), 1);
        for (int i = 0; i < 1000 && count() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_GT(count(), 0);
#if defined(__linux__)
        // Sanitizer runtimes may start a helper thread of their own with the first thread.
        running = threadCount();
        EXPECT_GT(running, before);
#endif
    }
#if defined(__linux__)
    EXPECT_EQ(threadCount(), running - 1);
#else
    // Really unloaded; a multimedia timer event left behind would now call into unmapped
    // code, and faultInAnyThread would end the program with a failure.
    EXPECT_EQ(GetModuleHandleW(copy.filename().c_str()), nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SetUnhandledExceptionFilter(previous);
#endif
    fs::remove(copy);
}

#endif

// Unloading the library with its timer running must not leave the tick thread behind.
#include <gtest/gtest.h>

#if defined(__linux__)

#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

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

} // namespace

TEST(Unload, StopsTheTickThread)
{
    // A copy under another name is a library of its own, unloaded by its last dlclose.
    namespace fs = std::filesystem;
    const fs::path copy = fs::temp_directory_path() / ("tonalyte-unload-" + std::to_string(::getpid()) + ".so");
    fs::copy_file(TONALYTE_TEST_LIBRARY, copy, fs::copy_options::overwrite_existing);
    void *handle = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto start = reinterpret_cast<int32_t (*)()>(dlsym(handle, "KeyStartTimer"));
    ASSERT_NE(start, nullptr);

    const int before = threadCount();
    ASSERT_EQ(start(), 1);
    // Sanitizer runtimes may start a helper thread of their own with the first thread.
    const int running = threadCount();
    EXPECT_GT(running, before);
    dlclose(handle);
    fs::remove(copy);
    EXPECT_EQ(threadCount(), running - 1);
}

#endif

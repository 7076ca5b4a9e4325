// A folder of its own for a test's files, removed with everything in it.
#ifndef TUNEDECK_TESTS_TEMPDIR_H
#define TUNEDECK_TESTS_TEMPDIR_H

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tunedeck::test {

class TempDir {
public:
    TempDir()
    {
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = base / ("tunedeck-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(path_))
                return;
        }
        throw std::runtime_error("no temporary folder");
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    std::string path() const { return path_.string(); }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

} // namespace tunedeck::test

#endif

// Zip archives made by the tests, in memory: stored or deflated entries, and a directory that
// may say another size than the data has.
#ifndef TUNEDECK_TESTS_SCORE_ZIPTESTFILE_H
#define TUNEDECK_TESTS_SCORE_ZIPTESTFILE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunedeck::score::test {

struct ZipEntry {
    std::string name;
    std::string data;
    bool deflate = false;
    std::optional<std::uint32_t> claimedSize = std::nullopt; // the uncompressed size the headers say
};

std::string zipOf(const std::vector<ZipEntry> &entries);

} // namespace tunedeck::score::test

#endif

#include "ziptestfile.h"

#include <zlib.h>

#include <stdexcept>

namespace tunedeck::score::test {

namespace {

void put(std::string &out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

std::string deflated(const std::string &data)
{
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, uLong(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

} // namespace

std::string zipOf(const std::vector<ZipEntry> &entries)
{
    std::string out, directory;
    for (const ZipEntry &e : entries) {
        const std::string body = e.deflate ? deflated(e.data) : e.data;
        const auto crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef *>(e.data.data()), uInt(e.data.size())));
        const std::uint32_t size = e.claimedSize.value_or(std::uint32_t(e.data.size()));
        std::string common;
        put(common, 20, 2);                 // version needed
        put(common, 0, 2);                  // flags
        put(common, e.deflate ? 8 : 0, 2);  // method
        put(common, 0, 4);                  // time and date
        put(common, crc, 4);
        put(common, std::uint32_t(body.size()), 4);
        put(common, size, 4);
        put(common, std::uint32_t(e.name.size()), 2);
        put(common, 0, 2);                  // extra
        const auto offset = std::uint32_t(out.size());
        out += "PK\x03\x04" + common + e.name + body;
        directory += "PK\x01\x02";
        put(directory, 20, 2);              // made by
        directory += common;
        put(directory, 0, 2);               // comment
        put(directory, 0, 2);               // disk
        put(directory, 0, 2);               // internal attributes
        put(directory, 0, 4);               // external attributes
        put(directory, offset, 4);
        directory += e.name;
    }
    const auto at = std::uint32_t(out.size());
    out += directory;
    out += "PK\x05\x06";
    put(out, 0, 4);
    put(out, std::uint32_t(entries.size()), 2);
    put(out, std::uint32_t(entries.size()), 2);
    put(out, std::uint32_t(directory.size()), 4);
    put(out, at, 4);
    put(out, 0, 2);
    return out;
}

} // namespace tunedeck::score::test

#include "core/score/scorefile.h"

#include "core/score/scoreerror.h"

#include <pugixml.hpp>
#include <unzip.h>
#ifdef TUNEDECK_WITH_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <cstring>
#include <optional>

namespace tunedeck::score {

namespace {

constexpr std::string_view ContainerPath = "META-INF/container.xml";
constexpr std::size_t MaxContainerBytes = std::size_t(1) << 20;

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

// The first element's name, past a byte order mark, the declaration, comments, processing
// instructions and a DOCTYPE; empty when the text is no XML or none shows in the first 64 KiB.
std::string_view firstElementName(std::string_view text)
{
    text = text.substr(0, std::size_t(64) << 10);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++at;
            continue;
        }
        if (c != '<' || at + 1 >= text.size())
            return {};
        const std::string_view rest = text.substr(at);
        std::size_t end = std::string_view::npos;
        if (rest.substr(0, 4) == "<!--") {
            end = rest.find("-->");
            if (end != std::string_view::npos)
                end += 2;
        } else if (rest[1] == '?' || rest[1] == '!')
            end = rest.find('>'); // a DOCTYPE with an internal subset is not a score's
        else if (isNameStart(rest[1])) {
            const std::size_t stop = rest.find_first_of(" \t\r\n/>", 1);
            return rest.substr(1, stop == std::string_view::npos ? rest.size() - 1 : stop - 1);
        }
        if (end == std::string_view::npos)
            return {};
        at += end + 1;
    }
    return {};
}

// A zip archive held in memory, read through minizip's file functions.
struct Memory {
    std::string_view bytes;
    std::uint64_t at = 0;
};

voidpf ZCALLBACK memOpen(voidpf, const void *memory, int) { return const_cast<void *>(memory); }
uLong ZCALLBACK memRead(voidpf, voidpf stream, void *buf, uLong size)
{
    auto *m = static_cast<Memory *>(stream);
    const std::uint64_t left = m->at < m->bytes.size() ? m->bytes.size() - m->at : 0;
    const uLong n = uLong(std::min<std::uint64_t>(left, size));
    std::memcpy(buf, m->bytes.data() + m->at, n);
    m->at += n;
    return n;
}
uLong ZCALLBACK memWrite(voidpf, voidpf, const void *, uLong) { return 0; }
ZPOS64_T ZCALLBACK memTell(voidpf, voidpf stream) { return static_cast<Memory *>(stream)->at; }
long ZCALLBACK memSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto *m = static_cast<Memory *>(stream);
    std::uint64_t base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = m->at;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = m->bytes.size();
    if (offset > m->bytes.size() || base + offset > m->bytes.size())
        return -1;
    m->at = base + offset;
    return 0;
}
int ZCALLBACK memClose(voidpf, voidpf) { return 0; }
int ZCALLBACK memError(voidpf, voidpf) { return 0; }

class Zip {
public:
    explicit Zip(std::string_view bytes) : memory_{bytes}
    {
        zlib_filefunc64_def functions{memOpen, memRead, memWrite, memTell, memSeek, memClose, memError, nullptr};
        file_ = unzOpen2_64(&memory_, &functions);
    }
    ~Zip()
    {
        if (file_)
            unzClose(file_);
    }
    Zip(const Zip &) = delete;
    Zip &operator=(const Zip &) = delete;

    bool ok() const { return file_ != nullptr; }
    std::uint64_t entries() const
    {
        unz_global_info64 info{};
        return unzGetGlobalInfo64(file_, &info) == UNZ_OK ? info.number_entry : 0;
    }
    bool has(const std::string &path) { return unzLocateFile(file_, path.c_str(), 1) == UNZ_OK; }
    std::string read(const std::string &path, std::size_t limit);

private:
    std::optional<std::string> unpackedQuickly(const unz_file_info64 &info);

    Memory memory_;
    unzFile file_ = nullptr;
};

// The current entry unpacked whole by libdeflate, when it is deflated and its data agree
// with the directory (its size and check sum) at once; anything else goes the slow way,
// where zlib decides what the entry holds or why it is refused.
std::optional<std::string> Zip::unpackedQuickly([[maybe_unused]] const unz_file_info64 &info)
{
#ifdef TUNEDECK_WITH_LIBDEFLATE
    int method = 0, level = 0;
    if (info.compression_method != Z_DEFLATED || unzOpenCurrentFile2(file_, &method, &level, 1) != UNZ_OK)
        return std::nullopt;
    // The packed data inflated where it lies in the archive, without a copy.
    const std::uint64_t at = unzGetCurrentFileZStreamPos64(file_);
    unzCloseCurrentFile(file_);
    const std::uint64_t size = memory_.bytes.size();
    if (at > size || info.compressed_size > size - at)
        return std::nullopt;
    const std::string_view packed = memory_.bytes.substr(std::size_t(at), std::size_t(info.compressed_size));
    std::string out(std::size_t(info.uncompressed_size), '\0');
    std::size_t produced = 0;
    libdeflate_decompressor *inflater = libdeflate_alloc_decompressor();
    if (!inflater)
        return std::nullopt;
    const libdeflate_result result =
        libdeflate_deflate_decompress(inflater, packed.data(), packed.size(), out.data(), out.size(), &produced);
    libdeflate_free_decompressor(inflater);
    if (result != LIBDEFLATE_SUCCESS || produced != out.size() || libdeflate_crc32(0, out.data(), out.size()) != info.crc)
        return std::nullopt;
    return out;
#else
    return std::nullopt;
#endif
}

std::string Zip::read(const std::string &path, std::size_t limit)
{
    if (!has(path))
        throw ScoreError("the compressed score has no " + path);
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(file_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        throw ScoreError("the compressed score's entry " + path + " cannot be read");
    if (info.uncompressed_size > limit)
        throw ScoreError("the compressed score's entry " + path + " unpacks to more than "
                         + std::to_string(limit >> 20) + " MiB");
    if (std::optional<std::string> quick = unpackedQuickly(info))
        return std::move(*quick);
    if (unzOpenCurrentFile(file_) != UNZ_OK)
        throw ScoreError("the compressed score's entry " + path + " cannot be unpacked");
    // Unpacked in place, into room for the size the directory gives. That size may lie: the
    // unpacking stops at the limit all the same.
    std::string out(std::size_t(info.uncompressed_size) + 1, '\0');
    std::size_t filled = 0;
    int n = 0;
    while (true) {
        if (filled == out.size())
            out.resize(std::min(out.size() * 2, limit + 1));
        const std::size_t room = std::min<std::size_t>(out.size() - filled, std::size_t(1) << 30);
        if ((n = unzReadCurrentFile(file_, out.data() + filled, unsigned(room))) <= 0)
            break;
        filled += std::size_t(n);
        if (filled > limit) {
            unzCloseCurrentFile(file_);
            throw ScoreError("the compressed score's entry " + path + " unpacks to more than "
                             + std::to_string(limit >> 20) + " MiB");
        }
    }
    out.resize(filled);
    const int closed = unzCloseCurrentFile(file_);
    if (n < 0 || closed != UNZ_OK)
        throw ScoreError("the compressed score's entry " + path + " is damaged");
    return out;
}

// The root file the container names: its first rootfile of MusicXML (or of no media type).
std::string rootPath(const std::string &container)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(container.data(), container.size()))
        throw ScoreError("the compressed score's " + std::string(ContainerPath) + " is not well-formed XML");
    for (pugi::xml_node root : doc.child("container").child("rootfiles").children("rootfile")) {
        const std::string type = root.attribute("media-type").as_string();
        const std::string path = root.attribute("full-path").as_string();
        if (!path.empty() && (type.empty() || type.find("musicxml") != std::string::npos))
            return path;
    }
    throw ScoreError("the compressed score's " + std::string(ContainerPath) + " names no root file");
}

// UTF-16 text (with its byte order mark) as ASCII, enough to find the first element.
std::string narrowed(std::string_view bytes)
{
    const bool little = bytes.substr(0, 2) == "\xFF\xFE";
    std::string out;
    for (std::size_t i = 2; i + 1 < bytes.size() && out.size() < (std::size_t(64) << 10); i += 2) {
        const char high = bytes[little ? i + 1 : i], low = bytes[little ? i : i + 1];
        out += high == 0 ? low : '?';
    }
    return out;
}

} // namespace

bool looksLikeCompressedScore(std::string_view bytes)
{
    // Entry names are stored uncompressed, in the local headers and the directory.
    return bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4)
           && bytes.find(ContainerPath) != std::string_view::npos;
}

bool looksLikeScore(std::string_view bytes)
{
    if (looksLikeCompressedScore(bytes))
        return true;
    const bool utf16 = bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
    const std::string wide = utf16 ? narrowed(bytes) : std::string();
    const std::string_view name = firstElementName(utf16 ? std::string_view(wide) : bytes);
    return name == "score-partwise" || name == "score-timewise";
}

std::string scoreText(std::string_view bytes)
{
    if (bytes.substr(0, 4) != std::string_view("PK\x03\x04", 4)) {
        if (bytes.size() > MaxScoreBytes)
            throw ScoreError("it is larger than " + std::to_string(MaxScoreBytes >> 20) + " MiB");
        return std::string(bytes);
    }
    Zip zip(bytes);
    if (!zip.ok())
        throw ScoreError("it is a damaged zip archive");
    if (zip.entries() > MaxZipEntries)
        throw ScoreError("the compressed score holds more than " + std::to_string(MaxZipEntries) + " files");
    if (!zip.has(std::string(ContainerPath)))
        throw ScoreError("the compressed score has no " + std::string(ContainerPath) + " naming its root file");
    const std::string root = rootPath(zip.read(std::string(ContainerPath), MaxContainerBytes));
    return zip.read(root, MaxScoreBytes);
}

} // namespace tunedeck::score

// A module for node that links the score reader and its XML and zip libraries as the page does
// (emscripten, no file system) and answers what they make of bytes the tests build: a zip's
// entry read from memory through minizip's callbacks, a document parsed by pugixml, a score
// read or refused.
#include "core/score/scorefile.h"
#include "core/score/scoremidi.h"
#include "core/score/scorereader.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cstring>
#include <string>

#include <minizip/unzip.h>
#include <pugixml.hpp>

using emscripten::val;

namespace {

// A zip's bytes read through minizip's file callbacks, with their exact signatures: a call
// through a function pointer of another type traps in WebAssembly.
struct Memory {
    const std::string *bytes;
    ZPOS64_T at = 0;
};

voidpf ZCALLBACK openMemory(voidpf opaque, const void *, int) { return opaque; }

uLong ZCALLBACK readMemory(voidpf, voidpf stream, void *buffer, uLong size)
{
    auto *m = static_cast<Memory *>(stream);
    const ZPOS64_T left = m->at < m->bytes->size() ? m->bytes->size() - m->at : 0;
    const uLong n = static_cast<uLong>(std::min<ZPOS64_T>(left, size));
    std::memcpy(buffer, m->bytes->data() + m->at, n);
    m->at += n;
    return n;
}

uLong ZCALLBACK writeMemory(voidpf, voidpf, const void *, uLong) { return 0; }

ZPOS64_T ZCALLBACK tellMemory(voidpf, voidpf stream) { return static_cast<Memory *>(stream)->at; }

long ZCALLBACK seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto *m = static_cast<Memory *>(stream);
    ZPOS64_T from = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        from = m->at;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        from = m->bytes->size();
    if (from + offset > m->bytes->size())
        return -1;
    m->at = from + offset;
    return 0;
}

int ZCALLBACK closeMemory(voidpf, voidpf) { return 0; }
int ZCALLBACK errorMemory(voidpf, voidpf) { return 0; }

val answer(int code, const std::string &text)
{
    val out = val::object();
    out.set("code", code);
    out.set("text", text);
    return out;
}

// The named entry's bytes as text, or minizip's code for the step that failed (the CRC is
// checked when the entry is closed).
val unzipEntry(const std::string &zip, const std::string &name)
{
    Memory memory{&zip};
    zlib_filefunc64_def calls{openMemory, readMemory, writeMemory, tellMemory, seekMemory, closeMemory,
                              errorMemory, &memory};
    unzFile file = unzOpen2_64("memory", &calls);
    if (!file)
        return answer(UNZ_BADZIPFILE, "");
    int code = unzLocateFile(file, name.c_str(), 1);
    std::string text;
    if (code == UNZ_OK)
        code = unzOpenCurrentFile(file);
    if (code == UNZ_OK) {
        char buffer[256];
        int n = 0;
        while ((n = unzReadCurrentFile(file, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        const int closed = unzCloseCurrentFile(file);
        code = n < 0 ? n : closed;
    }
    unzClose(file);
    return answer(code, code == UNZ_OK ? text : "");
}

// The document's root name, how many elements it has, the text of its first <text> element,
// or pugixml's description of why it is refused.
val parseXml(const std::string &bytes)
{
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(bytes.data(), bytes.size());
    val out = val::object();
    out.set("ok", static_cast<bool>(result));
    out.set("description", std::string(result.description()));
    if (!result)
        return out;
    const std::size_t elements = document.select_nodes("//*").size();
    out.set("root", std::string(document.document_element().name()));
    out.set("elements", static_cast<int>(elements));
    out.set("text", std::string(document.find_node([](pugi::xml_node n) {
        return std::strcmp(n.name(), "text") == 0; }).child_value()));
    return out;
}

// The score's parts and notes, its MIDI file's length, or why it is refused.
val readScore(const std::string &bytes, bool unfoldRepeats)
{
    using namespace tunedeck::score;
    const auto score = tunedeck::score::readScore(bytes, ReadOptions{.unfoldRepeats = unfoldRepeats});
    val out = val::object();
    out.set("looksLikeScore", looksLikeScore(bytes));
    out.set("reason", score ? std::string() : score.error().reason);
    if (!score)
        return out;
    std::size_t notes = 0;
    std::int64_t end = 0;
    for (const Part &part : score->parts) {
        notes += part.notes.size();
        for (const Note &note : part.notes)
            end = std::max(end, note.tick + note.duration);
    }
    out.set("parts", static_cast<int>(score->parts.size()));
    out.set("notes", static_cast<int>(notes));
    out.set("endTick", static_cast<double>(end));
    out.set("midiHeader", midiBytes(*score).substr(0, 4));
    return out;
}

}  // namespace

EMSCRIPTEN_BINDINGS(score_check)
{
    emscripten::function("unzipEntry", &unzipEntry);
    emscripten::function("parseXml", &parseXml);
    emscripten::function("readScore", &readScore);
}

// File names as bytes. On POSIX systems a name is bytes that need not be UTF-8 (a folder
// copied from an old disk, a name in Latin-1); JSON holds text, so "file" says the name as
// valid UTF-8 and "fileBytes" keeps its exact bytes. On Windows names are UTF-16, held as
// UTF-8 bytes here.
#ifndef TUNEDECK_CORE_BATCH_FILENAMES_H
#define TUNEDECK_CORE_BATCH_FILENAMES_H

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <string_view>

namespace tunedeck::batch {

// The length of the valid UTF-8 sequence that starts `bytes` (its code point in `cp`); 0
// when none does. Overlong forms, surrogates and code points past U+10FFFF are not valid.
std::size_t utf8Sequence(std::string_view bytes, char32_t &cp);
std::size_t utf8Length(std::string_view bytes);
bool isUtf8(std::string_view bytes);

// The bytes as valid UTF-8: U+FFFD for each byte that is not part of a valid sequence, as
// the command has always written such text.
std::string validUtf8(std::string_view bytes);

std::string base64(std::string_view bytes);

// A path's name as bytes: the native bytes on POSIX, UTF-8 on Windows, with '/' between its
// parts there when `generic` (as a walk lists them).
std::string pathBytes(const std::filesystem::path &p, bool generic = false);

// "file": the name as validUtf8 gives it; and only for a name that is not UTF-8,
// "fileBytes": its exact bytes in base64, so that it can still be opened.
void putFileName(nlohmann::json &object, std::string_view bytes);

} // namespace tunedeck::batch

#endif

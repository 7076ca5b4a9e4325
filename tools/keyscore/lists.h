// The comma-separated lists tunedeck-keyscore's setting options take.
#ifndef TUNEDECK_KEYSCORE_LISTS_H
#define TUNEDECK_KEYSCORE_LISTS_H

#include <string>
#include <string_view>
#include <vector>

namespace tunedeck::keyscore {

// "a,b,,c" gives four items, the third empty.
std::vector<std::string> splitNames(std::string_view text);
// False when an item is not a whole number; out then holds what was read.
bool parseList(std::string_view text, std::vector<double> &out);

} // namespace tunedeck::keyscore

#endif

#include "keyscore/lists.h"

#include <algorithm>
#include <cstdlib>

namespace tunedeck::keyscore {

std::vector<std::string> splitNames(std::string_view text)
{
    std::vector<std::string> out;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        out.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return out;
}

bool parseList(std::string_view text, std::vector<double> &out)
{
    out.clear();
    for (const std::string &item : splitNames(text)) {
        // strtod rather than from_chars: not every standard library reads doubles with it yet.
        char *end = nullptr;
        out.push_back(std::strtod(item.c_str(), &end));
        if (item.empty() || end != item.c_str() + item.size())
            return false;
    }
    return true;
}

} // namespace tunedeck::keyscore

#include "core/base/choices.h"

#include <cctype>

namespace tunedeck {

namespace {

char lower(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

bool hasMidiExtension(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos)
        return false;
    const std::string_view ext = name.substr(dot);
    for (const std::string_view known : MidiExtensions) {
        bool same = known.size() == ext.size();
        for (std::size_t i = 0; same && i < ext.size(); ++i)
            same = lower(ext[i]) == known[i];
        if (same)
            return true;
    }
    return false;
}

std::string midiNamePatterns()
{
    std::string patterns;
    for (int form = 0; form < 3; ++form)
        for (const std::string_view ext : MidiExtensions) {
            patterns += patterns.empty() ? "*" : " *";
            for (std::size_t i = 0; i < ext.size(); ++i) {
                const bool upper = form == 1 || (form == 2 && i == 1);
                patterns += upper ? char(std::toupper(static_cast<unsigned char>(ext[i]))) : ext[i];
            }
        }
    return patterns;
}

} // namespace tunedeck

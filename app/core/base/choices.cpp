#include "core/base/choices.h"

#include <cctype>

namespace tunedeck {

namespace {

char lower(char c)
{
    return char(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

namespace {

// Whether the name (after its last '/') ends in one of the extensions, in any case.
template <std::size_t N>
bool endsInOneOf(std::string_view name, const std::array<std::string_view, N> &extensions)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos)
        return false;
    const std::string_view ext = name.substr(dot);
    for (const std::string_view known : extensions) {
        bool same = known.size() == ext.size();
        for (std::size_t i = 0; same && i < ext.size(); ++i)
            same = lower(ext[i]) == known[i];
        if (same)
            return true;
    }
    return false;
}

template <std::size_t N>
std::string namePatterns(const std::array<std::string_view, N> &extensions)
{
    std::string patterns;
    for (int form = 0; form < 3; ++form)
        for (const std::string_view ext : extensions) {
            patterns += patterns.empty() ? "*" : " *";
            for (std::size_t i = 0; i < ext.size(); ++i) {
                const bool upper = form == 1 || (form == 2 && i == 1);
                patterns += upper ? char(std::toupper(static_cast<unsigned char>(ext[i]))) : ext[i];
            }
        }
    return patterns;
}

} // namespace

bool hasMidiExtension(std::string_view name)
{
    return endsInOneOf(name, MidiExtensions);
}

std::string midiNamePatterns()
{
    return namePatterns(MidiExtensions);
}

bool hasScoreExtension(std::string_view name)
{
    return endsInOneOf(name, ScoreExtensions);
}

bool hasXmlExtension(std::string_view name)
{
    return endsInOneOf(name, std::array<std::string_view, 1>{XmlExtension});
}

std::string scoreNamePatterns()
{
    return namePatterns(std::array<std::string_view, 3>{ScoreExtensions[0], ScoreExtensions[1], XmlExtension});
}

} // namespace tunedeck

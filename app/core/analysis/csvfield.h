// One field as it stands in a CSV row (RFC 4180): quoted, its quotes doubled, when it holds
// a comma, a quote or a line end; its bytes kept as they are.
#ifndef TUNEDECK_CORE_ANALYSIS_CSVFIELD_H
#define TUNEDECK_CORE_ANALYSIS_CSVFIELD_H

#include <string>
#include <string_view>

namespace tunedeck {

inline std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace tunedeck

#endif

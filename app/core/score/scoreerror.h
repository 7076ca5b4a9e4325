// Why a score is refused, on its way up to readScore, which returns it as a Failure. The
// reader is deep and every level can refuse; one exception type keeps those paths short.
#ifndef TUNEDECK_CORE_SCORE_SCOREERROR_H
#define TUNEDECK_CORE_SCORE_SCOREERROR_H

#include <stdexcept>
#include <string>

namespace tunedeck::score {

class ScoreError : public std::runtime_error {
public:
    explicit ScoreError(const std::string &why) : std::runtime_error(why) {}
};

} // namespace tunedeck::score

#endif

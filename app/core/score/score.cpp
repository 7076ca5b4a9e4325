#include "core/score/score.h"

#include <cmath>

namespace tunedeck::score {

std::string spelledName(const Spelling &spelling)
{
    const long alter = std::lround(std::floor(spelling.alter + 0.5));
    std::string name(1, spelling.step);
    name.append(std::size_t(std::labs(alter)), alter > 0 ? '#' : 'b');
    return name + std::to_string(spelling.octave);
}

ScoreLayout layoutOf(const Score &score)
{
    return {score.title, score.composer, score.measures, score.times, score.pickup};
}

} // namespace tunedeck::score

// The meters bars are numbered in: the one list the window, the command and the runs share.
#ifndef TUNEDECK_METER_H
#define TUNEDECK_METER_H

#include <array>
#include <string_view>

namespace tunedeck {

struct Meter {
    std::string_view text;
    int beats; // quarter notes per bar (6/8 counts as three)
};

inline constexpr std::array<Meter, 4> Meters{{{"2/4", 2}, {"3/4", 3}, {"4/4", 4}, {"6/8", 3}}};
inline constexpr int DefaultMeter = 2; // 4/4

// The meter at a position of the list; any other position is the last one.
constexpr int meterIndex(int position)
{
    return position >= 0 && position < int(Meters.size()) ? position : int(Meters.size()) - 1;
}

} // namespace tunedeck

#endif

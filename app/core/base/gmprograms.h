// The 128 General MIDI instruments, named as the standard names them.
#ifndef TUNEDECK_CORE_BASE_GMPROGRAMS_H
#define TUNEDECK_CORE_BASE_GMPROGRAMS_H

#include <string_view>

namespace tunedeck {

// The instrument of program 0..127; empty for any other number.
std::string_view gmProgramName(int program);

} // namespace tunedeck

#endif

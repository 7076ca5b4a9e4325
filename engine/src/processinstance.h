// The engine of the process, behind the library's exports.
#ifndef TONALYTE_PROCESSINSTANCE_H
#define TONALYTE_PROCESSINSTANCE_H

#include "tonalyte/instance.h"

namespace tonalyte {

Instance &processInstance();

} // namespace tonalyte

#endif

// The meters bars are numbered in: the table of choices holds them.
#ifndef TUNEDECK_CORE_FASTDETECT_METER_H
#define TUNEDECK_CORE_FASTDETECT_METER_H

#include "core/base/choices.h"

#endif

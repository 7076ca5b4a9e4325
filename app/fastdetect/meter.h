// The meters bars are numbered in: the table of choices holds them.
#ifndef TUNEDECK_METER_H
#define TUNEDECK_METER_H

#include "base/choices.h"

#endif

// The page's choices: the fields of the table of choices (core/analysis/choicetable.h) as
// the page's JavaScript spells them, read into the one AnalysisChoices.
#ifndef TUNEDECK_WEB_PAGECHOICES_H
#define TUNEDECK_WEB_PAGECHOICES_H

#include "core/analysis/analysischoices.h"
#include "jsvalues.h"

namespace tunedeck::web {

// {track: "all" or 0..11 (0 = "Track 01"), moreSensitive, meter: 0..3, keys: 0..4 (0 = not
// known), transpose, tempo, muted: bit n for channel n + 1, splitFormat0, notation: 0..3};
// a field left out takes the default, a number out of its range the nearest end.
AnalysisChoices pageChoices(const val &choices);

// Each field with its default and range as the page spells them: {meter: {default: 2, low:
// 0, high: 3}, track: {default: "all", low: 0, high: 11}, moreSensitive: {default: false}, ...}.
val pageChoiceFields();

} // namespace tunedeck::web

#endif

// Key colours placed by the circle of fifths, so that related keys look related.
#ifndef TUNEDECK_KEYCOLOURS_H
#define TUNEDECK_KEYCOLOURS_H

#include <QColor>

namespace tunedeck {

// The hue is the key's place on the circle of fifths (a minor takes its relative major's
// place, so A minor sits with C major and E minor with G major); majors are light and
// bright, minors darker and a little greyer, so the two keys of one tonic differ and the
// two of one signature share a hue. No key gives an invalid colour.
QColor keyColour(int keyCode);

// Black or white, whichever reads better on the background.
QColor textColourOn(const QColor &background);

} // namespace tunedeck

#endif

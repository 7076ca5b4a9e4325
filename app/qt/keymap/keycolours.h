// Key colours placed by the circle of fifths, so that related keys look related, and told
// apart by more than hue for readers who see fewer colours.
#ifndef TUNEDECK_QT_KEYMAP_KEYCOLOURS_H
#define TUNEDECK_QT_KEYMAP_KEYCOLOURS_H

#include <QColor>

namespace tunedeck {

// How a key's stretch is filled. The hue is the key's place on the circle of fifths, twelve
// hues evenly spread by eye (a minor takes its relative major's hue, so A minor sits with
// C major); neighbours on the circle also differ in lightness. A minor is a lighter ground
// crossed by lines of its hue, a major is plain.
struct KeyFill {
    QColor ground; // invalid for no key
    QColor hatch;  // the lines over a minor; invalid for a major
};

KeyFill keyFill(int keyCode);

// Black or white, whichever contrasts more with the background.
QColor textColourOn(const QColor &background);

} // namespace tunedeck

#endif

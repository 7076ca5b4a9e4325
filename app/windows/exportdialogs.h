// The File menu's exports, each asking where to write and saying in the status bar how it
// went: the key map as a picture, and the chosen file rendered as a play would sound it.
#ifndef TUNEDECK_EXPORTDIALOGS_H
#define TUNEDECK_EXPORTDIALOGS_H

#include "fastdetect/openfile.h"

#include <QString>

class QStatusBar;
class QWidget;

namespace tunedeck {

class KeyMapWidget;

void exportKeyMap(QWidget *parent, const KeyMapWidget &map, QStatusBar *status);

// file must be open. The reason a render failed, for the window's error label; empty when
// it was written or cancelled.
QString exportAudio(QWidget *parent, const OpenFile &file, const QString &midiPath, const TrackChoice &tracks,
                    const QString &soundFont, QStatusBar *status);

} // namespace tunedeck

#endif

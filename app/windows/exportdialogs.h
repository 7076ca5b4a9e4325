// The File menu's exports, each asking where to write and saying in the status bar how it
// went: the key map as a picture, and the chosen file rendered as a play would sound it.
#ifndef TUNEDECK_EXPORTDIALOGS_H
#define TUNEDECK_EXPORTDIALOGS_H

#include "base/playadjust.h"
#include "fastdetect/openfile.h"

#include <QString>

class QStatusBar;
class QWidget;

namespace tunedeck {

class KeyMapWidget;

void exportKeyMap(QWidget *parent, const KeyMapWidget &map, QStatusBar *status);

// file must be open. Rendered as the mix plays it: at its tempo and transposition, without the
// channels muted. The reason a render failed, for the window's error label; empty when it
// was written or cancelled.
QString exportAudio(QWidget *parent, const OpenFile &file, const QString &midiPath, const TrackChoice &tracks,
                    const QString &soundFont, QStatusBar *status, const PlayAdjust &adjust = {},
                    const ChannelMask &channels = {});

} // namespace tunedeck

#endif

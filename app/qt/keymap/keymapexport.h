// Key map pictures: PNG through QImage, SVG through Qt SVG. Painting needs fonts, so the
// caller must have a QGuiApplication (or a QApplication); a command-line tool without a
// display can start one on the offscreen platform with startHeadlessGui.
#ifndef TUNEDECK_QT_KEYMAP_KEYMAPEXPORT_H
#define TUNEDECK_QT_KEYMAP_KEYMAPEXPORT_H

#include "core/base/failure.h"
#include "core/keymap/keymapdata.h"

#include <QImage>
#include <QPalette>
#include <QSize>
#include <QString>

#include <memory>

class QGuiApplication;

namespace tunedeck {

// Black on white, whatever the desktop's colours: pictures look the same everywhere.
QPalette keyMapPicturePalette();

// The map painted on an image of that size; a null image without a QGuiApplication.
QImage renderKeyMap(const KeyMapData &data, QSize size,
                    const QPalette &palette = keyMapPicturePalette());

// Writes the map as a picture of size pixels: SVG when path ends in .svg, PNG when it ends
// in .png (either case). Fails when the suffix is neither, the size is empty, there is no
// QGuiApplication, or the file cannot be written; an existing file is only replaced once
// the new one is complete.
Result<> saveKeyMap(const KeyMapData &data, const QString &path, QSize size,
                    const QPalette &palette = keyMapPicturePalette());

// For a command-line tool: a QGuiApplication on the offscreen platform unless
// QT_QPA_PLATFORM names another. argc must outlive it, as for any Qt application.
std::unique_ptr<QGuiApplication> startHeadlessGui(int &argc, char **argv);

} // namespace tunedeck

#endif

#include "keymap/keycolours.h"

#include "base/keycodes.h"

namespace tunedeck {

QColor keyColour(int keyCode)
{
    const int place = fifthsPosition(keyCode);
    if (place < 0)
        return {};
    const float hue = float(place) / 12.0f;
    if (isMajorKey(keyCode))
        return QColor::fromHslF(hue, 0.75f, 0.62f);
    return QColor::fromHslF(hue, 0.55f, 0.36f);
}

QColor textColourOn(const QColor &background)
{
    // Relative luminance with the sRGB weights, without the gamma curve: near enough to
    // choose between black and white.
    const double y = 0.2126 * background.redF() + 0.7152 * background.greenF()
                     + 0.0722 * background.blueF();
    return y > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace tunedeck

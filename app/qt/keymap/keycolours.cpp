#include "qt/keymap/keycolours.h"

#include "core/base/keycodes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tunedeck {

namespace {

double encoded(double linear)
{
    linear = std::clamp(linear, 0.0, 1.0);
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

double linearised(double encoded)
{
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

// A colour by lightness, chroma and hue in Oklab, where equal steps look equal. Chroma is
// lowered until the colour fits sRGB, so no hue is clipped into a neighbour's.
QColor perceptual(double lightness, double chroma, double hueDegrees)
{
    const double angle = hueDegrees * std::numbers::pi / 180;
    for (;; chroma -= 0.002) {
        const double a = chroma * std::cos(angle), b = chroma * std::sin(angle);
        const double l = std::pow(lightness + 0.3963377774 * a + 0.2158037573 * b, 3);
        const double m = std::pow(lightness - 0.1055613458 * a - 0.0638541728 * b, 3);
        const double s = std::pow(lightness - 0.0894841775 * a - 1.2914855480 * b, 3);
        const double rgb[] = {4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s,
                              -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s,
                              -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s};
        const bool inside = std::all_of(std::begin(rgb), std::end(rgb),
                                        [](double v) { return v >= -1e-4 && v <= 1 + 1e-4; });
        if (inside || chroma <= 0)
            return QColor::fromRgbF(float(encoded(rgb[0])), float(encoded(rgb[1])), float(encoded(rgb[2])));
    }
}

double luminance(const QColor &c)
{
    return 0.2126 * linearised(c.redF()) + 0.7152 * linearised(c.greenF()) + 0.0722 * linearised(c.blueF());
}

} // namespace

KeyFill keyFill(int keyCode)
{
    const int place = fifthsPosition(keyCode);
    if (place < 0)
        return {};
    // Worked out once: every stretch of every paint asks.
    static const std::array<KeyFill, 24> fills = [] {
        std::array<KeyFill, 24> all;
        for (int p = 0; p < 12; ++p) {
            // C major red, then a twelfth of the hues round for each fifth; every other
            // place darker, so that neighbours part also for readers who confuse hues.
            const double hue = 25 + 30 * p, lightness = p % 2 == 0 ? 0.78 : 0.68, chroma = 0.13;
            all[std::size_t(p)] = {perceptual(lightness, chroma, hue), {}};
            all[std::size_t(p + 12)] = {perceptual(lightness + 0.08, chroma * 0.8, hue),
                                        perceptual(lightness - 0.22, chroma, hue)};
        }
        return all;
    }();
    return fills[std::size_t(place + (isMajorKey(keyCode) ? 0 : 12))];
}

QColor textColourOn(const QColor &background)
{
    // The contrast ratio of each against the background; they are equal at luminance 0.179.
    return luminance(background) > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace tunedeck

#include "qt/windows/settings.h"

#include "core/base/playadjust.h"
#include "core/fastdetect/meter.h"
#include "qt/base/qttext.h"

#include <QSettings>

#include <array>

namespace tunedeck {

namespace {

// The stored words are those of tunedeck-detect's options (KeyCounts, NotationWords), so the
// file reads plainly.

std::optional<bool> readBool(const QSettings &s, const QString &key)
{
    const QVariant v = s.value(key);
    if (!v.isValid())
        return std::nullopt;
    const QString word = v.toString().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("1"))
        return true;
    if (word == QLatin1String("false") || word == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<int> readTrack(const QSettings &s)
{
    bool ok = false;
    const int track = s.value(QStringLiteral("input/track")).toInt(&ok);
    if (!ok || track < 1 || track > ChoosableTracks)
        return std::nullopt;
    return track - 1;
}

std::optional<bool> readSensitivity(const QSettings &s)
{
    const QString word = s.value(QStringLiteral("detection/sensitivity")).toString();
    if (word == QLatin1String("more"))
        return true;
    if (word == QLatin1String("normal"))
        return false;
    return std::nullopt;
}

std::optional<int> readMeter(const QSettings &s)
{
    const QString word = s.value(QStringLiteral("detection/meter")).toString();
    for (std::size_t i = 0; i < Meters.size(); ++i)
        if (word == QLatin1String(Meters[i].text.data(), qsizetype(Meters[i].text.size())))
            return int(i);
    return std::nullopt;
}

std::optional<KeyCountChoice> readKeyCount(const QSettings &s)
{
    const QString word = s.value(QStringLiteral("detection/keys")).toString();
    for (const KeyCountWord &k : KeyCounts)
        if (word == QLatin1String(k.word.data(), qsizetype(k.word.size())))
            return k.choice;
    return std::nullopt;
}

std::optional<int> readInt(const QSettings &s, const QString &key, int low, int high)
{
    bool ok = false;
    const int value = s.value(key).toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::uint16_t> readChannels(const QSettings &s, const QString &key)
{
    const std::optional<int> bits = readInt(s, key, 0, 0xFFFF);
    return bits ? std::optional<std::uint16_t>(std::uint16_t(*bits)) : std::nullopt;
}

} // namespace

WindowChoices readWindowChoices(QSettings &s)
{
    WindowChoices c;
    c.allTracks = readBool(s, QStringLiteral("input/allTracks"));
    c.track = readTrack(s);
    c.moreSensitive = readSensitivity(s);
    c.meter = readMeter(s);
    if (const QString bars = s.value(QStringLiteral("detection/bars")).toString(); bars == QLatin1String("music"))
        c.musicBars = true;
    else if (bars == QLatin1String("meter"))
        c.musicBars = false;
    c.keyCount = readKeyCount(s);
    c.splitFormat0 = readBool(s, QStringLiteral("files/readFormat0"));
    c.playRepeats = readBool(s, QStringLiteral("files/playRepeats"));
    c.lastFolder = s.value(QStringLiteral("files/lastFolder")).toString();
    c.recentFiles = s.value(QStringLiteral("files/recent")).toStringList();
    c.geometry = s.value(QStringLiteral("window/geometry")).toByteArray();
    c.docks = s.value(QStringLiteral("window/docks")).toByteArray();
    c.tempoPercent = readInt(s, QStringLiteral("mix/tempo"), MinTempoPercent, MaxTempoPercent);
    c.transpose = readInt(s, QStringLiteral("mix/transpose"), MinTranspose, MaxTranspose);
    c.volume = readInt(s, QStringLiteral("mix/volume"), 0, 100);
    c.mutedChannels = readChannels(s, QStringLiteral("mix/muted"));
    c.soloChannels = readChannels(s, QStringLiteral("mix/solo"));
    c.notation = parseNotation(s.value(QStringLiteral("view/keyNames")).toString().toStdString());
    c.romanNumerals = readBool(s, QStringLiteral("view/romanNumerals"));
    c.normaliseAudio = readBool(s, QStringLiteral("export/normalise"));
    return c;
}

void writeWindowChoices(QSettings &s, const WindowChoices &c)
{
    if (c.allTracks)
        s.setValue(QStringLiteral("input/allTracks"), *c.allTracks);
    if (c.track && *c.track >= 0 && *c.track < ChoosableTracks)
        s.setValue(QStringLiteral("input/track"), *c.track + 1);
    if (c.moreSensitive)
        s.setValue(QStringLiteral("detection/sensitivity"),
                   *c.moreSensitive ? QStringLiteral("more") : QStringLiteral("normal"));
    if (c.meter) {
        const std::string_view text = Meters[std::size_t(meterIndex(*c.meter))].text;
        s.setValue(QStringLiteral("detection/meter"), QString::fromLatin1(text.data(), qsizetype(text.size())));
    }
    if (c.musicBars)
        s.setValue(QStringLiteral("detection/bars"), *c.musicBars ? QStringLiteral("music") : QStringLiteral("meter"));
    if (c.keyCount)
        for (const KeyCountWord &k : KeyCounts)
            if (k.choice == *c.keyCount)
                s.setValue(QStringLiteral("detection/keys"), QString::fromLatin1(k.word.data(), qsizetype(k.word.size())));
    if (c.splitFormat0)
        s.setValue(QStringLiteral("files/readFormat0"), *c.splitFormat0);
    if (c.playRepeats)
        s.setValue(QStringLiteral("files/playRepeats"), *c.playRepeats);
    if (!c.lastFolder.isEmpty())
        s.setValue(QStringLiteral("files/lastFolder"), c.lastFolder);
    // An empty list would be stored as "@Invalid()".
    if (c.recentFiles.isEmpty())
        s.remove(QStringLiteral("files/recent"));
    else
        s.setValue(QStringLiteral("files/recent"), c.recentFiles);
    if (!c.geometry.isEmpty())
        s.setValue(QStringLiteral("window/geometry"), c.geometry);
    if (!c.docks.isEmpty())
        s.setValue(QStringLiteral("window/docks"), c.docks);
    const auto store = [&s](const char *key, auto value) {
        if (value)
            s.setValue(QLatin1String(key), int(*value));
    };
    store("mix/tempo", c.tempoPercent);
    store("mix/transpose", c.transpose);
    store("mix/volume", c.volume);
    store("mix/muted", c.mutedChannels);
    store("mix/solo", c.soloChannels);
    if (c.notation) // the words tunedeck-detect --notation takes
        s.setValue(QStringLiteral("view/keyNames"), qtext(NotationWords[std::size_t(*c.notation)]));
    if (c.romanNumerals)
        s.setValue(QStringLiteral("view/romanNumerals"), *c.romanNumerals);
    if (c.normaliseAudio)
        s.setValue(QStringLiteral("export/normalise"), *c.normaliseAudio);
}

SoundChoices readSoundChoices(QSettings &s)
{
    return {s.value(QStringLiteral("sound/soundFont")).toString()};
}

void writeSoundChoices(QSettings &s, const SoundChoices &c)
{
    if (!c.soundFont.isEmpty())
        s.setValue(QStringLiteral("sound/soundFont"), c.soundFont);
}

void forgetChoices(QSettings &s)
{
    s.clear();
    s.sync();
}

} // namespace tunedeck

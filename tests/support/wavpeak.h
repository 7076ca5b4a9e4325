// The loudest sample of a WAV file read as 16 bits, in dB below full scale; NaN when it
// cannot be read. Link PkgConfig::SNDFILE.
#ifndef TUNEDECK_WAVPEAK_H
#define TUNEDECK_WAVPEAK_H

#include <QFile>

#include <sndfile.h>

#include <cmath>
#include <vector>

inline double peakDbfs(const QString &path)
{
    SF_INFO info{};
    SNDFILE *wav = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    std::vector<short> samples(wav ? std::size_t(info.frames * info.channels) : 0);
    if (!wav || sf_readf_short(wav, samples.data(), info.frames) != info.frames || sf_close(wav) != 0)
        return NAN;
    short peak = 0;
    for (short s : samples)
        peak = std::max<short>(peak, short(std::abs(s)));
    return 20 * std::log10(peak / 32768.0);
}

#endif

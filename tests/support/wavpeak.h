// The loudest sample of a WAV file as libsndfile reads it to 16 bits, in dB below full
// scale; +inf when it cannot be read. Link PkgConfig::SNDFILE.
#ifndef TUNEDECK_WAVPEAK_H
#define TUNEDECK_WAVPEAK_H

#include <QFile>
#include <QString>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

inline double peakDbfs(const QString &path)
{
    SF_INFO info{};
    SNDFILE *wav = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!wav)
        return INFINITY;
    std::vector<short> samples(std::size_t(info.frames) * std::size_t(info.channels));
    sf_readf_short(wav, samples.data(), info.frames);
    sf_close(wav);
    int peak = 0;
    for (short s : samples)
        peak = std::max(peak, std::abs(int(s)));
    return 20 * std::log10(peak / 32768.0);
}

#endif

// The run-time binding to the key-detection library, loaded by name and bound function
// by function on first use.
#ifndef TUNEDECK_TONALYTELIBRARY_H
#define TUNEDECK_TONALYTELIBRARY_H

#include "tonalyte.h"

#include <QLibrary>
#include <QString>

namespace tunedeck {

class TonalyteLibrary {
public:
    static constexpr qint32 RequiredVersion = 126;

    // name: a bare library name is found by the platform's library search ("Tonalyte"
    // becomes libTonalyte.so or Tonalyte.dll); a path loads that file.
    explicit TonalyteLibrary(const QString &name = QStringLiteral("Tonalyte"));

    // True when the library is loaded and KeyGetDllVersion answers exactly 126.
    // version receives the answer (0 when the call could not be bound).
    bool checkVersion(qint32 &version);

    // Set when a call could not be bound; that call then returned its failure value
    // (-1 for the event functions, 0 otherwise) instead of reaching the library.
    const QString &bindError() const { return bindError_; }

    qint32 KeyGetDllVersion();
    qint32 KeyClearEvs();
    qint32 KeyStartTimer();
    qint32 KeyStopTimer();
    qint32 KeyGetTimeTCnt();
    float KeyGetSsMinCur();
    qint32 KeyGetInpTCnt();
    qint32 KeyGetTapCnt();
    qint32 KeyGetKeyType();
    qint32 KeyGetHaCode();
    qint32 KeyGetKStatic(qint32 *keys, qint32 *counts);
    qint32 KeySetTrkEvsF(qint32 plTime, qint32 EvCod, qint32 EvCao, qint32 EvVel);
    qint32 KeySetTrkEvsR(qint32 EvCod, qint32 EvCao, qint32 EvVel, qint32 *out1, qint32 *out2);
    qint32 KeyGetKTiming(qint32 *keys, qint32 *times);
    qint32 KeySetDetectMode(qint32 flag);
    qint32 KeySetSensitive(qint32 flag);
    qint32 KeySetTestOn(qint32 flag);

private:
    template <typename Fn>
    Fn bind(Fn &slot, const char *name);

    QLibrary library_;
    QString bindError_;
    decltype(&::KeyGetDllVersion) getDllVersion_ = nullptr;
    decltype(&::KeyClearEvs) clearEvs_ = nullptr;
    decltype(&::KeyStartTimer) startTimer_ = nullptr;
    decltype(&::KeyStopTimer) stopTimer_ = nullptr;
    decltype(&::KeyGetTimeTCnt) getTimeTCnt_ = nullptr;
    decltype(&::KeyGetSsMinCur) getSsMinCur_ = nullptr;
    decltype(&::KeyGetInpTCnt) getInpTCnt_ = nullptr;
    decltype(&::KeyGetTapCnt) getTapCnt_ = nullptr;
    decltype(&::KeyGetKeyType) getKeyType_ = nullptr;
    decltype(&::KeyGetHaCode) getHaCode_ = nullptr;
    decltype(&::KeyGetKStatic) getKStatic_ = nullptr;
    decltype(&::KeySetTrkEvsF) setTrkEvsF_ = nullptr;
    decltype(&::KeySetTrkEvsR) setTrkEvsR_ = nullptr;
    decltype(&::KeyGetKTiming) getKTiming_ = nullptr;
    decltype(&::KeySetDetectMode) setDetectMode_ = nullptr;
    decltype(&::KeySetSensitive) setSensitive_ = nullptr;
    decltype(&::KeySetTestOn) setTestOn_ = nullptr;
};

// The library's sensitivity flag: "More sensitive" decides from six sounding pitch
// classes (0), "Normal" needs seven (1).
constexpr qint32 sensitivityFlag(bool moreSensitive)
{
    return moreSensitive ? 0 : 1;
}

// The three-line message shown when the library is missing or of another version.
QString versionMessage();

} // namespace tunedeck

#endif

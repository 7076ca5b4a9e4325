#include "binding/tonalytelibrary.h"

namespace tunedeck {

TonalyteLibrary::TonalyteLibrary(const QString &name) : library_(name) {}

template <typename Fn>
Fn TonalyteLibrary::bind(Fn &slot, const char *name)
{
    if (!slot) {
        slot = reinterpret_cast<Fn>(library_.resolve(name));
        if (!slot)
            bindError_ = QStringLiteral("Tonalyte: cannot bind %1 (%2)")
                             .arg(QLatin1String(name), library_.errorString());
    }
    return slot;
}

bool TonalyteLibrary::checkVersion(qint32 &version)
{
    version = 0;
    if (!bind(getDllVersion_, "KeyGetDllVersion"))
        return false;
    version = getDllVersion_();
    return version == RequiredVersion;
}

// Each call binds its function the first time; a function the library lacks fails in the
// handler that calls it, with the reason in bindError().
#define TONALYTE_CALL_OR(slot, name, failure, ...)                                        \
    do {                                                                                   \
        if (auto fn = bind(slot, name))                                                    \
            return fn(__VA_ARGS__);                                                        \
        return failure;                                                                    \
    } while (false)

qint32 TonalyteLibrary::KeyGetDllVersion() { TONALYTE_CALL_OR(getDllVersion_, "KeyGetDllVersion", 0); }
qint32 TonalyteLibrary::KeyClearEvs() { TONALYTE_CALL_OR(clearEvs_, "KeyClearEvs", 0); }
qint32 TonalyteLibrary::KeyStartTimer() { TONALYTE_CALL_OR(startTimer_, "KeyStartTimer", 0); }
qint32 TonalyteLibrary::KeyStopTimer() { TONALYTE_CALL_OR(stopTimer_, "KeyStopTimer", 0); }
qint32 TonalyteLibrary::KeyGetTimeTCnt() { TONALYTE_CALL_OR(getTimeTCnt_, "KeyGetTimeTCnt", 0); }
float TonalyteLibrary::KeyGetSsMinCur() { TONALYTE_CALL_OR(getSsMinCur_, "KeyGetSsMinCur", 0.0f); }
qint32 TonalyteLibrary::KeyGetInpTCnt() { TONALYTE_CALL_OR(getInpTCnt_, "KeyGetInpTCnt", 0); }
qint32 TonalyteLibrary::KeyGetTapCnt() { TONALYTE_CALL_OR(getTapCnt_, "KeyGetTapCnt", 0); }
qint32 TonalyteLibrary::KeyGetKeyType() { TONALYTE_CALL_OR(getKeyType_, "KeyGetKeyType", 0); }
qint32 TonalyteLibrary::KeyGetHaCode() { TONALYTE_CALL_OR(getHaCode_, "KeyGetHaCode", 0); }

qint32 TonalyteLibrary::KeyGetKStatic(qint32 *keys, qint32 *counts)
{
    TONALYTE_CALL_OR(getKStatic_, "KeyGetKStatic", 0, keys, counts);
}

qint32 TonalyteLibrary::KeySetTrkEvsF(qint32 plTime, qint32 EvCod, qint32 EvCao, qint32 EvVel)
{
    TONALYTE_CALL_OR(setTrkEvsF_, "KeySetTrkEvsF", -1, plTime, EvCod, EvCao, EvVel);
}

qint32 TonalyteLibrary::KeySetTrkEvsR(qint32 EvCod, qint32 EvCao, qint32 EvVel, qint32 *out1,
                                      qint32 *out2)
{
    TONALYTE_CALL_OR(setTrkEvsR_, "KeySetTrkEvsR", -1, EvCod, EvCao, EvVel, out1, out2);
}

qint32 TonalyteLibrary::KeyGetKTiming(qint32 *keys, qint32 *times)
{
    TONALYTE_CALL_OR(getKTiming_, "KeyGetKTiming", 0, keys, times);
}

qint32 TonalyteLibrary::KeySetDetectMode(qint32 flag) { TONALYTE_CALL_OR(setDetectMode_, "KeySetDetectMode", 0, flag); }
qint32 TonalyteLibrary::KeySetSensitive(qint32 flag) { TONALYTE_CALL_OR(setSensitive_, "KeySetSensitive", 0, flag); }
qint32 TonalyteLibrary::KeySetTestOn(qint32 flag) { TONALYTE_CALL_OR(setTestOn_, "KeySetTestOn", 0, flag); }

#undef TONALYTE_CALL_OR

QString versionMessage()
{
    // Three digits at least, as every version number the program shows.
    const QString version = QStringLiteral("%1").arg(TonalyteLibrary::RequiredVersion, 3, 10, QLatin1Char('0'));
    return QStringLiteral("Sorry. This program needs Tonalyte.dll version ")
        + version + QStringLiteral(" to run.") + QChar('\n')
        + QStringLiteral("You can found Tonalyte.dll on our web site ")
        + QStringLiteral(TUNEDECK_WEB_ADDRESS) + QChar(' ') + QChar('\n')
        + QStringLiteral("Welcome!");
}

} // namespace tunedeck

#include "qt/binding/tonalytelibrary.h"

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

bool TonalyteLibrary::checkVersion(std::int32_t &version)
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

std::int32_t TonalyteLibrary::KeyGetDllVersion() { TONALYTE_CALL_OR(getDllVersion_, "KeyGetDllVersion", 0); }
std::int32_t TonalyteLibrary::KeyClearEvs() { TONALYTE_CALL_OR(clearEvs_, "KeyClearEvs", 0); }
std::int32_t TonalyteLibrary::KeyStartTimer() { TONALYTE_CALL_OR(startTimer_, "KeyStartTimer", 0); }
std::int32_t TonalyteLibrary::KeyStopTimer() { TONALYTE_CALL_OR(stopTimer_, "KeyStopTimer", 0); }
std::int32_t TonalyteLibrary::KeyGetTimeTCnt() { TONALYTE_CALL_OR(getTimeTCnt_, "KeyGetTimeTCnt", 0); }
float TonalyteLibrary::KeyGetSsMinCur() { TONALYTE_CALL_OR(getSsMinCur_, "KeyGetSsMinCur", 0.0f); }
std::int32_t TonalyteLibrary::KeyGetInpTCnt() { TONALYTE_CALL_OR(getInpTCnt_, "KeyGetInpTCnt", 0); }
std::int32_t TonalyteLibrary::KeyGetTapCnt() { TONALYTE_CALL_OR(getTapCnt_, "KeyGetTapCnt", 0); }
std::int32_t TonalyteLibrary::KeyGetKeyType() { TONALYTE_CALL_OR(getKeyType_, "KeyGetKeyType", 0); }
std::int32_t TonalyteLibrary::KeyGetHaCode() { TONALYTE_CALL_OR(getHaCode_, "KeyGetHaCode", 0); }

std::int32_t TonalyteLibrary::KeyGetKStatic(std::int32_t *keys, std::int32_t *counts)
{
    TONALYTE_CALL_OR(getKStatic_, "KeyGetKStatic", 0, keys, counts);
}

std::int32_t TonalyteLibrary::KeySetTrkEvsF(std::int32_t plTime, std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel)
{
    TONALYTE_CALL_OR(setTrkEvsF_, "KeySetTrkEvsF", -1, plTime, EvCod, EvCao, EvVel);
}

std::int32_t TonalyteLibrary::KeySetTrkEvsR(std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel, std::int32_t *out1,
                                      std::int32_t *out2)
{
    TONALYTE_CALL_OR(setTrkEvsR_, "KeySetTrkEvsR", -1, EvCod, EvCao, EvVel, out1, out2);
}

std::int32_t TonalyteLibrary::KeyGetKTiming(std::int32_t *keys, std::int32_t *times)
{
    TONALYTE_CALL_OR(getKTiming_, "KeyGetKTiming", 0, keys, times);
}

std::int32_t TonalyteLibrary::KeySetDetectMode(std::int32_t flag) { TONALYTE_CALL_OR(setDetectMode_, "KeySetDetectMode", 0, flag); }
std::int32_t TonalyteLibrary::KeySetSensitive(std::int32_t flag) { TONALYTE_CALL_OR(setSensitive_, "KeySetSensitive", 0, flag); }
std::int32_t TonalyteLibrary::KeySetTestOn(std::int32_t flag) { TONALYTE_CALL_OR(setTestOn_, "KeySetTestOn", 0, flag); }

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

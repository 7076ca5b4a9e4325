// Tonalyte's 17 functions as the program calls them, whichever way the engine is reached:
// loaded by name at run time (TonalyteLibrary, the desktop program and tunedeck-detect) or
// linked in (LinkedTonalyte, for builds that cannot load a shared library, and for tests
// that drive its clock).
#ifndef TUNEDECK_CORE_TONALYTE_TONALYTEENGINE_H
#define TUNEDECK_CORE_TONALYTE_TONALYTEENGINE_H

#include <cstdint>
#include <string>

namespace tunedeck {

class TonalyteEngine {
public:
    static constexpr std::int32_t RequiredVersion = 126;

    virtual ~TonalyteEngine() = default;

    // True when the engine answers KeyGetDllVersion with exactly 126; version receives the
    // answer (0 when the call could not be made).
    virtual bool checkVersion(std::int32_t &version);
    // Set when a call could not reach the engine; that call then returned its failure value
    // (-1 for the event functions, 0 otherwise).
    virtual std::string bindError() const { return {}; }

    virtual std::int32_t KeyGetDllVersion() = 0;
    virtual std::int32_t KeyClearEvs() = 0;
    virtual std::int32_t KeyStartTimer() = 0;
    virtual std::int32_t KeyStopTimer() = 0;
    virtual std::int32_t KeyGetTimeTCnt() = 0;
    virtual float KeyGetSsMinCur() = 0;
    virtual std::int32_t KeyGetInpTCnt() = 0;
    virtual std::int32_t KeyGetTapCnt() = 0;
    virtual std::int32_t KeyGetKeyType() = 0;
    virtual std::int32_t KeyGetHaCode() = 0;
    virtual std::int32_t KeyGetKStatic(std::int32_t *keys, std::int32_t *counts) = 0;
    virtual std::int32_t KeySetTrkEvsF(std::int32_t plTime, std::int32_t EvCod, std::int32_t EvCao,
                                       std::int32_t EvVel) = 0;
    virtual std::int32_t KeySetTrkEvsR(std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel,
                                       std::int32_t *out1, std::int32_t *out2) = 0;
    virtual std::int32_t KeyGetKTiming(std::int32_t *keys, std::int32_t *times) = 0;
    virtual std::int32_t KeySetDetectMode(std::int32_t flag) = 0;
    virtual std::int32_t KeySetSensitive(std::int32_t flag) = 0;
    virtual std::int32_t KeySetTestOn(std::int32_t flag) = 0;
};

inline bool TonalyteEngine::checkVersion(std::int32_t &version)
{
    version = KeyGetDllVersion();
    return version == RequiredVersion;
}

// The library's sensitivity flag: "More sensitive" decides from six sounding pitch
// classes (0), "Normal" needs seven (1).
constexpr std::int32_t sensitivityFlag(bool moreSensitive)
{
    return moreSensitive ? 0 : 1;
}

} // namespace tunedeck

#endif

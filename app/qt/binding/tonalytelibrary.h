// The run-time binding to the key-detection library, loaded by name and bound function
// by function on first use: how the desktop program and tunedeck-detect reach the engine.
#ifndef TUNEDECK_QT_BINDING_TONALYTELIBRARY_H
#define TUNEDECK_QT_BINDING_TONALYTELIBRARY_H

#include "core/tonalyte/tonalyteengine.h"
#include "tonalyte.h"

#include <QLibrary>
#include <QString>

namespace tunedeck {

class TonalyteLibrary final : public TonalyteEngine {
public:
    // name: a bare library name is found by the platform's library search ("Tonalyte"
    // becomes libTonalyte.so or Tonalyte.dll); a path loads that file.
    explicit TonalyteLibrary(const QString &name = QStringLiteral("Tonalyte"));

    // True when the library is loaded and KeyGetDllVersion answers exactly 126.
    bool checkVersion(std::int32_t &version) override;
    // Set when a call could not be bound.
    std::string bindError() const override { return bindError_.toStdString(); }

    std::int32_t KeyGetDllVersion() override;
    std::int32_t KeyClearEvs() override;
    std::int32_t KeyStartTimer() override;
    std::int32_t KeyStopTimer() override;
    std::int32_t KeyGetTimeTCnt() override;
    float KeyGetSsMinCur() override;
    std::int32_t KeyGetInpTCnt() override;
    std::int32_t KeyGetTapCnt() override;
    std::int32_t KeyGetKeyType() override;
    std::int32_t KeyGetHaCode() override;
    std::int32_t KeyGetKStatic(std::int32_t *keys, std::int32_t *counts) override;
    std::int32_t KeySetTrkEvsF(std::int32_t plTime, std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel) override;
    std::int32_t KeySetTrkEvsR(std::int32_t EvCod, std::int32_t EvCao, std::int32_t EvVel, std::int32_t *out1, std::int32_t *out2) override;
    std::int32_t KeyGetKTiming(std::int32_t *keys, std::int32_t *times) override;
    std::int32_t KeySetDetectMode(std::int32_t flag) override;
    std::int32_t KeySetSensitive(std::int32_t flag) override;
    std::int32_t KeySetTestOn(std::int32_t flag) override;

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

// The three-line message shown when the library is missing or of another version.
QString versionMessage();

} // namespace tunedeck

#endif

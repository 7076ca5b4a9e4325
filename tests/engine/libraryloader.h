// Loads the Tonalyte shared library by path at run time and binds its exports by
// name, the way Tunedeck does, so the tests see exactly what the program sees.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tonalyte.h"

namespace tonalyte_test {

struct TonalyteApi {
    int32_t(TONALYTE_CALL *KeyGetDllVersion)();
    int32_t(TONALYTE_CALL *KeyClearEvs)();
    int32_t(TONALYTE_CALL *KeyStartTimer)();
    int32_t(TONALYTE_CALL *KeyStopTimer)();
    int32_t(TONALYTE_CALL *KeyGetTimeTCnt)();
    float(TONALYTE_CALL *KeyGetSsMinCur)();
    int32_t(TONALYTE_CALL *KeyGetInpTCnt)();
    int32_t(TONALYTE_CALL *KeyGetTapCnt)();
    int32_t(TONALYTE_CALL *KeyGetKeyType)();
    int32_t(TONALYTE_CALL *KeyGetHaCode)();
    int32_t(TONALYTE_CALL *KeyGetKStatic)(int32_t *keys, int32_t *counts);
    int32_t(TONALYTE_CALL *KeySetTrkEvsF)(int32_t plTime, int32_t EvCod, int32_t EvCao, int32_t EvVel);
    int32_t(TONALYTE_CALL *KeySetTrkEvsR)(int32_t EvCod, int32_t EvCao, int32_t EvVel, int32_t *out1,
                                          int32_t *out2);
    int32_t(TONALYTE_CALL *KeyGetKTiming)(int32_t *keys, int32_t *times);
    int32_t(TONALYTE_CALL *KeySetDetectMode)(int32_t flag);
    int32_t(TONALYTE_CALL *KeySetSensitive)(int32_t flag);
    int32_t(TONALYTE_CALL *KeySetTestOn)(int32_t flag);
};

// In export-table order.
inline constexpr std::array<const char *, 17> kTonalyteExports = {
    "KeyGetDllVersion", "KeyClearEvs",   "KeyStartTimer",  "KeyStopTimer",     "KeyGetTimeTCnt",
    "KeyGetSsMinCur",   "KeyGetInpTCnt", "KeyGetTapCnt",   "KeyGetKeyType",    "KeyGetHaCode",
    "KeyGetKStatic",    "KeySetTrkEvsF", "KeySetTrkEvsR",  "KeyGetKTiming",    "KeySetDetectMode",
    "KeySetSensitive",  "KeySetTestOn"};

class LibraryLoader {
public:
    explicit LibraryLoader(const std::string &path);
    ~LibraryLoader();
    LibraryLoader(const LibraryLoader &) = delete;
    LibraryLoader &operator=(const LibraryLoader &) = delete;

    bool isLoaded() const { return handle_ != nullptr; }
    const std::string &error() const { return error_; }

    // The address of an exported name, or nullptr.
    void *symbol(const char *name) const;
#if defined(_WIN32)
    // The address of an export by its ordinal (engine/tonalyte.def), or nullptr.
    void *symbol(int ordinal) const;
#endif

    // Binds all 17 exports; false if any is missing, and error() names it.
    bool bind(TonalyteApi &api);

private:
    template <typename Fn>
    bool bindOne(Fn &slot, const char *name);

    void *handle_ = nullptr;
    std::string error_;
};

}  // namespace tonalyte_test

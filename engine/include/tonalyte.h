/* Tonalyte: key detection from MIDI note events.
 *
 * One engine per process, fed note-on and note-off events one at a time, either
 * stamped with the library's own 1 ms tick (KeySetTrkEvsR) or with a time the
 * caller supplies (KeySetTrkEvsF). Every argument is 32 bits wide; MIDI bytes are
 * taken from the low 8 bits. Event functions return the key code in force
 * (0 none, 60..71 minor, 160..171 major) or -1 for a rejected event.
 */
#ifndef TONALYTE_H
#define TONALYTE_H

#include <stdint.h>

#if defined(_WIN32)
#  define TONALYTE_CALL __stdcall
#  if defined(Tonalyte_EXPORTS) || defined(TONALYTE_STATIC)
     /* tonalyte.def alone names the exports, undecorated and in ordinal order; dllexport
        would add the decorated stdcall names (KeyClearEvs@0) beside them. */
#    define TONALYTE_API
#  else
#    define TONALYTE_API __declspec(dllimport)
#  endif
#else
#  define TONALYTE_CALL
#  if defined(Tonalyte_EXPORTS) && !defined(TONALYTE_STATIC)
#    define TONALYTE_API __attribute__((visibility("default")))
#  else
#    define TONALYTE_API
#  endif
#endif

#define TONALYTE_VERSION 126

#ifdef __cplusplus
extern "C" {
#endif

/* In export-table order (ordinals 1 to 17). */
TONALYTE_API int32_t TONALYTE_CALL KeyGetDllVersion(void);
TONALYTE_API int32_t TONALYTE_CALL KeyClearEvs(void);
TONALYTE_API int32_t TONALYTE_CALL KeyStartTimer(void);
TONALYTE_API int32_t TONALYTE_CALL KeyStopTimer(void);
TONALYTE_API int32_t TONALYTE_CALL KeyGetTimeTCnt(void);
TONALYTE_API float   TONALYTE_CALL KeyGetSsMinCur(void);
TONALYTE_API int32_t TONALYTE_CALL KeyGetInpTCnt(void);
TONALYTE_API int32_t TONALYTE_CALL KeyGetTapCnt(void);
TONALYTE_API int32_t TONALYTE_CALL KeyGetKeyType(void);
TONALYTE_API int32_t TONALYTE_CALL KeyGetHaCode(void);
/* keys and counts: 24 elements each (C..B major, then C..B minor). */
TONALYTE_API int32_t TONALYTE_CALL KeyGetKStatic(int32_t *keys, int32_t *counts);
TONALYTE_API int32_t TONALYTE_CALL KeySetTrkEvsF(int32_t plTime, int32_t EvCod, int32_t EvCao, int32_t EvVel);
TONALYTE_API int32_t TONALYTE_CALL KeySetTrkEvsR(int32_t EvCod, int32_t EvCao, int32_t EvVel,
                                                 int32_t *out1, int32_t *out2);
/* keys and times: 256 elements each; ends with time -1 unless the timeline is full. */
TONALYTE_API int32_t TONALYTE_CALL KeyGetKTiming(int32_t *keys, int32_t *times);
TONALYTE_API int32_t TONALYTE_CALL KeySetDetectMode(int32_t flag);
TONALYTE_API int32_t TONALYTE_CALL KeySetSensitive(int32_t flag);
TONALYTE_API int32_t TONALYTE_CALL KeySetTestOn(int32_t flag);

#ifdef __cplusplus
}
#endif

#endif /* TONALYTE_H */

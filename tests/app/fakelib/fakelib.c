/* A stand-in for the key-detection library that fails the program's version check:
 * built with FAKE_VERSION it answers that version, without it it lacks KeyGetDllVersion. */
#include "tonalyte.h"

#ifdef FAKE_VERSION
TONALYTE_API int32_t TONALYTE_CALL KeyGetDllVersion(void)
{
    return FAKE_VERSION;
}
#endif

TONALYTE_API int32_t TONALYTE_CALL KeyClearEvs(void)
{
    return 1;
}

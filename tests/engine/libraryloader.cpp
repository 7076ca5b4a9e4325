#include "libraryloader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace tonalyte_test {

LibraryLoader::LibraryLoader(const std::string &path) {
#if defined(_WIN32)
    handle_ = reinterpret_cast<void *>(LoadLibraryA(path.c_str()));
    if (!handle_)
        error_ = "LoadLibrary failed for " + path + " (error " + std::to_string(GetLastError()) + ")";
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char *why = dlerror();
        error_ = "dlopen failed: " + std::string(why ? why : path);
    }
#endif
}

LibraryLoader::~LibraryLoader() {
    if (!handle_)
        return;
#if defined(_WIN32)
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

void *LibraryLoader::symbol(const char *name) const {
    if (!handle_)
        return nullptr;
#if defined(_WIN32)
    // Through a plain function pointer first: FARPROC is not a data pointer.
    return reinterpret_cast<void *>(
        reinterpret_cast<void (*)()>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name)));
#else
    return dlsym(handle_, name);
#endif
}

#if defined(_WIN32)
void *LibraryLoader::symbol(int ordinal) const {
    if (!handle_)
        return nullptr;
    return reinterpret_cast<void *>(reinterpret_cast<void (*)()>(
        GetProcAddress(reinterpret_cast<HMODULE>(handle_), MAKEINTRESOURCEA(ordinal))));
}
#endif

template <typename Fn>
bool LibraryLoader::bindOne(Fn &slot, const char *name) {
    slot = reinterpret_cast<Fn>(symbol(name));
    if (!slot && error_.empty())
        error_ = std::string("missing export ") + name;
    return slot != nullptr;
}

bool LibraryLoader::bind(TonalyteApi &api) {
    if (!handle_)
        return false;
    bool ok = true;
#define TONALYTE_BIND(name) ok = bindOne(api.name, #name) && ok
    TONALYTE_BIND(KeyGetDllVersion);
    TONALYTE_BIND(KeyClearEvs);
    TONALYTE_BIND(KeyStartTimer);
    TONALYTE_BIND(KeyStopTimer);
    TONALYTE_BIND(KeyGetTimeTCnt);
    TONALYTE_BIND(KeyGetSsMinCur);
    TONALYTE_BIND(KeyGetInpTCnt);
    TONALYTE_BIND(KeyGetTapCnt);
    TONALYTE_BIND(KeyGetKeyType);
    TONALYTE_BIND(KeyGetHaCode);
    TONALYTE_BIND(KeyGetKStatic);
    TONALYTE_BIND(KeySetTrkEvsF);
    TONALYTE_BIND(KeySetTrkEvsR);
    TONALYTE_BIND(KeyGetKTiming);
    TONALYTE_BIND(KeySetDetectMode);
    TONALYTE_BIND(KeySetSensitive);
    TONALYTE_BIND(KeySetTestOn);
#undef TONALYTE_BIND
    return ok;
}

}  // namespace tonalyte_test

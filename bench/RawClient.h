// The client's interface loaded as the program loads it, for the benchmarks
// that measure the program against the same work written straight against it.
#pragma once

#include <dlfcn.h>
#include <firebird/Interface.h>

struct Raw {
    Firebird::IMaster* master = nullptr;
    Firebird::IProvider* provider = nullptr;
    Firebird::IUtil* util = nullptr;
};

inline Raw loadRaw() {
    void* lib = dlopen("libfbclient.so.2", RTLD_NOW);
    auto entry = reinterpret_cast<Firebird::IMaster* (*)()>(dlsym(lib, "fb_get_master_interface"));
    Raw r;
    r.master = entry();
    r.provider = r.master->getDispatcher();
    r.util = r.master->getUtilInterface();
    return r;
}

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// Loads the virtual board's library: first the copy beside this library
// (the same build, or the same installation), then wherever the dynamic
// linker finds it.
#include "virtual-board.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

#include "internal.h"

namespace orn {

namespace {

constexpr const char* kLibrary = "libornsim.so.1";

VirtualBoard gBoard;
const VirtualBoard* gLoaded = nullptr;
std::string gFailure;

void* OpenBesideThisLibrary() {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&LoadVirtualBoard), &self) == 0 || self.dli_fname == nullptr) return nullptr;
    std::string path = self.dli_fname;
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return nullptr;
    path.replace(slash + 1, std::string::npos, kLibrary);
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

template <typename Function>
bool Bind(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

void Load() {
    void* handle = OpenBesideThisLibrary();
    if (handle == nullptr) handle = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = dlerror();
        gFailure = error ? error : kLibrary;
        return;
    }
    VirtualBoard& b = gBoard;
    if (Bind(handle, "ornsim_start", b.start) && Bind(handle, "ornsim_has_zoka", b.hasZoka) &&
        Bind(handle, "ornsim_call", b.call) && Bind(handle, "ornsim_stop", b.stop) &&
        Bind(handle, "ornsim_port_in", b.portIn) && Bind(handle, "ornsim_port_out", b.portOut) &&
        Bind(handle, "ornsim_iopl", b.iopl)) {
        gLoaded = &gBoard;
        return;
    }
    gFailure = std::string(kLibrary) + " lacks the virtual board's functions";
    dlclose(handle);
}

}  // namespace

const VirtualBoard* LoadVirtualBoard() {
    static std::once_flag once;
    std::call_once(once, Load);
    if (gLoaded == nullptr)
        DebugStep("loading the virtual board", 0,
                  (gFailure + " (the virtual board is the package libornsim1)").c_str());
    return gLoaded;
}

}  // namespace orn

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// Loads the virtual board's library: first the copy beside this library
// (the same build, or the same installation), then wherever the dynamic
// linker finds it.
#include "debug.h"
#include "virtual-board.h"

#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "internal.h"

namespace orn {

namespace {

constexpr const char* kLibrary = "libornsim.so.1";

VirtualBoard gBoard;
const VirtualBoard* gLoaded = nullptr;
char gFailure[512];

void* OpenBesideThisLibrary() {
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&LoadVirtualBoard), &self) == 0 || self.dli_fname == nullptr) return nullptr;
    const char* slash = strrchr(self.dli_fname, '/');
    char path[PATH_MAX];
    if (slash == nullptr ||
        snprintf(path, sizeof path, "%.*s/%s", int(slash - self.dli_fname), self.dli_fname, kLibrary) >=
            int(sizeof path))
        return nullptr;
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
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
        snprintf(gFailure, sizeof gFailure, "%s", error ? error : kLibrary);
        return;
    }
    VirtualBoard& b = gBoard;
    if (Bind(handle, "ornsim_start", b.start) && Bind(handle, "ornsim_has_zoka", b.hasZoka) &&
        Bind(handle, "ornsim_call", b.call) && Bind(handle, "ornsim_stop", b.stop) &&
        Bind(handle, "ornsim_port_in", b.portIn) && Bind(handle, "ornsim_port_out", b.portOut) &&
        Bind(handle, "ornsim_iopl", b.iopl) && Bind(handle, "ornsim_lock", b.lock) &&
        Bind(handle, "ornsim_unlock", b.unlock)) {
        gLoaded = &gBoard;
        return;
    }
    snprintf(gFailure, sizeof gFailure, "%s lacks the virtual board's functions", kLibrary);
    dlclose(handle);
}

}  // namespace

const VirtualBoard* LoadVirtualBoard() {
    static const bool tried = (Load(), true);  // once, whichever thread comes first
    (void)tried;
    if (gLoaded == nullptr) {
        char reason[600];
        snprintf(reason, sizeof reason, "%s (the virtual board is the package libornsim1)", gFailure);
        DebugStep("loading the virtual board", 0, reason);
    }
    return gLoaded;
}

VirtualBoard::Instance* StartVirtualBoard(const VirtualBoard*& board) {
    board = LoadVirtualBoard();
    if (board == nullptr) return nullptr;
    VirtualBoard::Instance* instance = board->start();
    if (instance == nullptr)
        DebugStep("starting the virtual board", 0, "the board cannot be used (see the ornsim: line above)");
    return instance;
}

}  // namespace orn

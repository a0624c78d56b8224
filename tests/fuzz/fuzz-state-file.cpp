// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Fuzzes the state-file loader: the input is the state file that the library
// opens the virtual board on. A file that is refused must be refused cleanly;
// one that is taken must serve a call of every API function on every memory,
// bus and sensor in it, and the ports.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "every-call.h"
#include "scratch.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    unsetenv("ORNSIM_BOARD");
    unsetenv("ORNSIM_TRACE");
    setenv("ORNSIM_STATE", fuzz::ScratchPath("state").c_str(), 1);
    return 0;
}

// Bytes 24 to 127 of a state file are the board's run-time sharing (who is
// inside the firmware, the board's lock), not contents the loader takes:
// a file that names a running process there waits for it or stops, as it
// must. They are kept clear, and the rest of the file fuzzed.
constexpr size_t kSharingAt = 24, kSharingEnd = 128;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string file(reinterpret_cast<const char*>(bytes), size);
    if (file.size() > kSharingAt) file.replace(kSharingAt, std::min(file.size(), kSharingEnd) - kSharingAt,
                                               std::min(file.size(), kSharingEnd) - kSharingAt, '\0');
    std::ofstream(fuzz::ScratchPath("state"), std::ios::binary | std::ios::trunc)
        .write(file.data(), std::streamsize(file.size()));
    if (OrnOpen()) {
        every_call::OnEveryDevice();
        OrnClose();
    }
    unlink(fuzz::ScratchPath("state").c_str());
    return 0;
}

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Fuzzes the state-file loader: the input is the state file that a board
// instance opens. A file that is refused must be refused cleanly; one that is
// taken must serve calls that read and write every kind of memory in it.
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "ornsim.h"
#include "scratch.h"
#include "zoka.h"

namespace {

void* NoBuffer(void*, uint16_t, uint32_t) { return nullptr; }

uint16_t Call(ornsim* sim, DWORD function, void* block) { return ornsim_call(sim, function, block, NoBuffer, nullptr); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    unsetenv("ORNSIM_BOARD");
    unsetenv("ORNSIM_TRACE");
    setenv("ORNSIM_STATE", fuzz::ScratchPath("state").c_str(), 1);
    return 0;
}

// Bytes 24 to 127 of a state file are the board's run-time sharing (who is
// inside the firmware, the board's lock), not contents the loader takes:
// a file that names a running process there waits for it or stops, by
// design. They are kept clear, and the rest of the file fuzzed.
constexpr size_t kSharingAt = 24, kSharingEnd = 128;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::string file(reinterpret_cast<const char*>(bytes), size);
    if (file.size() > kSharingAt) file.replace(kSharingAt, std::min(file.size(), kSharingEnd) - kSharingAt,
                                               std::min(file.size(), kSharingEnd) - kSharingAt, '\0');
    std::ofstream(fuzz::ScratchPath("state"), std::ios::binary | std::ios::trunc)
        .write(file.data(), std::streamsize(file.size()));
    ornsim* sim = ornsim_start();
    if (sim != nullptr) {
        DWORD count = 0;
        Call(sim, zoka::GetNVRamCount, &count);
        for (DWORD i = 0; i < count; ++i) {
            zoka::NVRamByteBlock block{i, 0, 0};
            Call(sim, zoka::ReadNVRam, &block);
            block.data ^= 0x5A;
            Call(sim, zoka::WriteNVRam, &block);
            zoka::NVRawBlock raw{i, 0, 1};
            Call(sim, zoka::NVDeviceRaw, &raw);
        }
        BYTE config[4096];
        DWORD configSize = 0;
        if (Call(sim, zoka::GetBoardCfgSize, &configSize) == 0 && configSize <= sizeof config) {
            Call(sim, zoka::GetBoardCfg, config);
            Call(sim, zoka::SetBoardCfg, config);
        }
        zoka::I2CByteBlock i2c{};
        i2c.busid = 10;
        i2c.devaddr = 0x50;
        i2c.protocol = 1;
        Call(sim, zoka::I2CRead8, &i2c);
        ornsim_port_out(1, 0x80, 0x12);
        ornsim_port_in(4, 0x2E);
        ornsim_stop(sim);
    }
    unlink(fuzz::ScratchPath("state").c_str());
    return 0;
}

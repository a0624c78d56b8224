// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Fuzzes the devices' decoding on the virtual board: the input is a run of
// the watchdog's opens, writes, closes and ioctls, and of I2C requests as
// the kernel hands them over (any command, argument and caller bytes, over
// the rounds the decoder asks for). Every answer must have the shape its
// command says, a command a device does not know must be ENOTTY, and a
// request the decoder keeps asking about must end within four rounds.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ornsyslx.h"
#include "i2c-device.h"
#include "watchdog-device.h"

namespace {

constexpr unsigned kCommands[] = {0x80285700, 0x80045701, 0x80045702, 0x80045703, 0x80045704, 0x80045705,
                                  0xC0045706, 0x80045707, 0xC0045708, 0x80045709, 0x8004570A};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    unsetenv("ORNSIM_BOARD");
    unsetenv("ORNSIM_STATE");
    unsetenv("ORNSIM_TRACE");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!OrnOpen()) abort();
    ornsys_devices::WatchdogDevice device(30, 30);
    ornsys_devices::I2cBus bus(0);  // the default board's SMBus, with an SPD at 0x50
    ornsys_devices::I2cFile file;
    std::string why;
    for (size_t at = 0; at + 1 < size;) {
        const uint8_t step = data[at++];
        const uint8_t detail = data[at++];
        if (step >= 0x80) {  // an I2C request: command, argument, then what each round fetched
            static constexpr unsigned kI2c[] = {0x0701, 0x0702, 0x0703, 0x0704, 0x0705, 0x0706, 0x0707, 0x0708, 0x0720};
            const unsigned command = kI2c[detail % std::size(kI2c)];
            if (size - at < 2) break;
            const uint64_t argument = data[at++];
            const bool compat32 = data[at++] & 1;
            std::vector<uint8_t> in;
            size_t outSize = 0;
            for (int round = 0;; ++round) {
                const ornsys_devices::I2cStep answer = bus.ioctl(file, command, argument, compat32, in, outSize);
                if (!answer.retry) {
                    if (answer.error != 0 && !answer.bytes.empty()) abort();
                    break;
                }
                if (round == 3) abort();
                size_t wanted = 0;
                for (const auto& span : answer.in) wanted += span.size;
                outSize = 0;
                for (const auto& span : answer.out) outSize += span.size;
                if (wanted <= in.size() && outSize == 0) abort();  // asks again for what it has
                // The caller's memory: what the input still holds.
                const size_t taken = std::min(wanted, size - at);
                in.assign(data + at, data + at + taken);
                at += taken;
                if (taken < wanted) return OrnClose(), 0;
            }
            continue;
        }
        switch (step % 4) {
            case 0: device.open(); break;
            case 1: {
                const size_t length = std::min<size_t>(detail % 8, size - at);
                const long taken = device.write({data + at, length});
                if (taken != long(length) && taken != -EIO) abort();
                at += length;
                break;
            }
            case 2: device.release(why); break;
            default: {
                unsigned command = kCommands[detail % std::size(kCommands)];
                if (detail >= 0xF0 && size - at >= 4) {  // any other command
                    memcpy(&command, data + at, 4);
                    at += 4;
                }
                const ornsys_devices::IoctlShape shape = ornsys_devices::WatchdogIoctlShape(command);
                if (size - at < shape.in) return OrnClose(), 0;
                const auto result = device.ioctl(command, {data + at, shape.in});
                at += shape.in;
                if (!shape.known && result.error != ENOTTY) abort();
                if (result.error == 0 && result.out.size() != shape.out) abort();
                if (result.error != 0 && !result.out.empty()) abort();
            }
        }
    }
    device.release(why);
    OrnClose();
    return 0;
}

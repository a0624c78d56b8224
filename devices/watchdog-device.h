// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// watchdog-device.h - the board's watchdog as Linux's watchdog device
// (<linux/watchdog.h>): open arms it, a write or WDIOC_KEEPALIVE feeds it,
// a close after the magic character 'V' stops it and any other close leaves
// it running. Every board call goes through the library's public API; the
// ioctl decoding is separate from the character device so that tests and
// the fuzzer drive it directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ornsys_devices {

// What an ioctl carries: the bytes it reads from the caller and writes back
// (fetched and stored by the character device); unknown: ENOTTY.
struct IoctlShape {
    bool known;
    size_t in;
    size_t out;
};
IoctlShape WatchdogIoctlShape(unsigned command);

struct IoctlResult {
    int error;  // 0, or an errno value
    std::vector<uint8_t> out;
};

class WatchdogDevice {
public:
    // `timeout`: seconds the watchdog is armed with on open; SETTIMEOUT
    // takes at most `maxTimeout`, the longest the firmware is known to do.
    WatchdogDevice(unsigned timeout, unsigned maxTimeout);

    // 0 or an errno value. One opener at a time, as for a kernel watchdog.
    int open();
    // The bytes taken, or a negative errno value.
    long write(std::span<const uint8_t> data);
    // Stops the watchdog after a magic close; `why` says what happened.
    void release(std::string& why);
    // `in` holds at least WatchdogIoctlShape(command).in bytes.
    IoctlResult ioctl(unsigned command, std::span<const uint8_t> in);

    bool armed() const { return armed_; }

private:
    int arm(unsigned timeout);
    int stop();

    unsigned timeout_;
    unsigned maxTimeout_;
    bool open_ = false;
    bool armed_ = false;
    bool expectClose_ = false;
};

}  // namespace ornsys_devices

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
#include "watchdog-device.h"

#include <linux/watchdog.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "ornsyslx.h"

namespace ornsys_devices {

namespace {

constexpr char kIdentity[] = "ornsys board watchdog";
// The firmware's watchdog commands (OrnWDConfig's third argument).
constexpr WORD kStart = 1;
constexpr WORD kStop = 0;

std::vector<uint8_t> IntBytes(int value) {
    std::vector<uint8_t> out(sizeof value);
    memcpy(out.data(), &value, sizeof value);
    return out;
}

int IntFrom(std::span<const uint8_t> in) {
    int value;
    memcpy(&value, in.data(), sizeof value);
    return value;
}

}  // namespace

IoctlShape WatchdogIoctlShape(unsigned command) {
    switch (command) {
        case WDIOC_GETSUPPORT: return {true, 0, sizeof(watchdog_info)};
        case WDIOC_GETSTATUS:
        case WDIOC_GETBOOTSTATUS:
        case WDIOC_GETTIMEOUT: return {true, 0, sizeof(int)};
        case WDIOC_KEEPALIVE: return {true, 0, 0};
        case WDIOC_SETOPTIONS: return {true, sizeof(int), 0};
        case WDIOC_SETTIMEOUT: return {true, sizeof(int), sizeof(int)};
        default: return {false, 0, 0};  // no temperature, pretimeout or time left
    }
}

WatchdogDevice::WatchdogDevice(unsigned timeout, unsigned maxTimeout)
    : timeout_(std::min(timeout, maxTimeout)), maxTimeout_(maxTimeout) {}

int WatchdogDevice::arm(unsigned timeout) {
    // The first deadline and every later one: the timeout.
    if (!OrnWDConfig(WORD(timeout), WORD(timeout), kStart)) {
        DWORD code = 0;
        OrnGetLastError(&code, nullptr, 0);
        return code == ORN_BIOS_OUT_OF_RANGE ? EINVAL : EIO;  // a timeout the firmware cannot do
    }
    armed_ = true;
    return 0;
}

int WatchdogDevice::stop() {
    if (!OrnWDConfig(0, 0, kStop)) return EIO;
    armed_ = false;
    return 0;
}

int WatchdogDevice::open() {
    if (open_) return EBUSY;
    if (int error = arm(timeout_)) return error;
    open_ = true;
    expectClose_ = false;
    return 0;
}

long WatchdogDevice::write(std::span<const uint8_t> data) {
    // As the kernel's watchdogs: the last write decides whether the close
    // that follows is a magic one.
    if (!data.empty()) expectClose_ = std::find(data.begin(), data.end(), 'V') != data.end();
    if (!OrnWDTrigger()) return -EIO;
    return long(data.size());
}

void WatchdogDevice::release(std::string& why) {
    open_ = false;
    if (!expectClose_) {
        why = armed_ ? "closed without the magic character: the watchdog keeps running" : "closed";
        return;
    }
    why = stop() == 0 ? "closed with the magic character: the watchdog is stopped" : "the watchdog could not be stopped";
}

IoctlResult WatchdogDevice::ioctl(unsigned command, std::span<const uint8_t> in) {
    switch (command) {
        case WDIOC_GETSUPPORT: {
            watchdog_info info{};
            info.options = WDIOF_SETTIMEOUT | WDIOF_KEEPALIVEPING | WDIOF_MAGICCLOSE | WDIOF_CARDRESET;
            memcpy(info.identity, kIdentity, sizeof kIdentity);
            std::vector<uint8_t> out(sizeof info);
            memcpy(out.data(), &info, sizeof info);
            return {0, out};
        }
        case WDIOC_GETSTATUS: return {0, IntBytes(0)};
        case WDIOC_GETBOOTSTATUS: {
            BYTE status = 0;
            if (!OrnWDGetStatus(&status)) return {EIO, {}};
            return {0, IntBytes(status == 1 ? WDIOF_CARDRESET : 0)};
        }
        case WDIOC_GETTIMEOUT: return {0, IntBytes(int(timeout_))};
        case WDIOC_KEEPALIVE: return {OrnWDTrigger() ? 0 : EIO, {}};
        case WDIOC_SETOPTIONS: {
            const int options = IntFrom(in);
            if (options & WDIOS_DISABLECARD) return {stop(), {}};
            if (options & WDIOS_ENABLECARD) return {arm(timeout_), {}};
            return {EINVAL, {}};
        }
        case WDIOC_SETTIMEOUT: {
            const int asked = IntFrom(in);
            if (asked < 1) return {EINVAL, {}};
            // The nearest the firmware is known to do; the caller reads it back.
            const unsigned timeout = std::min(unsigned(asked), maxTimeout_);
            if (armed_) {
                if (int error = arm(timeout)) return {error, {}};
            }
            timeout_ = timeout;
            return {0, IntBytes(int(timeout))};
        }
        default: return {ENOTTY, {}};
    }
}

}  // namespace ornsys_devices

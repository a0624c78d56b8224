// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// watchdog-keeper: arms the board's watchdog and triggers it periodically,
// so that the board resets if this program (or the system under it) hangs.
// SIGTERM or SIGINT disarms it and ends the program cleanly.
//
//   watchdog-keeper [--timeout SECONDS] [--period MILLISECONDS] [--count N]
//
// --timeout: the watchdog's timeout (and first delay), default 60 s;
// --period: time between triggers, default a third of the timeout;
// --count: stop after N triggers (for tests), default never.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <ornsyslx.h>

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) { gStop = 1; }

int Fail(const char* what) {
    DWORD code = 0;
    char message[64] = {};
    OrnGetLastError(&code, message, sizeof message - 1);
    std::fprintf(stderr, "watchdog-keeper: %s failed: 0x%04x %s\n", what, unsigned(code), message);
    return 1;
}

struct Options {
    long timeout = 60, periodMs = 0, count = -1;
};

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (i + 1 >= argc) return false;
        char* end = nullptr;
        long value = std::strtol(argv[++i], &end, 10);
        if (*end != '\0' || value < 0) return false;
        if (word == "--timeout" && value > 0 && value <= 0xFFFF) o.timeout = value;
        else if (word == "--period") o.periodMs = value;
        else if (word == "--count") o.count = value;
        else return false;
    }
    if (o.periodMs == 0) o.periodMs = o.timeout * 1000 / 3;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: watchdog-keeper [--timeout SECONDS] [--period MILLISECONDS] [--count N]\n");
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    if (!OrnOpen()) return Fail("OrnOpen");
    const WORD timeout = WORD(options.timeout);
    if (!OrnWDConfig(timeout, timeout, 1)) return Fail("OrnWDConfig");
    std::printf("watchdog armed: %ld s, triggered every %ld ms\n", options.timeout, options.periodMs);
    std::fflush(stdout);
    long triggers = 0;
    while (!gStop && (options.count < 0 || triggers < options.count)) {
        if (!OrnWDTrigger()) return Fail("OrnWDTrigger");
        ++triggers;
        timespec pause{options.periodMs / 1000, (options.periodMs % 1000) * 1000000};
        while (!gStop && nanosleep(&pause, &pause) != 0) {
        }
    }
    // An orderly end disarms the watchdog; only a hang lets it bite.
    if (!OrnWDConfig(0, 0, 0)) return Fail("OrnWDConfig");
    std::printf("watchdog disarmed after %ld triggers\n", triggers);
    return OrnClose() ? 0 : Fail("OrnClose");
}

// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// WD category: watchdog status, trigger and configuration.
#include <cstdio>

#include "utest.h"

namespace {

enum WdOption { WD_STATUS, WD_TRIGGER, WD_CONFIG };
constexpr const char* vargs[] = {"-s", "-t", "-c"};
constexpr int kWords[] = {3, 3, 6};  // argc each option needs

int RunOption(int option, char** argv) {
    switch (option) {
        case WD_STATUS: {
            BYTE status = 0;
            int r = utWDStatus(&status);
            if (r == 0) printf("%s\n", status == 0 ? "0 - normal power on reset" : "1 - watchdog timeout reset");
            return r;
        }
        case WD_TRIGGER: {
            int r = utWDTrigger();
            if (r == 0) printf("watchdog triggered\n");
            return r;
        }
        default: {
            int r = utWDConfig(WORD(utNumber(argv[3])), WORD(utNumber(argv[4])), WORD(utNumber(argv[5])));
            if (r == 0) printf("watchdog configured\n");
            return r;
        }
    }
}

}  // namespace

int utWDConfig(WORD delay, WORD timeout, WORD cmd) {
    return utLibCall(OrnWDConfig(delay, timeout, cmd), "%s: OrnWDConfig() failed!\n", "utWDConfig");
}

int utWDStatus(BYTE* status) {
    return utLibCall(OrnWDGetStatus(status), "%s: OrnWDGetStatus() failed!\n", "utWDStatus");
}

int utWDTrigger() { return utLibCall(OrnWDTrigger(), "%s: triggering watchdog failed!\n", "utWDTrigger"); }

// A known option with the wrong word count opens and closes the library
// before the usage text is shown.
int utHandleWD(int argc, char** argv) {
    bool usage = true;
    int result = 0;
    int option = StringInArray(argv[2], vargs);
    if (option >= 0) {
        if (int r = utOrnOpen()) return r;
        if (argc == kWords[option]) {
            usage = false;
            result = RunOption(option, argv);
        }
        result = utCloseWith(result);
    }
    if (usage) utUsageExit(CAT_WD);
    return result;
}

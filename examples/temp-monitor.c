/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* temp-monitor: watches temperature sensor 0 and raises an alarm when it
 * passes a limit. Usage: temp-monitor LIMIT SECONDS. Exits 0 on the alarm,
 * 1 when SECONDS pass without one, 2 when the board cannot be used. */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "ornsyslx.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: temp-monitor LIMIT SECONDS\n");
        return 2;
    }
    long limit = strtol(argv[1], NULL, 0);
    long polls = strtol(argv[2], NULL, 0) * 20;
    struct timespec pause = {0, 50 * 1000 * 1000};
    if (!OrnOpen()) {
        fprintf(stderr, "temp-monitor: the board cannot be opened\n");
        return 2;
    }
    printf("monitoring\n");
    fflush(stdout);
    for (long i = 0; i < polls; ++i) {
        SDWORD value;
        if (!OrnGetThermSensorValue(0, &value)) {
            fprintf(stderr, "temp-monitor: the sensor cannot be read\n");
            OrnClose();
            return 2;
        }
        if (value > limit) {
            printf("ALARM: CPU at %ld degrees C, above %ld\n", (long)value, limit);
            OrnClose();
            return 0;
        }
        nanosleep(&pause, NULL);
    }
    OrnClose();
    return 1;
}

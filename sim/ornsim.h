/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors
 *
 * ornsim.h - the virtual board: a simulated ZOKA firmware, in a library of
 * its own (libornsim.so.1) that the board-services library loads only when
 * the virtual backend is chosen.
 *
 * An instance is the firmware of one board, loaded from the board file named
 * by ORNSIM_BOARD (or the built-in default board). ORNSIM_TRACE names a file
 * that receives one line per firmware event; ORNSIM_STATE names a file that
 * keeps the board's writable memories between processes. */
#ifndef ORNSIM_H
#define ORNSIM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ORNSIM_API __attribute__((visibility("default")))

typedef struct ornsim ornsim;

/* Turns a far pointer found in a parameter block into the caller's buffer,
 * for the duration of one call; NULL when it names nothing. */
typedef void* (*ornsim_resolver)(void* context, uint16_t selector, uint32_t offset);

/* Starts an instance from the board. NULL when the board cannot be loaded;
 * the reason has been written to standard error. */
ORNSIM_API ornsim* ornsim_start(void);
/* 1 when the board's directory answers for the ZOKA service. */
ORNSIM_API int ornsim_has_zoka(const ornsim* sim);
/* One firmware call; returns the 16-bit status. */
ORNSIM_API uint16_t ornsim_call(ornsim* sim, uint32_t function, void* block, ornsim_resolver resolve,
                     void* context);
ORNSIM_API void ornsim_stop(ornsim* sim);

/* I/O ports of the board, with or without a started instance. */
ORNSIM_API uint32_t ornsim_port_in(int width, uint16_t port);
ORNSIM_API void ornsim_port_out(int width, uint16_t port, uint32_t value);
/* Whether the board lets the process raise its I/O privilege: 1 or 0. */
ORNSIM_API int ornsim_iopl(void);

/* The board's lock, shared by the processes that use one state file (no
 * effect without one): taken around each firmware call (or byte loop) by
 * the library. ornsim_lock answers 0 when taken, 1 when taken from a
 * holder that died holding it, 2 when a live holder kept it past the wait
 * limit (not taken; *holder and *held_seconds say who, and for how long at
 * least). */
ORNSIM_API int ornsim_lock(ornsim* sim, uint32_t* holder, uint32_t* held_seconds);
ORNSIM_API void ornsim_unlock(ornsim* sim);

/* ornsim-ctl: steers the board named by ORNSIM_BOARD through its state file
 * ORNSIM_STATE; the words are those of its command line. The exit status. */
ORNSIM_API int ornsim_control(int argc, char** argv);

#ifdef __cplusplus
}
#endif

#endif

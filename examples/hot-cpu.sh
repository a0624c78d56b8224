#!/bin/sh
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
# Heats the CPU of the virtual board under a running monitor: the monitor,
# already running, sees the new temperature at its next reading.
# Usage: hot-cpu.sh TEMP-MONITOR ORNSIM-CTL (the two programs).
set -eu
monitor=$1
ctl=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ORNSIM_BOARD="$(dirname "$0")/timed.board" ORNSIM_STATE="$work/state"

"$monitor" 80 20 >"$work/out" &
pid=$!
while ! grep -q monitoring "$work/out"; do sleep 0.1; done
"$ctl" set temp 0 95
if wait "$pid"; then cat "$work/out"; echo PASS; else echo "FAIL: no alarm"; exit 1; fi

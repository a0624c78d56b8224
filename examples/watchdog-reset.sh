#!/bin/sh
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
# The watchdog keeper on the virtual board: while it runs, the board runs
# on; stopped with SIGTERM it disarms the watchdog; killed (as a hang would
# leave it), the board resets once the clock passes the deadline.
# Usage: watchdog-reset.sh WATCHDOG-KEEPER ORNSYS ORNSIM-CTL
set -eu
keeper_program=$1
ornsys=$2
ctl=$3
work=$(mktemp -d)
keeper=
trap '[ -n "$keeper" ] && kill -KILL "$keeper" 2>/dev/null; rm -rf "$work"' EXIT
export ORNSIM_BOARD="$(dirname "$0")/timed.board" ORNSIM_STATE="$work/state"
boots() { "$ornsys" -INFO -b | sed -n 's/^Boot counter: *//p'; }
starts=0
start_keeper() {  # a 30 s watchdog, triggered every 100 ms
  # A new output file each time: the shell may create it only after this
  # one has looked, and an earlier keeper's "armed" must not answer.
  starts=$((starts + 1))
  out="$work/keeper.$starts"
  "$keeper_program" --timeout 30 --period 100 >"$out" 2>&1 &
  keeper=$!
  tries=0
  while ! grep -q armed "$out" 2>/dev/null; do
    kill -0 "$keeper" 2>/dev/null || { echo "FAIL: the keeper ended unarmed: $(cat "$out")"; exit 1; }
    tries=$((tries + 1))
    [ $tries -le 100 ] || { echo "FAIL: the keeper did not arm within 10 s"; exit 1; }
    sleep 0.1
  done
}
# Waits up to 10 s for the keeper to end; fails the test if it does not.
wait_keeper() {
  tries=0
  while kill -0 "$keeper" 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || { echo "FAIL: the keeper did not end within 10 s"; exit 1; }
    sleep 0.1
  done
  wait "$keeper" 2>/dev/null || true
  keeper=
}

before=$(boots)
start_keeper
"$ctl" advance 25s
sleep 0.5                                 # the keeper triggers meanwhile
"$ctl" advance 25s
[ "$(boots)" = "$before" ] || { echo "FAIL: reset while fed"; exit 1; }

kill -TERM "$keeper"; wait_keeper
grep -q disarmed "$out" || { echo "FAIL: SIGTERM did not disarm"; exit 1; }
"$ctl" advance 1h
[ "$(boots)" = "$before" ] || { echo "FAIL: reset after a clean stop"; exit 1; }

start_keeper
kill -KILL "$keeper"; wait_keeper
"$ctl" advance 31s                        # nobody triggers any more
after=$(boots)
status=$("$ornsys" -WD -s)
echo "boot counter $before -> $after; watchdog status: $status"
[ "$((after))" -eq "$((before + 1))" ] || { echo "FAIL: no reset"; exit 1; }
case "$status" in 1*) ;; *) echo "FAIL: status is not a watchdog reset"; exit 1 ;; esac
echo PASS

#!/bin/sh
# A watchdog keeper on the virtual board: while it triggers, the board runs
# on; once it is gone and the clock passes the deadline, the board resets.
# Usage: watchdog-reset.sh ORNSYS ORNSIM-CTL (the two programs).
set -eu
ornsys=$1
ctl=$2
work=$(mktemp -d)
trap 'kill "$keeper" 2>/dev/null || true; rm -rf "$work"' EXIT
export ORNSIM_BOARD="$(dirname "$0")/timed.board" ORNSIM_STATE="$work/state"
boots() { "$ornsys" -INFO -b | sed -n 's/^Boot counter: *//p'; }

before=$(boots)
"$ornsys" -WD -c 10 30 1 >/dev/null      # first trigger within 10 s, then every 30 s
( while :; do "$ornsys" -WD -t >/dev/null; sleep 0.2; done ) &
keeper=$!
sleep 1
"$ctl" advance 25s                        # fed: the keeper's triggers hold it off
sleep 1
[ "$(boots)" = "$before" ] || { echo "FAIL: reset while fed"; exit 1; }
kill "$keeper"
wait "$keeper" 2>/dev/null || true
"$ctl" advance 31s                        # unfed past its deadline
after=$(boots)
status=$("$ornsys" -WD -s)
echo "boot counter $before -> $after; watchdog status: $status"
[ "$((after))" -eq "$((before + 1))" ] || { echo "FAIL: no reset"; exit 1; }
case "$status" in 1*) ;; *) echo "FAIL: status is not a watchdog reset"; exit 1 ;; esac
echo PASS

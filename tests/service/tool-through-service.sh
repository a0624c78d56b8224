#!/bin/sh
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
# The tool through ornsysd gives what it gives on the board itself: every
# category's commands, reads and writes, run in the same order once through
# a service on a virtual board and once straight on another copy of it
# (both keep their board in a state file, so writes carry over). Through the
# service the tool runs with standard input closed: its socket is then
# descriptor 0, as in a program a daemon starts without one.
#   tool-through-service.sh ORNSYSD ORNSYS BACKEND [EMULATOR]
set -u
ornsysd=$1 ornsys=$2 backend=$3 emulator=${4:-}
work=$(mktemp -d)
trap 'kill $service 2>/dev/null; wait $service 2>/dev/null; rm -rf "$work"' EXIT
unset ORNSIM_TRACE ORNSIM_BOARD

failed=0

# Root is the service's admin; any other user running this is made one
# through its own group, so that the test needs no root.
ORNSYS_BACKEND=$backend ORNSIM_STATE=$work/service.state $emulator "$ornsysd" --socket "$work/sock" \
  --admin-group "$(id -g)" 2>"$work/service.log" &
service=$!
for _ in $(seq 100); do [ -S "$work/sock" ] && break; sleep 0.05; done

printf '%s\n' "-INFO -b" "-INFO -c" "-INFO -gc" "-NVR -t" "-NVR -r 1 0 16" "-NVR -w 0 0x60 4 1 2 3 4" \
  "-NVR -r 0 0x5e 8" "-NVR -q 3 1" "-NVR -bu 3 1" "-NVR -be 3 1" "-NVR -bl 3 1" "-NVR -r 3 0x1000 8" \
  "-I2C -c" "-I2C -q 1" "-I2C -wb 1 0x57 3 1 0x5a" "-I2C -bw 1 0x57 8 1 0x11223344" "-I2C -br 1 0x57 0 1 16" \
  "-I2C -rw 1 0x57 2 1" "-I2C -rb 9 0x57 0 1" "-WD -s" "-WD -c 0 600 1" "-WD -s" "-WD -t" "-VGA -gb" \
  "-VGA -sb 5" "-VGA -gb" "-VGA -sc 70" "-VGA -gc" "-TEMP -a" "-TEMP -q 1" "-VOLT -a" "-SYS" \
  "-BATT -c" "-BATT -i 0" "-BATT -g 0" "-NVR -r 9 0 1" >"$work/commands"

# A command that hangs is stopped after 10 s (exit 124) and fails at once.
while read -r command; do
  # shellcheck disable=SC2086
  ORNSYS_BACKEND=$backend ORNSIM_STATE=$work/direct.state timeout 10 $emulator "$ornsys" $command \
    >"$work/direct.out" 2>&1
  direct=$?
  # shellcheck disable=SC2086
  ORNSYS_BACKEND=service ORNSYS_SERVICE_SOCKET=$work/sock timeout 10 $emulator "$ornsys" $command <&- \
    >"$work/service.out" 2>&1
  through=$?
  if [ $direct = 124 ] || [ $through = 124 ] || [ $direct != $through ] ||
    ! cmp -s "$work/direct.out" "$work/service.out"; then
    echo "FAIL: ornsys $command: exit $direct on the board, $through through the service"
    diff "$work/direct.out" "$work/service.out"
    failed=1
  fi
done <"$work/commands"
kill $service
wait $service || { echo "FAIL: ornsysd ended with $?"; failed=1; }
grep -v "serving the\|does not exist\|stopped" "$work/service.log" && failed=1
[ $failed = 0 ] && echo "PASS: $(wc -l <"$work/commands") commands alike through the service"
exit $failed

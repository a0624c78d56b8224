#!/bin/bash
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
# Runs in the deploy stage's Debian guest, booted with systemd on SeaBIOS
# and the ZOKA option ROM: the packages installed, used, upgraded, broken,
# removed and purged as an admin would, with the README's own commands
# (readme-commands, one a line). One "ORNSYS-DEPLOY: step: PASS|FAIL" line a
# step on the serial console, the journal's last lines after a failure, and
# "ORNSYS-DEPLOY: DONE N failed"; then the guest powers off.
set -u
here=/root/ornsys-deploy
exec >/dev/ttyS0 2>&1 3>&1
echo  # after the console's escape codes
cd "$here/packages"
failed=0
say() { echo "ORNSYS-DEPLOY: $*"; }
pass() { say "$1: PASS"; }
measure() { say "measure $*" >&3; }  # from inside a step too
fail() {
  failed=$((failed + 1))
  say "$1: FAIL, $2"
  journalctl -b --no-pager -n 25 -o short-monotonic | sed 's/^/ORNSYS-DEPLOY-JOURNAL: /'
}
check() {  # step, then a command that must succeed; its output goes with a failure
  local step=$1 out
  shift
  if out=$("$@" 2>&1); then pass "$step"; else fail "$step" "$(echo "$out" | tail -5 | tr '\n' '|')"; fi
}
as() { runuser -u "$1" -- "${@:2}"; }
# Waits up to $1 s for a command to succeed.
within() {
  local seconds=$1 start=$SECONDS
  shift
  until "$@" >/dev/null 2>&1; do
    [ $((SECONDS - start)) -ge "$seconds" ] && return 1
    sleep 1
  done
}
metrics() { python3 -c 'import urllib.request; print(urllib.request.urlopen("http://127.0.0.1:9177/metrics", timeout=20).read().decode())'; }
readme() {  # the README's command that starts with $1, run as written
  local line
  line=$(grep -m1 -- "^$1" "$here/readme-commands") || { echo "the README has no command '$1'"; return 1; }
  echo "+ $line"
  sh -c "$line"
}

say "booted in $(cut -d' ' -f1 /proc/uptime) s"
useradd --create-home alice
useradd --create-home bob

# Installed as the README says, and usable at once: no reboot.
check install readme "apt-get install"
check accounts sh -c 'getent group ornsys ornsys-watchdog ornsys-admin >/dev/null &&
  id -nG ornsys-exporter | grep -qw ornsys'
check socket-enabled-and-listening sh -c 'systemctl is-enabled ornsysd.socket && systemctl is-active ornsysd.socket &&
  test -S /run/ornsys/ornsysd.sock'
check exporter-not-enabled-by-install sh -c '! systemctl is-enabled ornsys-exporter.service &&
  ! systemctl is-active ornsys-exporter.service'
check readme-user-in-read-group readme "usermod -aG ornsys"

# Root reaches the ROM's firmware itself (the 64-bit tool through the
# compatibility-mode gate); alice, in the read group, through the service,
# with the same answers; bob, in no group, is refused at the socket.
root_info=$(ornsys -INFO -b 2>&1)
check root-on-the-firmware grep -q 'HW platform:       ORN-QEMU-ROM' <<<"$root_info"
same_as_root() {
  local words
  for words in "-INFO -b" "-TEMP -a" "-WD -s"; do
    # shellcheck disable=SC2086
    diff <(ornsys $words 2>&1; echo "exit $?") <(as alice ornsys $words 2>&1; echo "exit $?") || return 1
  done
}
check reader-through-service-as-root same_as_root
refused() {  # user, what the failure must say, the tool's words
  local out status
  out=$(as "$1" env ORNSYS_DEBUG=1 ornsys "${@:3}" 2>&1)
  status=$?
  [ $status = 255 ] && grep -q "$2" <<<"$out" || { echo "exit $status: $out"; return 1; }
}
check reader-refused-a-write refused alice "ORNSYS ERROR: DLL: access denied by the board service" -WD -t
check stranger-refused-at-socket refused bob \
  "connecting to the board service at /run/ornsys/ornsysd.sock failed: Permission denied" -INFO -b
service_hardened() {
  local pid status
  pid=$(systemctl show -p MainPID --value ornsysd.service)
  [ "$pid" -gt 0 ] || { echo "no service running"; return 1; }
  status=$(cat "/proc/$pid/status")
  # CAP_SYS_RAWIO (17) alone, no new privileges, a system-call filter.
  grep -q '^CapEff:	0000000000020000$' <<<"$status" && grep -q '^NoNewPrivs:	1$' <<<"$status" &&
    grep -q '^Seccomp:	2$' <<<"$status" && [ "$(stat -c %u "/proc/$pid")" = 0 ] ||
    { grep -E '^(Cap|NoNew|Seccomp)' <<<"$status"; return 1; }
}
check service-started-on-demand-and-hardened service_hardened
exposure() {
  local score
  score=$(systemd-analyze security --no-pager ornsysd.service | sed -n 's/.*Overall exposure level for ornsysd.service: \([0-9.]*\).*/\1/p')
  measure "systemd-analyze security ornsysd.service: $score"
  awk -v e="$score" 'BEGIN { exit !(e != "" && e + 0 <= 2.5) }'
}
check service-exposure-at-most-2.5 exposure
python_platform() {  # as user $1
  [ "$(as "$1" python3 -c 'import ornsys
with ornsys.Board() as board: print(board.info.platform)')" = ORN-QEMU-ROM ]
}
check python-as-reader python_platform alice
check python-as-root python_platform root

# The exporter, enabled as the README says, serves the ROM's identity.
exporter_serves() {
  local text
  within 60 sh -c 'python3 -c "import socket; socket.create_connection((\"127.0.0.1\", 9177), 2)"' ||
    { echo "nothing listens on 9177"; return 1; }
  text=$(metrics) || return 1
  grep -q '^ornsys_board_info{.*platform="ORN-QEMU-ROM"' <<<"$text" &&
    ! grep -E '^ornsys_scrape_errors_total\{.*\} [1-9]' <<<"$text" || { echo "$text" | grep -E 'board_info|errors'; return 1; }
  [ "$(systemctl show -p User --value ornsys-exporter.service)" = ornsys-exporter ]
}
check readme-exporter-enabled readme "systemctl enable --now ornsys-exporter"
check exporter-serves-the-rom exporter_serves

# A client holding its connection across a restart of socket and service.
restart_keeps_clients() {
  as alice python3 -c 'import ornsys, time
with ornsys.Board() as board:
    print(board.info.platform, flush=True)
    time.sleep(12)
    print(board.info.platform)' >/tmp/across 2>&1 &
  local client=$!
  sleep 4
  systemctl restart ornsysd.socket ornsysd.service
  wait $client || { cat /tmp/across; return 1; }
  [ "$(cat /tmp/across)" = "ORN-QEMU-ROM
ORN-QEMU-ROM" ] || { cat /tmp/across; return 1; }
}
check restart-loses-no-client restart_keeps_clients
stopped_fails_fast() {
  systemctl stop ornsysd.socket ornsysd.service
  local start=$SECONDS out status
  out=$(as alice ornsys -INFO -b 2>&1)
  status=$?
  systemctl start ornsysd.socket
  [ $status = 255 ] && [ $((SECONDS - start)) -le 5 ] && grep -q 'starting Win32 driver failed' <<<"$out" ||
    { echo "exit $status after $((SECONDS - start)) s: $out"; return 1; }
}
check stopped-service-fails-clients-at-once stopped_fails_fast

# An upgrade over a running service and exporter: both run the new
# version's programs afterwards, and clients are served.
upgrade() {
  local before after
  as alice ornsys -INFO -b >/dev/null
  before=$(systemctl show -p MainPID --value ornsysd.service)
  local start=$SECONDS
  apt-get install -y ./upgrade/*.deb || return 1
  measure "upgrade of 4 packages over the running service: $((SECONDS - start)) s"
  [ "$(dpkg-query -W -f='${Version}' ornsys)" = "$(cat "$here/upgrade-version")" ] || { echo "version not upgraded"; return 1; }
  systemctl is-active ornsysd.socket ornsys-exporter.service || return 1
  diff <(echo "$root_info") <(as alice ornsys -INFO -b 2>&1) || return 1
  after=$(systemctl show -p MainPID --value ornsysd.service)
  [ "$after" != "$before" ] && [ "$after" -gt 0 ] || { echo "the old service still runs ($before, $after)"; return 1; }
  within 60 sh -c 'python3 -c "import urllib.request; urllib.request.urlopen(\"http://127.0.0.1:9177/metrics\", timeout=20)"'
}
check upgrade-over-running-service upgrade

# The service's program gone: the units fail in bounded time instead of
# restarting for ever, and clients fail within their deadline.
bounded_failure() {
  mv /usr/sbin/ornsysd /usr/sbin/ornsysd.away
  systemctl stop ornsysd.service
  local start=$SECONDS status
  as alice env ORNSYS_SERVICE_TIMEOUT=5 ornsys -INFO -b >/dev/null 2>&1
  status=$?
  [ $status = 255 ] && [ $((SECONDS - start)) -le 15 ] || { echo "client: exit $status after $((SECONDS - start)) s"; return 1; }
  within 90 sh -c 'systemctl is-failed ornsysd.service && ! systemctl is-active ornsysd.socket' ||
    { systemctl status --no-pager ornsysd.service ornsysd.socket | head -20; return 1; }
  local restarts
  restarts=$(systemctl show -p NRestarts --value ornsysd.service)
  measure "service without its program: failed with its socket after $((SECONDS - start)) s, $restarts restarts"
  mv /usr/sbin/ornsysd.away /usr/sbin/ornsysd
  systemctl reset-failed ornsysd.service ornsysd.socket
  systemctl start ornsysd.socket
  [ "$restarts" -le 5 ] || { echo "$restarts restarts"; return 1; }
  as alice ornsys -INFO -b >/dev/null
}
check missing-program-fails-in-bounded-time bounded_failure

# Removed: nothing of the service runs or listens, systemd knows no unit.
removed() {
  apt-get remove -y ornsys python3-ornsys || return 1
  ! systemctl is-active ornsysd.socket && ! systemctl is-active ornsysd.service &&
    ! systemctl is-active ornsys-exporter.service && ! test -e /run/ornsys/ornsysd.sock &&
    ! pgrep -x ornsysd && [ "$(systemctl show -p LoadState --value ornsysd.socket)" != loaded ] ||
    { systemctl status --no-pager ornsysd.socket ornsysd.service | head; return 1; }
  [ -z "$(find /usr/lib/python3/dist-packages/ornsys -name '*.pyc' 2>/dev/null)" ] || { echo "byte code left"; return 1; }
}
check remove-stops-everything removed
purged() {
  apt-get purge -y ornsys python3-ornsys libornsys-dev libornsys2 || return 1
  local left
  left=$(dpkg -l 'libornsys*' 'ornsys*' 'python3-ornsys' 2>/dev/null | awk '/^[a-z][a-z] / && $1 !~ /^[up]n$/ { print $1, $2 }')
  [ -z "$left" ] || { echo "still known to dpkg: $left"; return 1; }
  left=$(find /etc/systemd /var/lib/systemd -name '*ornsys*' 2>/dev/null)
  [ -z "$left" ] || { echo "left behind: $left"; return 1; }
  # The accounts stay (files may be theirs).
  getent group ornsys >/dev/null && getent passwd ornsys-exporter >/dev/null
}
check purge-leaves-only-the-accounts purged

say "DONE $failed failed"
systemctl poweroff

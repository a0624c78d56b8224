#!/bin/bash
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
# Runs in the deploy stage's Debian guest, booted with systemd on SeaBIOS
# and the ZOKA option ROM: the packages installed, used, upgraded, broken,
# removed and purged as an admin would, with the README's own commands
# (readme-commands, one a line); the board's watchdog kept by a keeper and
# by systemd, and its daemon stopped under systemd: the board resets, and
# the steps go on in the next boot (the file `phase` says where). One
# "ORNSYS-DEPLOY: step: PASS|FAIL" line a step on the serial console, the
# journal's last lines after a failure, and "ORNSYS-DEPLOY: DONE N failed";
# then the guest powers off.
set -u
here=/root/ornsys-deploy
exec >/dev/ttyS0 2>&1 3>&1
echo  # after the console's escape codes
cd "$here/packages"
failed=$(cat "$here/failed" 2>/dev/null || echo 0)
phase=$(cat "$here/phase" 2>/dev/null || echo first)
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
  line=$(awk -v start="$1" 'index($0, start) == 1 { print; exit }' "$here/readme-commands")
  [ -n "$line" ] || { echo "the README has no command '$1'"; return 1; }
  echo "+ $line"
  sh -c "$line"
}

at() {  # the phase a reset would find, kept on disk before it can come
  echo "$1" >"$here/phase"
  echo "$failed" >"$here/failed"
  sync
}
say "booted in $(cut -d' ' -f1 /proc/uptime) s"
if [ "$phase" = first ]; then
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
# The firmware's I2C bus is the PIIX4's SMBus with qemu's SPD EEPROMs on it:
# what the tool writes through the firmware the kernel's own driver
# (i2c-piix4 with i2c-dev, loaded now) reads back, and the other way round;
# a block through the firmware is the kernel's dump of the same bytes.
rom_i2c() {
  ornsys -I2C -wb 0 0x50 0x10 1 0xa5 | grep -qx "byte successfully written" &&
    [ "$(ornsys -I2C -rb 0 0x50 0x10 1)" = 0xa5 ] || { echo "the firmware's own write and read"; return 1; }
  modprobe i2c-piix4 && modprobe i2c-dev || return 1
  local bus
  bus=$(grep -l "SMBus PIIX4" /sys/class/i2c-dev/*/name | head -1 | xargs dirname | xargs basename)
  bus=${bus#i2c-}
  [ -n "$bus" ] && [ "$(i2cget -y "$bus" 0x50 0x10 b)" = 0xa5 ] || { echo "the kernel read: $(i2cget -y "$bus" 0x50 0x10 b)"; return 1; }
  i2cset -y "$bus" 0x50 0x11 0x5a b && [ "$(ornsys -I2C -rb 0 0x50 0x11 1)" = 0x5a ] ||
    { echo "the firmware read the kernel's write as $(ornsys -I2C -rb 0 0x50 0x11 1)"; return 1; }
  python3 - "$bus" <<'PY'
import re, subprocess, sys
def row(text, head):
    line = next(l for l in text.splitlines() if l.strip().startswith(head))
    return re.findall(r"\b[0-9a-f]{2}\b", line.split(":", 1)[1])[:16]
ours = row(subprocess.run(["ornsys", "-I2C", "-br", "0", "0x50", "0x10", "1", "16"], capture_output=True, text=True,
                          check=True).stdout, "0x010x")
kernels = row(subprocess.run(["i2cdump", "-y", sys.argv[1], "0x50", "b"], capture_output=True, text=True,
                             check=True).stdout, "10:")
assert ours == kernels and ours[:2] == ["a5", "5a"], (ours, kernels)
PY
}
check rom-i2c-is-the-kernels-smbus rom_i2c
# The same bus where i2c-tools look: /dev/i2c-N of ornsys-devices (the
# number it logs), for the admin role; its dump is the kernel driver's,
# byte for byte, and a byte set through it the kernel reads back.
board_i2c_dev() {
  local ours kernels through_ours through_kernels
  ours=$(journalctl -b -u ornsys-devices.service | sed -n "s|.*the board's I2C bus 0 (PIIX4SMB) is /dev/i2c-\([0-9]*\)$|\1|p" | tail -1)
  kernels=$(grep -l "SMBus PIIX4" /sys/class/i2c-dev/*/name | head -1 | xargs dirname | xargs basename)
  kernels=${kernels#i2c-}
  [ -n "$ours" ] && within 10 sh -c "[ \"\$(stat -c '%G %a' /dev/i2c-$ours)\" = 'ornsys-admin 660' ]" ||
    { journalctl -b -u ornsys-devices.service | tail -3; stat -c "%n %U:%G %a" "/dev/i2c-$ours"; return 1; }
  # One after the other: the firmware and the kernel's driver share the
  # controller, and transactions of both at once would mix.
  through_ours=$(i2cdump -y "$ours" 0x50 b) && through_kernels=$(i2cdump -y "$kernels" 0x50 b) || return 1
  diff <(echo "$through_ours") <(echo "$through_kernels") || return 1
  i2cset -y "$ours" 0x50 0x12 0x77 b && [ "$(i2cget -y "$kernels" 0x50 0x12 b)" = 0x77 ] &&
    [ "$(i2cget -y "$ours" 0x50 0x12 b)" = 0x77 ] || { echo "i2cset through /dev/i2c-$ours not read back"; return 1; }
  measure "i2cdump of an EEPROM through /dev/i2c-$ours equals the kernel's through /dev/i2c-$kernels"
  # The README's i2cdetect finds the EEPROMs at 0x50 to 0x57.
  readme "i2cdetect -y" | grep -q '^50: 50 51 52 53 54 55 56 57'
}
check board-i2c-bus-for-i2c-tools board_i2c_dev
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
  measure "upgrade of $(ls upgrade/*.deb | wc -l) packages over the running service: $((SECONDS - start)) s"
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

# The board's watchdog as Linux's: the device made for the watchdog role; a
# keeper that feeds it past its timeout, then stops it with the magic close.
device_made() {
  systemctl is-active ornsys-devices.service &&
    within 10 sh -c '[ "$(stat -c "%G %a" /dev/ornsys-watchdog)" = "ornsys-watchdog 660" ]' ||
    { systemctl is-active ornsys-devices.service; udevadm info -q property /dev/ornsys-watchdog | grep -E 'SUBSYSTEM|DEVNAME'
      stat -c "%n %U:%G %a" /dev/ornsys-watchdog /dev/i2c-16; return 1; }
}
check watchdog-device-made device_made
keeper() {
  python3 - <<'PY'
import fcntl, os, struct, time
WDIOC_GETSUPPORT, WDIOC_SETTIMEOUT, WDIOC_GETTIMEOUT = 0x80285700, 0xC0045706, 0x80045707
fd = os.open("/dev/ornsys-watchdog", os.O_WRONLY)
identity = fcntl.ioctl(fd, WDIOC_GETSUPPORT, bytes(40))[8:].rstrip(b"\0").decode()
timeout = struct.unpack("i", fcntl.ioctl(fd, WDIOC_SETTIMEOUT, struct.pack("i", 6)))[0]
assert (identity, timeout) == ("ornsys board watchdog", 6), (identity, timeout)
assert struct.unpack("i", fcntl.ioctl(fd, WDIOC_GETTIMEOUT, bytes(4)))[0] == 6
for _ in range(8):  # 16 s: past the timeout, fed every 2 s
    os.write(fd, b"\0")
    time.sleep(2)
os.write(fd, b"V")
os.close(fd)
PY
}
at keeper
check keeper-feeds-past-the-timeout keeper
at magic-close
sleep 12
check magic-close-stops-it true
# systemd keeps it, configured as the README says.
at systemd-watchdog
systemd_keeps_it() {
  readme "mkdir -p /etc/systemd" && readme "printf '[Manager]" && readme "systemctl daemon-reexec" || return 1
  # Logged while systemd re-executes, so through the kernel's log.
  within 60 sh -c "journalctl -b | grep -q \"systemd\[1\]: Using hardware watchdog 'ornsys board watchdog'\"" ||
    { journalctl -b | grep -i watchdog | tail -5; return 1; }
  sleep 25  # past the timeout of 10 s: systemd feeds it
}
check readme-systemd-keeps-the-watchdog systemd_keeps_it
# The daemon stopped under systemd: the board resets within the timeout.
# The setting goes first, so that the next boot starts without it.
rm /etc/systemd/system.conf.d/ornsys-watchdog.conf
at "stopped $(date +%s)"
systemctl stop ornsys-devices.service
sleep 60
fail stopped-daemon-resets-the-board "still running 60 s after the watchdog's daemon stopped"
phase=removal
fi

case "$phase" in
first | removal) ;;
stopped*)
  reset_at=$(( $(date +%s) - $(cut -d. -f1 /proc/uptime) ))
  measure "the board reset $((reset_at - ${phase#stopped })) s after the watchdog's daemon stopped (timeout 10 s)"
  check stopped-daemon-resets-the-board sh -c 'ornsys -WD -s | grep -qx "1 - watchdog timeout reset"'
  boot_status() {
    # The daemon makes the device some time after it starts in this boot.
    within 60 test -c /dev/ornsys-watchdog || { systemctl status --no-pager ornsys-devices.service | tail -5; return 1; }
    python3 - <<'PY'
import fcntl, os, struct
fd = os.open("/dev/ornsys-watchdog", os.O_WRONLY)
status = struct.unpack("i", fcntl.ioctl(fd, 0x80045702, bytes(4)))[0]  # WDIOC_GETBOOTSTATUS
os.write(fd, b"V")
os.close(fd)
assert status == 0x20, status  # WDIOF_CARDRESET
PY
  }
  check device-tells-the-watchdog-reset boot_status
  ;;
*) fail "$phase" "the board reset during this step" ;;
esac

# Removed: nothing of the service runs or listens, systemd knows no unit.
removed() {
  apt-get remove -y ornsys ornsys-devices python3-ornsys || return 1
  ! systemctl is-active ornsysd.socket && ! systemctl is-active ornsysd.service &&
    ! systemctl is-active ornsys-exporter.service && ! systemctl is-active ornsys-devices.service &&
    ! test -e /run/ornsys/ornsysd.sock && ! test -e /dev/ornsys-watchdog &&
    ! pgrep -x ornsysd && [ "$(systemctl show -p LoadState --value ornsysd.socket)" != loaded ] ||
    { systemctl status --no-pager ornsysd.socket ornsysd.service | head; return 1; }
  [ -z "$(find /usr/lib/python3/dist-packages/ornsys -name '*.pyc' 2>/dev/null)" ] || { echo "byte code left"; return 1; }
}
check remove-stops-everything removed
purged() {
  apt-get purge -y ornsys ornsys-devices python3-ornsys libornsys-dev libornsys2 || return 1
  local left
  left=$(dpkg -l 'libornsys*' 'ornsys*' 'python3-ornsys' 2>/dev/null | awk '/^[a-z][a-z] / && $1 !~ /^[up]n$/ { print $1, $2 }')
  [ -z "$left" ] || { echo "still known to dpkg: $left"; return 1; }
  left=$(find /etc/systemd /var/lib/systemd -name '*ornsys*' 2>/dev/null)
  [ -z "$left" ] || { echo "left behind: $left"; return 1; }
  # The accounts stay (files may be theirs).
  getent group ornsys >/dev/null && getent passwd ornsys-exporter >/dev/null
}
check purge-leaves-only-the-accounts purged

at done
say "DONE $failed failed"
systemctl poweroff

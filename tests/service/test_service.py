# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""ornsysd on the virtual board, started through systemd-socket-activate,
with clients that run as user 65534 in chosen groups (setpriv: needs root);
and how both daemons start (ornsys-devices up to its first CUSE node).

ORNSYS_BIN names the build's bin folder; ORNSYS_UNITS its units folder;
ORNSYS_SERVICE_FIGURES a file that gets the measured figures, a line each."""

import errno
import grp
import os
import pathlib
import re
import select
import shutil
import signal
import socket
import stat
import struct
import subprocess
import sys
import tempfile
import time

import pytest

HERE = pathlib.Path(__file__).resolve().parent
SOURCE = HERE.parents[1]
BIN = pathlib.Path(os.environ.get("ORNSYS_BIN", SOURCE / "build" / "host" / "bin"))
KNOWN_BOARD = SOURCE / "python" / "tests" / "known.board"

READ, WATCHDOG, ADMIN = 61001, 61002, 61003

# Who may do what, as the service's users are told it: the role each step
# of the package's answers.py needs.
STEP_ROLES = {
    "identity": "read", "cpu": "read", "versions": "none", "configuration": "read",
    "configuration written": "admin", "configuration too short": "read", "cmos": "read", "cmos written": "admin",
    "flash": "read", "flash programmed (AND)": "admin", "flash erased": "admin",
    "flash written into a locked block": "admin", "flash unlocked": "admin", "i2c": "admin", "i2c read": "admin",
    "i2c written": "admin", "i2c no device": "admin", "watchdog status": "read", "watchdog": "watchdog",
    "display": "admin", "display set": "admin", "temperatures": "read", "voltages": "read", "system": "read",
    "batteries": "read", "pass-through": "admin", "ports": "admin", "port of width 3": "none",
}
REFUSED = "0x8109 'DLL: access denied by the board service'"
RANK = {"none": 0, "read": 1, "watchdog": 2, "admin": 3}
ROLE_GROUPS = {"none": [], "read": [READ], "watchdog": [READ, WATCHDOG], "admin": [READ, ADMIN]}

if os.geteuid() != 0 or shutil.which("setpriv") is None or shutil.which("systemd-socket-activate") is None:
    pytest.skip("needs root, setpriv and systemd-socket-activate (scripts/install-deps --tests)",
                allow_module_level=True)


class Service:
    def __init__(self, folder):
        self.folder = folder
        self.socket = folder / "ornsysd.sock"
        self.log = folder / "ornsysd.log"
        self.process = None

    def start(self, admin_group=ADMIN, trace=False, board=None, state=None):
        command = ["systemd-socket-activate", "-l", str(self.socket), "-E", "ORNSYS_BACKEND=virtual",
                   *(["-E", f"ORNSIM_BOARD={board}"] if board else []),
                   *(["-E", f"ORNSIM_STATE={state}", "-E", "ORNSYS_DEBUG=1"] if state else []),
                   *(["-E", f"ORNSIM_TRACE={self.folder / 'trace'}"] if trace else []),
                   str(BIN / "ornsysd"), "--read-group", str(READ), "--watchdog-group", str(WATCHDOG),
                   "--admin-group", str(admin_group)]
        self.process = subprocess.Popen(command, stderr=open(self.log, "a"))
        if not appears(self.socket):
            raise RuntimeError("the socket did not appear")
        # The socket unit's SocketMode: here open to every test user.
        self.socket.chmod(0o666)

    def pid(self):
        """ornsysd's (systemd-socket-activate starts it in its own place)."""
        return self.process.pid

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            self.process.wait(10)
        # As the socket unit's RemoveOnStop does.
        self.socket.unlink(missing_ok=True)

    def client_env(self):
        env = dict(os.environ, ORNSYS_BACKEND="service", ORNSYS_SERVICE_SOCKET=str(self.socket),
                   ORNSYS_LIBRARY=str(BIN / "libornsys.so.2"),
                   PYTHONPATH=f"{SOURCE / 'python'}:{SOURCE / 'python' / 'tests'}")
        env.pop("ORNSIM_STATE", None)
        return env

    def run(self, role, *arguments, groups=None, **options):
        return subprocess.run(as_user(role, groups) + [sys.executable, str(HERE / "client.py"), *arguments],
                              env=self.client_env(), capture_output=True, text=True, timeout=20, **options)

    def popen(self, role, *arguments):
        return subprocess.Popen(as_user(role) + [sys.executable, str(HERE / "client.py"), *arguments],
                                env=self.client_env(), stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)

    def raw(self):
        connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        connection.settimeout(15)  # a service that neither answers nor closes fails the test
        connection.connect(str(self.socket))
        magic, version, _role = struct.unpack("=8sII", connection.recv(16, socket.MSG_WAITALL))
        assert (magic, version) == (b"ORNSYSD\0", 1)
        return connection


def report(line):
    print(line)
    figures = os.environ.get("ORNSYS_SERVICE_FIGURES")
    if figures:
        with open(figures, "a") as out:
            out.write(line + "\n")


def appears(path, replacing=None):
    """Whether `path` is there within 2 s; with `replacing` (an lstat
    result), a file other than that one."""
    for _ in range(200):
        if path.exists() and (replacing is None or path.lstat().st_ino != replacing.st_ino):
            return True
        time.sleep(0.01)
    return False


class HeldClient:
    """A client that keeps one library open and reads the board's identity
    at each ask()."""

    def __init__(self, service, role):
        self.process = service.popen(role, "hold")

    def ask(self, words=""):
        self.process.stdin.write(words + "\n")
        self.process.stdin.flush()
        # A client that hangs fails the test at once, not at its time limit.
        assert select.select([self.process.stdout], [], [], 10)[0], f"no answer to '{words}' within 10 s"
        return self.process.stdout.readline()

    def end(self):
        self.process.stdin.close()
        return self.process.wait(10)


def as_user(role=None, groups=None, uid=65534):
    """The command prefix that runs as `uid` (group 65534) in `role`'s
    groups, or in exactly `groups`."""
    groups = ROLE_GROUPS[role] if role else groups
    return ["setpriv", "--reuid", str(uid), "--regid", "65534",
            *(["--groups", ",".join(map(str, groups))] if groups else ["--clear-groups"]), "--"]


@pytest.fixture
def service():
    # A folder the clients' user can reach (pytest's own are root's alone).
    folder = pathlib.Path(tempfile.mkdtemp(prefix="ornsysd-"))
    folder.chmod(0o755)
    service = Service(folder)
    service.start()
    yield service
    service.stop()
    shutil.rmtree(folder)


def test_each_role_gets_exactly_its_families(service):
    """Every step of the package's answers.py as each role, on the known
    board: what a role may do answers as straight on the board, the rest is
    refused."""
    def answers(output):
        return dict(line.split(": ", 1) for line in output.splitlines())

    service.stop()
    service.start(board=KNOWN_BOARD)
    direct = subprocess.run([sys.executable, str(HERE / "client.py"), "steps", *STEP_ROLES],
                            env=dict(service.client_env(), ORNSYS_BACKEND="virtual", ORNSIM_BOARD=str(KNOWN_BOARD)),
                            capture_output=True, text=True, timeout=60)
    expected = answers(direct.stdout)
    assert set(expected) == set(STEP_ROLES) and not any("0x8109" in v for v in expected.values())
    for role in ["none", "read", "watchdog", "admin"]:
        got = answers(service.run(role, "steps", *STEP_ROLES).stdout)
        for step, needed in STEP_ROLES.items():
            if RANK[role] >= RANK[needed]:
                # Admin runs every step in order on a fresh board, as the direct run did.
                if role == "admin" or needed in ("none", "read"):
                    assert got[step] == expected[step], (role, step)
                else:
                    assert "0x8109" not in got[step], (role, step, got[step])
            else:
                # A refused transfer moved nothing, and says it was refused.
                assert got[step] in (f"AccessDenied {REFUSED}", f"RefusedTransfer {REFUSED} b''"), (role, step)
    assert "(uid 65534, role read): SetBoardCfg refused" in service.log.read_text()


def test_a_group_that_names_none_leaves_its_role_to_root(service):
    """An unknown name, an empty one and the ID that means "no group" are
    each logged as no group; a user in group 0 (what the empty name would
    read as, were it a number) is no admin then, but is where group 0 is
    named by its name."""
    for group in ["no-such-group", "", "4294967295"]:
        service.stop()
        service.start(admin_group=group)
        service.raw().close()  # the service starts on its first connection
        assert f"group {group} does not exist: only root has the admin role" in service.log.read_text(), group
    result = service.run(None, "steps", "display set", groups=[READ, 0])
    assert result.stdout == f"display set: AccessDenied {REFUSED}\n", result.stderr
    service.stop()
    service.start(admin_group=grp.getgrgid(0).gr_name)
    result = service.run(None, "steps", "display set", groups=[READ, 0])
    assert result.stdout == "display set: (None, None, 144, 16)\n", result.stderr


def ornsys(env, *words, role=None):
    """The tool's output, errors and exit status; as `role`'s user when given."""
    result = subprocess.run((as_user(role) if role else []) + [str(BIN / "ornsys"), *words], env=env,
                            capture_output=True, text=True, errors="replace", timeout=20)
    return result.stdout, result.stderr, result.returncode


def test_the_tool_prints_the_refusal_like_any_status(service):
    env = service.client_env()
    assert ornsys(env, "-TEMP", "-g", "0", role="read")[2] == 0
    assert ornsys(env, "-WD", "-t", role="read") == ("ORNSYS ERROR: DLL: access denied by the board service !\n\n",
                                                     "utWDTrigger: triggering watchdog failed!\n", 255)
    # A byte transfer that stops at its first byte is no error to the tool:
    # it shows no byte written, and none was.
    assert ornsys(env, "-NVR", "-w", "0", "0x60", "0x77", role="read") == ("Writing bytes to NVRam #0x0000...\n", "", 0)
    assert ornsys(env, "-NVR", "-r", "0", "0x60", "1", role="admin")[0] == " 0x060x: 00  .\n"


def test_sixteen_clients_at_once_get_right_answers(service):
    # One connection that starts a request and never finishes it: the
    # service drops it after 10 s and goes on serving everybody else.
    stalled = service.raw()
    stalled.sendall(struct.pack("=II", 1, 0x01))
    clients = [service.popen("admin", "load", "10", str(i)) for i in range(16)]
    results = [client.communicate(timeout=90)[0] for client in clients]
    totals = [tuple(map(int, re.fullmatch(r"calls (\d+) wrong (\d+)\n", r).groups())) for r in results]
    assert all(calls > 0 and wrong == 0 for calls, wrong in totals), totals
    stalled.settimeout(5)
    assert stalled.recv(1) == b""
    assert "request not finished within 10 s; connection closed" in service.log.read_text()
    report(f"ornsysd: 16 clients for 10 s: {sum(c for c, _ in totals)} calls, all answers right")


@pytest.mark.parametrize("request_bytes, reason", ids=lambda value: value if isinstance(value, str) else "", argvalues=[
    (struct.pack("=IIII", 99, 0, 0, 0), "request kind 99"),
    (struct.pack("=IIII", 1, 0x99, 0, 0), "function 153 does not exist"),
    (struct.pack("=IIII", 1, 0x01, 5, 0), "GetBoardInfo with a block of 5 bytes"),
    (struct.pack("=IIII", 1, 0x27, 15, 1 << 20), "I2CReadBlock with a buffer of 1048576 bytes"),
    (struct.pack("=IIII", 1, 0x01, 100, 1), "GetBoardInfo with a buffer of 1 bytes"),
    (struct.pack("=IIIIBBH6sIB", 1, 0x27, 15, 8, 1, 0x57, 0, bytes(6), 4, 1),
     "I2CReadBlock for 4 bytes with a buffer of 8"),
    (struct.pack("=IIII", 1, 0x05, 1 << 30, 0), "GetBoardCfg with a block of 1073741824 bytes"),
    (struct.pack("=IIII", 1, 0x05, 8, 0) + bytes(8), "GetBoardCfg with a block of 8 bytes; the board's has 128"),
    (struct.pack("=IIII", 1, 0x05, 1 << 16, 0) + bytes(1 << 16),
     "GetBoardCfg with a block of 65536 bytes; the board's has 128"),
    (struct.pack("=IIII", 2, 3, 8, 0), "a port access of width 3 and 8 bytes"),
])
def test_a_malformed_request_ends_only_its_connection(service, request_bytes, reason):
    bystander = HeldClient(service, "read")
    assert bystander.ask() == "ok ORN-EPC-3510\n"
    bad = service.raw()
    bad.sendall(request_bytes)
    assert bad.recv(16) == b""
    assert re.search(rf"^ornsysd: client {os.getpid()} \(uid 0\): malformed request: {re.escape(reason)}; connection closed$",
                     service.log.read_text(), re.M)
    assert bystander.ask() == "ok ORN-EPC-3510\n"
    assert bystander.end() == 0


def test_a_client_killed_mid_request_harms_nobody(service):
    half = service.raw()
    half.sendall(struct.pack("=IIII", 1, 0x01, 100, 0)[:10])
    half.close()
    looping = service.popen("admin", "load", "30", "20")
    time.sleep(1)
    looping.kill()
    looping.wait()
    result = service.run("read", "steps", "temperatures")
    assert result.stdout == "temperatures: [('CPU', 0, 45), ('Board', 1, 38)]\n"
    assert "request cut short (10 bytes received); connection closed" in service.log.read_text()


def test_a_connected_client_outlives_the_service(service):
    """A call while the service is gone fails cleanly; once it is back, the
    next call goes through at once. A client keeps the ports only while the
    service it asked lasts: one that comes back with another policy is asked
    again, port first or not, and asking touches no port."""
    def restart(admin_group):
        service.stop()
        service.start(admin_group=admin_group, trace=True)

    restart(ADMIN)
    client = HeldClient(service, "admin")
    assert client.ask("identity port") == "ok ORN-EPC-3510 ok 0x87\n"
    service.stop()
    assert client.ask() == "0x8100\n"
    service.start(admin_group=ADMIN + 10, trace=True)
    assert client.ask("identity port") == "ok ORN-EPC-3510 0x8109\n"
    restart(ADMIN)
    assert client.ask("port identity") == "ok 0x87 ok ORN-EPC-3510\n"
    assert client.end() == 0
    ports = [line for line in (service.folder / "trace").read_text().splitlines() if not line.startswith("call ")]
    assert ports == ["open", "iopl allow", "iopl allow", "inb 0x002e -> 0x87", "close", "open", "close", "open",
                     "iopl allow", "iopl allow", "inb 0x002e -> 0x87"]


def test_a_forked_child_calls_on_a_connection_of_its_own(service):
    """A child forked from a connected client leaves its parent's connection
    to the parent, closing its copy, and calls on one of its own."""
    client = HeldClient(service, "read")
    assert client.ask() == "ok ORN-EPC-3510\n"
    assert client.ask("forked identity") == "ok child ok ORN-EPC-3510 sockets 1 ok ORN-EPC-3510\n"
    assert client.end() == 0


# Opens COUNT connections to SOCKET and keeps them until standard input
# closes; prints how many got each greeting's role (hex), or none ("closed").
HOLD = """
import collections, socket, struct, sys
held, said = [], collections.Counter()
for _ in range(int(sys.argv[2])):
    c = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    c.connect(sys.argv[1])
    greeting = c.recv(16, socket.MSG_WAITALL)
    said[hex(struct.unpack("=8sII", greeting)[2]) if len(greeting) == 16 else "closed"] += 1
    held.append(c)
print(*(f"{what}:{n}" for what, n in said.items()), flush=True)
sys.stdin.read()
"""


def holding(service, prefix, count):
    """A process (run with `prefix`) that holds `count` connections, and
    what it was greeted with."""
    process = subprocess.Popen(prefix + [sys.executable, "-c", HOLD, str(service.socket), str(count)],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    return process, process.stdout.readline()


def test_the_service_keeps_connections_for_root_when_others_fill_it(service):
    """Eight users of 30 connections take the 240 that other users than
    root may hold; root then gets 16 more, and no one a 257th."""
    hogs = []
    for user in range(8):
        hog, greeted = holding(service, as_user(uid=62000 + user), 30)
        assert greeted == "0x0:30\n", user
        hogs.append(hog)
    late, greeted = holding(service, as_user("read"), 1)
    assert greeted == "closed:1\n"
    root, greeted = holding(service, [], 17)
    assert greeted == "0x3:16 closed:1\n"
    for hog in [*hogs, late, root]:
        hog.stdin.close()
        assert hog.wait(10) == 0
    log = service.log.read_text()
    assert "(uid 65534): more than 240 clients at once; connection closed" in log
    assert "(uid 0): more than 256 clients at once; connection closed" in log


def test_one_user_cannot_take_the_service_nor_its_memory(service):
    """A reader that opens 40 connections is greeted on 32 and told on the
    rest why not, root is served all the while, and the user's own tool
    names the cause, until those connections close. A client that keeps
    sending and reads its replies slowly holds the service's memory to a
    bound."""
    hog, greeted = holding(service, as_user("read"), 40)
    assert greeted == "0x1:32 0xffff0001:8\n"
    env = service.client_env()
    assert ornsys(env, "-INFO", "-b")[0].startswith("HW platform:       ORN-EPC-3510\n")
    denied = ornsys(dict(env, ORNSYS_DEBUG="1"), "-INFO", "-b", role="read")
    assert denied[1:] == (
        f"ornsys: OrnOpen: service backend: connecting to the board service at {service.socket} failed: the board "
        "service refuses this user more than 32 connections at once\nutOrnOpen: OrnOpen() failed!\n", 255)
    hog.stdin.close()
    assert hog.wait(10) == 0
    assert "the user has 32 connections open, the most one user may" in service.log.read_text()
    # The hog's connections closed, the user is served again.
    assert ornsys(env, "-INFO", "-b", role="read")[0].startswith("HW platform:       ORN-EPC-3510\n")

    # 8 s of requests for the identity (a 100-byte block each way), of which
    # the sender reads only a little, and at first nothing: the service's
    # size stays bounded, not
    # growing with what it has sent, and what it has sent is whole replies.
    def rss():
        text = pathlib.Path(f"/proc/{service.pid()}/status").read_text()
        return int(re.search(r"VmRSS:\s+(\d+) kB", text)[1])

    slow = service.raw()
    slow.setblocking(False)
    request = (struct.pack("=IIII", 1, 0x01, 100, 0) + bytes(100)) * 64
    before, end, received, sent = rss(), time.monotonic() + 8, bytearray(), 0
    while time.monotonic() < end:
        try:
            sent += slow.send(request[sent % len(request):])
        except BlockingIOError:
            pass
        try:
            if time.monotonic() > end - 4:  # the first 4 s it reads nothing
                received += slow.recv(4096)
        except BlockingIOError:
            pass
        time.sleep(0.001)
    grown = rss() - before
    # Then every whole request sent is answered, none lost or cut.
    slow.setblocking(True)
    slow.settimeout(15)
    while len(received) < sent // 116 * 112 and (more := slow.recv(65536)):
        received += more
    slow.close()
    report(f"service memory under a slow reader: {grown} kB more after 8 s")
    assert grown < 8 * 1024, grown
    answer = bytes(received[:112])
    assert answer[:12] == struct.pack("=III", 0, 100, 0)
    assert sent > 116 * 64 and received == answer * (sent // 116)


def test_a_call_that_waits_for_the_board_stops_no_other_connection(service):
    """While another process of the board holds its lock (here this test,
    as a program using the board directly would: the lock's word and its
    presence byte in the state file), a call through the service waits 15 s
    and fails with 0x8100, the service saying who held the board; meanwhile
    new clients are greeted at once. Once the board is free, calls go on."""
    import fcntl
    import mmap
    service.stop()
    state = service.folder / "state"
    service.start(state=state)
    env = service.client_env()
    assert ornsys(env, "-TEMP", "-g", "0")[2] == 0  # the state file is made
    with open(state, "r+b") as file:
        lock = mmap.mmap(file.fileno(), 128)
        fcntl.lockf(file.fileno(), fcntl.LOCK_EX | fcntl.LOCK_NB, 1, (1 << 30) + os.getpid())
        lock[64:68] = struct.pack("=I", os.getpid())
        started = time.monotonic()
        waiting = subprocess.Popen([str(BIN / "ornsys"), "-TEMP", "-g", "0"], env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True)
        time.sleep(1)
        greeted = time.monotonic()
        newcomer = service.raw()  # fails the test unless greeted within its 15 s
        greeted = time.monotonic() - greeted
        out, err = waiting.communicate(timeout=30)
        waited = time.monotonic() - started
        assert (out, err, waiting.returncode) == (
            "ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !\n\n",
            "OrnGetThermSensorValue() failed!\n", 255)
        lock[64:68] = bytes(4)
        fcntl.lockf(file.fileno(), fcntl.LOCK_UN, 1, (1 << 30) + os.getpid())
        lock.close()
    report(f"service: a newcomer greeted in {greeted * 1000:.1f} ms while a call waited {waited:.1f} s for the board")
    assert greeted < 1, greeted
    assert 15 <= waited < 20, waited
    assert (f"ornsys: virtual backend: process {os.getpid()} has held the board's lock for 15 s or more; this call "
            "fails after waiting 15 s") in service.log.read_text()
    newcomer.sendall(struct.pack("=IIII", 1, 0x11, 4, 0) + bytes(4))  # the NVRAM count
    status, block_length, _ = struct.unpack("=III", newcomer.recv(12, socket.MSG_WAITALL))
    assert (status, struct.unpack("=I", newcomer.recv(block_length, socket.MSG_WAITALL))[0]) == (0, 4)
    newcomer.close()


def refuse_signalfd():
    """Makes every later signalfd4 of this process, and of what it executes,
    fail with ENOMEM (a seccomp filter: x86-64 numbers, other calls allowed)."""
    import ctypes
    load_word, jump_equal, give = 0x20, 0x15, 0x06
    arch_x86_64, signalfd4, allow, enomem = 0xC000003E, 289, 0x7FFF0000, 0x00050000 | errno.ENOMEM
    program = [(load_word, 0, 0, 4), (jump_equal, 1, 0, arch_x86_64), (give, 0, 0, allow),
               (load_word, 0, 0, 0), (jump_equal, 0, 1, signalfd4), (give, 0, 0, enomem), (give, 0, 0, allow)]
    instructions = (ctypes.c_uint64 * len(program))(
        *(code | jt << 16 | jf << 24 | k << 32 for code, jt, jf, k in program))

    class Program(ctypes.Structure):
        _fields_ = [("len", ctypes.c_ushort), ("filter", ctypes.c_void_p)]

    libc = ctypes.CDLL(None, use_errno=True)
    pr_set_no_new_privs, pr_set_seccomp, seccomp_mode_filter = 38, 22, 2
    if libc.prctl(pr_set_no_new_privs, 1, 0, 0, 0) != 0 or libc.prctl(
            pr_set_seccomp, seccomp_mode_filter, ctypes.byref(Program(len(program), ctypes.addressof(instructions))),
            0, 0) != 0:
        raise OSError(ctypes.get_errno(), "seccomp filter refused")


def test_the_socket_is_made_for_its_group_and_never_through_a_symlink(tmp_path):
    """ornsysd --socket gives its socket to the read group, root's, mode 0660, and
    sets both before the socket is at its path, and removes it when the board
    cannot be opened; a symlink standing there (to a root-only file) is
    refused, not followed. A service that ends leaves a socket another has
    since put at its path."""
    path, secret = tmp_path / "ornsysd.sock", tmp_path / "secret"
    secret.write_text("root's\n")
    secret.chmod(0o600)
    env = dict(os.environ, ORNSYS_BACKEND="virtual")
    command = [str(BIN / "ornsysd"), "--socket", str(path), "--read-group", str(READ)]
    first = subprocess.Popen(command, env=env, stderr=subprocess.DEVNULL)
    assert appears(path)
    made = path.lstat()
    second = subprocess.Popen(command, env=env, stderr=subprocess.DEVNULL)
    assert appears(path, replacing=made)
    taken = path.lstat().st_ino
    first.terminate()
    assert first.wait(10) == 0
    assert path.lstat().st_ino == taken
    second.terminate()
    assert second.wait(10) == 0
    assert (stat.S_ISSOCK(made.st_mode), made.st_uid, made.st_gid, made.st_mode & 0o777) == (True, 0, READ, 0o660)
    assert sorted(p.name for p in tmp_path.iterdir()) == ["secret"]  # its own folder gone, the socket too
    # A board that cannot be opened: it ends with 1 and takes its socket away.
    unopened = subprocess.run(command, env=dict(env, ORNSIM_BOARD=str(tmp_path / "absent.board")), capture_output=True,
                              text=True, timeout=10)
    assert (unopened.returncode, unopened.stderr.splitlines()[-1]) == (1, "ornsysd: opening the board failed: 0x8100 "
                                                                         "DLL: starting Win32 driver failed (register "
                                                                         "device) (ORNSYS_DEBUG=1 tells why)")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["secret"]
    path.symlink_to(secret)
    refused = subprocess.run(command, env=env, capture_output=True, text=True, timeout=10)
    assert (refused.returncode, refused.stderr.splitlines()[-1]) == (1, f"ornsysd: cannot listen on {path}: File exists")
    info = secret.stat()
    assert (info.st_uid, info.st_gid, info.st_mode & 0o777, path.is_symlink()) == (0, 0, 0o600, True)


def test_a_relative_socket_path_is_made_from_the_working_folder():
    """ornsysd --socket with a relative path makes its socket, and its private
    folder beside it, in the folder the path names from the working folder,
    also when that folder is on another file system than /."""
    shm = pathlib.Path("/dev/shm")
    if not shm.is_dir() or shm.stat().st_dev == pathlib.Path("/").stat().st_dev:
        pytest.skip("needs /dev/shm on a file system of its own")
    work = pathlib.Path(tempfile.mkdtemp(prefix="ornsysd-", dir=shm))
    try:
        (work / "d").mkdir()
        daemon = subprocess.Popen([str(BIN / "ornsysd"), "--socket", "d/ornsysd.sock", "--read-group", str(READ)],
                                  cwd=work, env=dict(os.environ, ORNSYS_BACKEND="virtual"), stderr=subprocess.PIPE,
                                  text=True)
        made = appears(work / "d" / "ornsysd.sock")
        daemon.terminate()
        _, said = daemon.communicate(timeout=10)
        assert (made, daemon.returncode) == (True, 0), said
        assert list((work / "d").iterdir()) == []
    finally:
        shutil.rmtree(work)


def test_a_service_that_cannot_take_its_stop_signals_ends_with_its_socket(tmp_path):
    """When signalfd is refused, ornsysd --socket says so, closes the board
    it opened without a call, ends with 1 and takes its socket away."""
    try:
        subprocess.run(["true"], preexec_fn=refuse_signalfd, check=True)
    except subprocess.SubprocessError:
        pytest.skip("needs a kernel that takes a seccomp filter")
    path, trace = tmp_path / "ornsysd.sock", tmp_path / "trace"
    ended = subprocess.run([str(BIN / "ornsysd"), "--socket", str(path), "--read-group", str(READ)],
                           env=dict(os.environ, ORNSYS_BACKEND="virtual", ORNSIM_TRACE=str(trace)),
                           preexec_fn=refuse_signalfd, capture_output=True, text=True, timeout=10)
    assert (ended.returncode, ended.stderr.splitlines()[-1], sorted(tmp_path.iterdir())) == (
        1, "ornsysd: signalfd: Cannot allocate memory", [trace])
    assert trace.read_text().splitlines() == ["open", "close"]


def test_ornsys_devices_asks_for_the_buses_unless_told_no_i2c():
    """ornsys-devices looks the board's I2C buses up only without --no-i2c.
    Run as a user who may not open /dev/cuse, it ends at its first node."""
    folder = pathlib.Path(tempfile.mkdtemp(prefix="ornsys-devices-"))  # one the user can write
    folder.chmod(0o777)
    calls = {}
    for options in ([], ["--no-i2c"]):
        trace = folder / f"trace{len(options)}"
        ended = subprocess.run(as_user(groups=[]) + [str(BIN / "ornsys-devices"), *options],
                               env=dict(os.environ, ORNSYS_BACKEND="virtual", ORNSIM_TRACE=str(trace)),
                               capture_output=True, text=True, timeout=10)
        assert (ended.returncode, ended.stderr.startswith(
            "ornsys-devices: ornsys-watchdog cannot be made: /dev/cuse: ")) == (1, True), ended.stderr
        decoded = subprocess.run([str(BIN / "ornsim-trace"), str(trace)], capture_output=True, text=True, check=True)
        calls[" ".join(options)] = [line.split()[2] for line in decoded.stdout.splitlines() if line.startswith("call ")]
    shutil.rmtree(folder)
    assert calls == {"": ["GetI2CBusCount"] + ["QueryI2CBus"] * 4, "--no-i2c": []}


def test_a_daemon_started_without_standard_streams_keeps_them_on_dev_null(tmp_path):
    """ornsysd and ornsys-devices, whose parent closed descriptors 0 to 2,
    have them on /dev/null before they open anything: no socket, board file
    or connection takes one of those numbers and gets the log."""
    def streams_while(program, env, ready):
        daemon = subprocess.Popen(["sh", "-c", 'exec "$@" <&- >&- 2>&-', "sh", str(BIN / program[0]), *program[1:]],
                                  env=dict(os.environ, **env))
        ready()
        streams = [os.readlink(link) if os.path.lexists(link := f"/proc/{daemon.pid}/fd/{fd}") else "closed"
                   for fd in range(3)]
        return daemon, streams

    # ornsysd on the virtual board, once its socket is there.
    path = tmp_path / "ornsysd.sock"
    daemon, streams = streams_while(["ornsysd", "--socket", str(path), "--read-group", str(READ)],
                                    {"ORNSYS_BACKEND": "virtual"}, lambda: appears(path))
    daemon.terminate()
    assert (daemon.wait(10), streams) == (0, ["/dev/null"] * 3)

    # ornsys-devices while it opens the board through a service that never
    # greets it (this test's listener); closing the connection ends it.
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    listener.bind(str(tmp_path / "silent.sock"))
    listener.listen(1)
    listener.settimeout(10)
    accepted = []
    daemon, streams = streams_while(["ornsys-devices"], {"ORNSYS_BACKEND": "service",
                                                         "ORNSYS_SERVICE_SOCKET": str(tmp_path / "silent.sock")},
                                    lambda: accepted.append(listener.accept()[0]))
    accepted[0].close()
    listener.close()
    assert (daemon.wait(10), streams) == (1, ["/dev/null"] * 3)


def python_as(groups, code):
    """What a Python program prints as user 65534 in exactly these groups."""
    return subprocess.run(as_user(groups=groups) + [sys.executable, "-c", code], capture_output=True, text=True,
                          timeout=10).stdout.strip()


def test_a_socket_made_by_systemd_is_granted_to_the_role_groups():
    """ornsysd --grant-socket (the socket unit's ExecStartPost=) lets the
    watchdog and admin groups connect to a socket of the read group's, and
    ends with 0; others stay out. A path that is no socket ends it with 1."""
    folder = pathlib.Path(tempfile.mkdtemp(prefix="ornsysd-"))
    folder.chmod(0o755)
    path = folder / "ornsysd.sock"
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        listener.bind(str(path))
        listener.listen(8)
        os.chown(path, 0, READ)
        path.chmod(0o660)
        granted = subprocess.run([str(BIN / "ornsysd"), "--grant-socket", str(path), "--read-group", str(READ),
                                  "--watchdog-group", str(WATCHDOG), "--admin-group", str(ADMIN)],
                                 capture_output=True, text=True, timeout=10)
        if "cannot let groups" in granted.stderr:
            pytest.skip("needs a file system with access control lists for the socket")
        probe = f"""
import socket
try:
    socket.socket(socket.AF_UNIX, socket.SOCK_STREAM).connect({str(path)!r})
    print("connected")
except OSError as error:
    print(error.strerror)
"""
        seen = {name: python_as(groups, probe) for name, groups in
                (("watchdog", [WATCHDOG]), ("admin", [ADMIN]), ("none", []))}
    finally:
        listener.close()
        shutil.rmtree(folder)
    assert (granted.returncode, granted.stderr) == (0, "")
    assert seen == {"watchdog": "connected", "admin": "connected", "none": "Permission denied"}
    refused = subprocess.run([str(BIN / "ornsysd"), "--grant-socket", str(KNOWN_BOARD), "--read-group", str(READ),
                              "--watchdog-group", str(WATCHDOG), "--admin-group", str(ADMIN)],
                             capture_output=True, text=True, timeout=10)
    assert (refused.returncode, refused.stderr) == (
        1, f"ornsysd: cannot let groups {WATCHDOG} and {ADMIN} connect to {KNOWN_BOARD}: not a socket\n")


def test_each_role_group_alone_may_connect_and_no_other_user(tmp_path):
    """A member of the watchdog or the admin group who is not in the read
    group connects and gets that role (the socket's access list lets the
    groups in); a user in none of them is refused at the socket."""
    folder = pathlib.Path(tempfile.mkdtemp(prefix="ornsysd-"))
    folder.chmod(0o755)
    path = folder / "ornsysd.sock"
    service = subprocess.Popen([str(BIN / "ornsysd"), "--socket", str(path), "--read-group", str(READ),
                                "--watchdog-group", str(WATCHDOG), "--admin-group", str(ADMIN)],
                               env=dict(os.environ, ORNSYS_BACKEND="virtual"), stderr=subprocess.PIPE, text=True)
    try:
        appears(path)
        probe = f"""
import socket, struct
c = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
try:
    c.connect({str(path)!r})
    print(struct.unpack("=8sII", c.recv(16, socket.MSG_WAITALL))[2])
except OSError as error:
    print(error.strerror)
"""
        seen = {name: python_as(groups, probe) for name, groups in
                (("read", [READ]), ("watchdog", [WATCHDOG]), ("admin", [ADMIN]), ("none", []))}
    finally:
        service.terminate()
        service.wait(10)
        shutil.rmtree(folder)
    if "cannot let groups" in service.stderr.read():
        pytest.skip("needs a file system with access control lists for the socket")
    assert seen == {"read": "1", "watchdog": "2", "admin": "3", "none": "Permission denied"}


def test_the_units_verify_and_are_hardened(tmp_path):
    if shutil.which("systemd-analyze") is None:
        pytest.skip("needs systemd-analyze (scripts/install-deps --tests)")
    units = pathlib.Path(os.environ.get("ORNSYS_UNITS", BIN.parent / "units"))
    for name in ["ornsysd.service", "ornsysd.socket"]:
        text = (units / name).read_text()
        # The unit as installed, with the program where this build has it.
        (tmp_path / name).write_text(re.sub(r"(ExecStart(?:Post)?=)\S+", f"\\g<1>{BIN / 'ornsysd'}", text))
    # The manual is checked with the others, not through man(1) here.
    verify = subprocess.run(["systemd-analyze", "verify", "--man=no", str(tmp_path / "ornsysd.socket"),
                             str(tmp_path / "ornsysd.service")], capture_output=True, text=True)
    assert verify.returncode == 0, verify.stderr
    security = subprocess.run(["systemd-analyze", "security", "--offline=true", str(tmp_path / "ornsysd.service")],
                              capture_output=True, text=True)
    score = float(re.search(r"Overall exposure level for ornsysd.service: ([0-9.]+)", security.stdout).group(1))
    report(f"ornsysd.service: systemd-analyze security exposure {score}")
    assert score <= 2.5, security.stdout

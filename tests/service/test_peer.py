# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""The tool's service backend against peers that are not ornsysd: one that
never greets, one that greets and then never answers, and hostile ones whose
replies claim more than the call can hold. Each must fail the call with the
0x8100 lines within the client's deadline (ORNSYS_SERVICE_TIMEOUT), and no
byte may be read or written past the caller's memory (run in every tree, so
AddressSanitizer watches the tool in one of them). Needs no root.

ORNSYS_TOOL names the tool; ORNSYS_EMULATOR, when set, the program that
runs it; ORNSYS_PYTHON_LOADS_LIBRARY=1 that this Python can load the library
(for the cases through the Python package)."""

import os
import pathlib
import socket
import struct
import subprocess
import sys
import threading
import time
import types

import pytest

TOOL = os.environ.get("ORNSYS_TOOL", str(pathlib.Path(__file__).resolve().parents[2] / "build/host/bin/ornsys"))
EMULATOR = [os.environ["ORNSYS_EMULATOR"]] if os.environ.get("ORNSYS_EMULATOR") else []
GREETING = struct.pack("=8sII", b"ORNSYSD\0", 1, 3)
OPEN_FAILED = "ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !\n\n"
NO_GREETING = ("ornsys: OrnOpen: service backend: connecting to the board service at {sock} failed: Connection "
               "timed out; the board service did not greet within 1 s (stopped, or overloaded; "
               "ORNSYS_SERVICE_TIMEOUT)\nutOrnOpen: OrnOpen() failed!\n")


class Peer:
    """A listener at `sock` that runs `serve(connection, requests)` for each
    client it accepts (none when `serve` is None: a stopped service, whose
    backlog takes the connection and never greets)."""

    def __init__(self, folder, serve):
        self.sock = str(folder / "peer.sock")
        self.requests = []
        self.buffers = []
        self.connections = 0
        self.listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.listener.bind(self.sock)
        self.listener.listen(8)
        if serve:
            threading.Thread(target=self.accept, args=(serve,), daemon=True).start()

    def accept(self, serve):
        while True:
            connection, _ = self.listener.accept()
            self.connections += 1
            connection.sendall(GREETING)
            serve(connection, self)

    def request(self, connection, sent_buffer=False):
        """The next request's header and block; None when the client left.
        With `sent_buffer` (a write's), the buffer that follows the block is
        read too and kept in `buffers`."""
        header = connection.recv(16, socket.MSG_WAITALL)
        if len(header) < 16:
            return None
        kind, function, block_length, buffer_length = struct.unpack("=IIII", header)
        block = connection.recv(block_length, socket.MSG_WAITALL) if block_length else b""
        self.requests.append((function, block_length, buffer_length))
        if sent_buffer:
            self.buffers.append(connection.recv(buffer_length, socket.MSG_WAITALL) if buffer_length else b"")
        return function, block


def run(peer, *words, timeout="1", debug=True):
    env = dict(os.environ, ORNSYS_BACKEND="service", ORNSYS_SERVICE_SOCKET=peer.sock, ORNSYS_SERVICE_TIMEOUT=timeout,
               ASAN_OPTIONS="detect_leaks=0")
    env.pop("ORNSYS_DEBUG", None)
    if debug:
        env["ORNSYS_DEBUG"] = "1"
    started = time.monotonic()
    result = subprocess.run(EMULATOR + [TOOL, *words], env=env, capture_output=True, text=True, errors="replace",
                            timeout=30)
    return result.stdout, result.stderr, result.returncode, time.monotonic() - started


def test_a_stopped_or_mute_service_fails_the_call_at_the_deadline(tmp_path):
    (tmp_path / "stopped").mkdir()
    stopped = Peer(tmp_path / "stopped", None)
    out, err, status, took = run(stopped, "-TEMP", "-a")
    assert (out, err, status) == (OPEN_FAILED, NO_GREETING.format(sock=stopped.sock), 255)
    assert 1.0 <= took < 5, took

    def mute(connection, peer):
        peer.request(connection)  # and never answers

    (tmp_path / "mute").mkdir()
    silent = Peer(tmp_path / "mute", mute)
    out, err, status, took = run(silent, "-TEMP", "-g", "0")
    assert (out, err, status) == (
        OPEN_FAILED, "ornsys: OrnOpen: service backend: firmware started\n"
        "ornsys: service backend: no reply from the board service within 1 s\nOrnGetThermSensorValue() failed!\n", 255)
    assert 1.0 <= took < 5, took
    assert silent.requests == [(0x53, 8, 0)]

    # One that takes the request and closes without an answer: the call may
    # have been carried out, so it fails and is not sent again.
    (tmp_path / "closes").mkdir()
    closing = Peer(tmp_path / "closes", closes)
    assert run(closing, "-TEMP", "-g", "0", debug=False)[:3] == (OPEN_FAILED, "OrnGetThermSensorValue() failed!\n",
                                                                   255)
    assert len(closing.requests) == 1

    # One that greets but takes no request (its reading side shut first):
    # the request that cannot be sent goes again on a new connection. Where
    # that one is not greeted, the call fails at the deadline; where it is
    # as deaf, at once.
    for deaf_greetings, why, slow in [
            (1, "connecting to the board service failed: Connection timed out", True),
            (2, "the request could not be sent, on a new connection either", False)]:
        (tmp_path / f"deaf{deaf_greetings}").mkdir()
        deaf = Peer(tmp_path / f"deaf{deaf_greetings}", None)
        held = []

        def greet_deaf(listener=deaf.listener, count=deaf_greetings):
            for _ in range(count):
                connection, _ = listener.accept()
                connection.shutdown(socket.SHUT_RD)
                connection.sendall(GREETING)
                held.append(connection)

        threading.Thread(target=greet_deaf, daemon=True).start()
        out, err, status, took = run(deaf, "-TEMP", "-g", "0", timeout="3")
        assert (out, err, status) == (OPEN_FAILED, "ornsys: OrnOpen: service backend: firmware started\n"
                                      f"ornsys: service backend: {why}\nOrnGetThermSensorValue() failed!\n", 255)
        assert (3.0 <= took < 8) if slow else took < 2.5, (deaf_greetings, took)


def closes(connection, peer):
    peer.request(connection)
    connection.close()


def through_python(peer, code):
    """What a Python program prints through the peer (after `import ornsys`)."""
    if os.environ.get("ORNSYS_PYTHON_LOADS_LIBRARY") != "1":
        pytest.skip("the library under test is of another architecture or needs a sanitizer's runtime: "
                    "this Python cannot load it")
    env = dict(os.environ, ORNSYS_BACKEND="service", ORNSYS_SERVICE_SOCKET=peer.sock)
    env.pop("ORNSYS_DEBUG", None)
    result = subprocess.run([sys.executable, "-c", "import ornsys\n" + code], env=env, capture_output=True, text=True,
                            timeout=30)
    assert result.returncode == 0, result.stderr
    return result.stdout


def port_read(peer):
    """What ornsys.port_read(0x80) gives through the peer: the value or the error."""
    return through_python(peer, "with ornsys.Board():\n    try:\n        print(hex(ornsys.port_read(0x80)))\n"
                                "    except ornsys.OrnError as error:\n        print(error)")


def test_a_signal_during_the_wait_then_a_close_fails_the_call(tmp_path):
    """A signal that interrupts the wait for a reply leaves its EINTR behind;
    the service's close that follows still ends the call, at once."""
    def closes_later(connection, peer):
        peer.request(connection)
        time.sleep(1)
        connection.close()

    peer = Peer(tmp_path, closes_later)
    code = ("import signal, threading, time\nsignal.signal(signal.SIGUSR1, lambda *_: None)\n"
            "threading.Timer(0.3, signal.pthread_kill, (threading.get_ident(), signal.SIGUSR1)).start()\n"
            "with ornsys.Board() as board:\n    started = time.monotonic()\n    try:\n        board.info()\n"
            "    except ornsys.OrnError as error:\n        print(error, time.monotonic() - started < 5)")
    assert through_python(peer, code) == "OrnGetBoardInfo: 0x8100 DLL: starting Win32 driver failed (register " \
                                         "device) True\n"


def test_after_a_call_that_timed_out_a_close_is_told_as_a_close(tmp_path):
    """A call the service never answers fails at the deadline; the next one
    goes on a new connection, and when the service closes that one on the
    request, the call fails at once and the debug line says it closed."""
    def mute_then_closes(connection, peer):
        peer.request(connection)
        if peer.connections > 1:
            connection.close()

    peer = Peer(tmp_path, mute_then_closes)
    code = ("import os, time\nos.environ.update(ORNSYS_DEBUG='1', ORNSYS_SERVICE_TIMEOUT='1')\nos.dup2(1, 2)\n"
            "with ornsys.Board() as board:\n    for _ in range(2):\n        started = time.monotonic()\n"
            "        try:\n            board.info()\n        except ornsys.OrnError as error:\n"
            "            print(error, 'at the deadline' if time.monotonic() - started >= 1 else 'at once', flush=True)")
    failed = "OrnGetBoardInfo: 0x8100 DLL: starting Win32 driver failed (register device)"
    assert through_python(peer, code) == (
        "ornsys: OrnOpen: service backend: firmware started\n"
        f"ornsys: service backend: no reply from the board service within 1 s\n{failed} at the deadline\n"
        f"ornsys: service backend: the board service closed the connection\n{failed} at once\n")
    assert peer.connections == 2


def test_port_access_through_a_service_that_closes(tmp_path):
    """The caller's right to the ports is the service's answer: a service
    that closes instead fails the port read, which never reaches a port. One
    that grants it and then closes on the read, or answers it with success
    (in the low 16 bits) but no value, fails the read too: no value is made
    up for a port nobody read. The read went on the connection that asked."""
    (tmp_path / "question").mkdir()
    peer = Peer(tmp_path / "question", closes)
    assert port_read(peer) == "OrnOEMRead: 0x8100 DLL: starting Win32 driver failed (register device)\n"
    assert len(peer.requests) == 1  # the question alone: no port request followed

    def grants_then_closes(connection, peer):
        if peer.request(connection) is not None:
            reply(connection, 0)
        peer.request(connection)
        connection.close()

    (tmp_path / "read").mkdir()
    peer = Peer(tmp_path / "read", grants_then_closes)
    assert port_read(peer) == "OrnOEMRead: 0x8100 DLL: starting Win32 driver failed (register device)\n"
    assert (len(peer.requests), peer.connections) == (2, 1)

    for status in [0, 0x10000]:
        def grants_then_answers_without_the_value(connection, peer, status=status):
            if peer.request(connection) is not None:
                reply(connection, 0)
            while peer.request(connection) is not None:
                reply(connection, status)

        (tmp_path / f"empty{status}").mkdir()
        peer = Peer(tmp_path / f"empty{status}", grants_then_answers_without_the_value)
        assert port_read(peer) == "OrnOEMRead: 0x8100 DLL: starting Win32 driver failed (register device)\n", status

    # An answer to the question that claims a block fails the read and ends
    # that connection: the next read asks again on a new one, whose answers
    # are not mistaken for what the first left unread.
    def claims_a_block_first(connection, peer):
        first = peer.connections == 1
        while (request := peer.request(connection)) is not None:
            function, block = request
            if first and len(peer.requests) == 1:
                reply(connection, 0, b"\xa5" * 8)
            else:
                reply(connection, 0, struct.pack("=II", 0x80, 0x5A) if block else b"")

    (tmp_path / "claims").mkdir()
    peer = Peer(tmp_path / "claims", claims_a_block_first)
    assert through_python(peer, "with ornsys.Board():\n    for _ in range(2):\n        try:\n            print(hex("
                                "ornsys.port_read(0x80)))\n        except ornsys.OrnError as error:\n"
                                "            print(error)") == (
        "OrnOEMRead: 0x8100 DLL: starting Win32 driver failed (register device)\n0x5a\n")
    assert peer.connections == 2


def test_a_bad_timeout_setting_fails_the_open_and_says_why(tmp_path):
    peer = Peer(tmp_path, lambda connection, peer: None)
    for setting in ["0", "3601", "1.5", "-1", "", "10s"]:
        assert run(peer, "-INFO", "-b", timeout=setting)[:3] == (
            OPEN_FAILED, "ornsys: OrnOpen: service backend: reading ORNSYS_SERVICE_TIMEOUT failed: it is not a whole "
                         "number of seconds from 1 to 3600\nutOrnOpen: OrnOpen() failed!\n", 255), setting
    # Both ends of the range are taken: the call goes to the peer, which closes on it.
    (tmp_path / "closes").mkdir()
    closing = Peer(tmp_path / "closes", closes)
    for setting in ["1", "3600"]:
        assert run(closing, "-TEMP", "-g", "0", timeout=setting, debug=False)[:3] == (
            OPEN_FAILED, "OrnGetThermSensorValue() failed!\n", 255), setting
    assert len(closing.requests) == 2


def test_a_socket_path_too_long_for_a_socket_is_named_whole(tmp_path):
    path = str(tmp_path / ("p" * 200))
    assert run(types.SimpleNamespace(sock=path), "-INFO", "-b")[:3] == (
        OPEN_FAILED, f"ornsys: OrnOpen: service backend: connecting to the board service at {path} failed: File name "
                     "too long; is ornsysd running (systemctl status ornsysd.socket), and may this user open its "
                     "socket (group ornsys)?\nutOrnOpen: OrnOpen() failed!\n", 255)


def reply(connection, status, block=b"", buffer=b"", block_length=None, buffer_length=None):
    connection.sendall(struct.pack("=III", status, len(block) if block_length is None else block_length,
                                   len(buffer) if buffer_length is None else buffer_length) + block + buffer)


def test_replies_are_held_to_what_the_call_can_hold(tmp_path):
    """The configuration block is sent and received at the size the caller's
    buffer was made for, however the service's answer changes; a reply whose
    block or buffer is longer than the request's fails the call."""
    def grows(connection, peer):
        sizes = iter([16, 4096])
        while (request := peer.request(connection)) is not None:
            function, block = request
            if function == 0x04:  # the size: 16, then (were it asked again) 4096
                reply(connection, 0, struct.pack("=I", next(sizes)))
            else:  # the block, claiming the larger size
                reply(connection, 0, b"\x5a" * 4096)

    (tmp_path / "grows").mkdir()
    peer = Peer(tmp_path / "grows", grows)
    assert run(peer, "-INFO", "-gc", debug=False)[:3] == (OPEN_FAILED, "utGetBoardCfg: OrnGetBoardCfg() failed!\n", 255)
    assert peer.requests == [(0x04, 4, 0), (0x05, 16, 0)]

    def long_buffer(connection, peer):
        while (request := peer.request(connection)) is not None:
            function, block = request
            reply(connection, 0, block, b"\xa5" * 4096)  # 4096 bytes for a read of 4

    (tmp_path / "buffer").mkdir()
    peer = Peer(tmp_path / "buffer", long_buffer)
    assert run(peer, "-I2C", "-br", "1", "0x57", "0", "1", "4", debug=False)[:3] == (
        OPEN_FAILED, "utI2CReadBlock: OrnI2CReadBlock() failed for busid 0x01!\n", 255)
    assert peer.requests == [(0x27, 15, 4)]


def test_a_configuration_block_size_is_asked_once(tmp_path):
    """A success reply without the block leaves the caller's record as it was,
    so the call fails; a size of 0 is an answer too. Either way the block is
    never sized by a later, other answer than the caller's buffer had."""
    for first, error in [(b"", OPEN_FAILED), (struct.pack("=I", 0), "ORNSYS ERROR: BIOS: data access error !\n\n")]:
        def answers(connection, peer):
            while (request := peer.request(connection)) is not None:
                function, block = request
                if function == 0x04:
                    reply(connection, 0, first if len(peer.requests) == 1 else struct.pack("=I", 256))
                else:
                    reply(connection, 0, block)

        folder = tmp_path / str(len(first))
        folder.mkdir()
        peer = Peer(folder, answers)
        assert run(peer, "-INFO", "-gc", debug=False)[:3] == (
            error, "utGetBoardCfg: OrnGetBoardCfg() failed!\n", 255), first
        assert peer.requests == [(0x04, 4, 0)], first


def test_a_request_the_socket_takes_in_pieces_arrives_whole(tmp_path):
    """A write larger than the client's socket buffer leaves in several sends;
    each send goes on from where the last one stopped, so the service gets
    the caller's bytes in order and nothing else."""
    def takes_slowly(connection, peer):
        while True:
            time.sleep(0.05)  # the client's buffer fills meanwhile
            if (request := peer.request(connection, sent_buffer=True)) is None:
                return
            reply(connection, 0x8000, request[1])

    peer = Peer(tmp_path, takes_slowly)
    data = bytes(range(251)) * 261  # 65511 bytes, no period a shift would hide
    printed = through_python(peer, """
import ctypes, os, socket
from ornsys._lib import lib
with ornsys.Board():
    for name in os.listdir("/proc/self/fd"):  # the library's connection: the one socket here
        try:
            connection = socket.socket(fileno=int(name))
        except OSError:
            continue
        connection.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 4096)
        connection.detach()
    data = bytes(range(251)) * 261
    count = ctypes.c_uint32(len(data))
    print(lib.OrnI2CWriteBlock(1, 0x50, 0, (ctypes.c_uint8 * len(data)).from_buffer_copy(data), ctypes.byref(count), 1))
""")
    assert peer.requests == [(0x28, 15, len(data))], printed
    assert peer.buffers == [data]

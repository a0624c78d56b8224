#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Builds the Debian packages of a build, unpacks them into a scratch root and
uses them from there: the tool reaches for the board (and fails cleanly where
there is none), the virtual board serves it only once its package is there and
asked for, the manual pages render without warnings, a C application builds
against the development package and runs; lintian, where it is installed,
finds no error. With --no-run (a build for another machine) only the packages
and lintian are checked.
Usage: package-check.py BUILD SOURCE WORK [--no-run]"""

import glob
import os
import re
import shutil
import subprocess
import sys

build, source, work = sys.argv[1:4]
runs = "--no-run" not in sys.argv
root = os.path.join(work, "root")


def run(what, *argv, expect="", status=0, env=None, cwd=None):
    """Runs a command; stops the check unless it ends with `status` and its
    output (both streams) matches `expect`."""
    done = subprocess.run(argv, capture_output=True, text=True, errors="replace", env=env, cwd=cwd)
    if done.returncode != status or not re.search(expect, done.stdout + done.stderr, re.S):
        sys.exit(f"{what}: exit {done.returncode}, printed:\n{done.stdout}{done.stderr}")
    return done


shutil.rmtree(work, ignore_errors=True)
run("cpack", "cpack", "-G", "DEB", "-B", work, "--config", f"{build}/CPackConfig.cmake")
debs = {re.sub(r"_.*", "", os.path.basename(deb)): deb for deb in glob.glob(f"{work}/*.deb")}
if sorted(debs) != sorted(["libornsys2", "libornsys-dev", "ornsys", "libornsim1", "ornsim-tools"]):
    sys.exit(f"expected 5 packages, got: {sorted(debs)}")
for name in ("libornsys2", "libornsys-dev", "ornsys"):
    run(f"unpacking {name}", "dpkg-deb", "-x", debs[name], root)
if glob.glob(f"{root}/**/libornsim*", recursive=True):
    sys.exit("the board's packages carry the virtual board")
# The library exports the API alone, needs no simulator and holds none of it.
library = glob.glob(f"{root}/**/libornsys.so.2", recursive=True)[0]
others = re.sub(r"[0-9a-f]+ [TW] Orn[A-Za-z0-9]*\n", "", run("nm", "nm", "-D", "--defined-only", library).stdout)
if others or "ornsim" in run("readelf", "readelf", "-d", library).stdout or \
        re.search("ornsim_impl|ornsim_board", run("nm -C", "nm", "-C", f"{build}/bin/libornsys.so.2").stdout):
    sys.exit(f"the library exports more than the API, or needs or holds the virtual board:\n{others}")


def check_tool(what, backend, status, expect):
    """What the tool does with no variable, or with the virtual backend asked
    for: the exit status and the line that tells why."""
    run(what, "env", "-i", "ORNSYS_DEBUG=1", *backend, f"{root}/usr/bin/ornsys", "-TEMP", "-a", status=status,
        expect=expect)
    print(f"{what}: exit {status} as it should")


if runs:
    # The board: this machine has none (no /dev/mem, or no firmware), and
    # the tool says so instead of inventing readings.
    check_tool("the packaged tool, no variable", [], 255, "ORNSYS ERROR: DLL: starting Win32 driver failed.*board backend")
    check_tool("the packaged tool, virtual board not installed", ["ORNSYS_BACKEND=virtual"], 255,
               "virtual backend: loading the virtual board failed")
for deb in debs.values():
    run(f"unpacking {deb}", "dpkg-deb", "-x", deb, root)
if runs:
    check_tool("the packaged tool, virtual board installed", ["ORNSYS_BACKEND=virtual"], 0, "T-Sensor 0x00: +45 ")
    check_tool("the packaged tool, virtual board installed, no variable", [], 255, "board backend")
    run("the packaged ornsim-trace", f"{root}/usr/bin/ornsim-trace", "--help")
    pages = glob.glob(f"{root}/usr/share/man/**/*.gz", recursive=True)
    if not pages:
        sys.exit("no manual pages in the packages")
    for page in pages:
        # From the manual's root, as man finds the page a link page names.
        shown = run(f"man {page}", "man", "--warnings", "-l", page, env=dict(os.environ, MANWIDTH="80"),
                    cwd=f"{root}/usr/share/man")
        if shown.stderr:
            sys.exit(f"man {page} warns:\n{shown.stderr}")
    pcdir = os.path.dirname(glob.glob(f"{root}/**/ornsys.pc", recursive=True)[0])
    flags = run("pkg-config", "pkg-config", "--cflags", "--libs", "ornsys",
                env=dict(os.environ, PKG_CONFIG_PATH=pcdir)).stdout.split()
    run("C build against the packages", "cc", "-std=c99", "-Wall", "-Werror", f"{source}/examples/board-info.c",
        *flags, "-o", f"{work}/board-info")
    run("C application", f"{work}/board-info", expect="ORN-EPC-3510 serial EPC3510-004217",
        env=dict(os.environ, LD_LIBRARY_PATH=os.path.dirname(pcdir), ORNSYS_BACKEND="virtual"))
if shutil.which("lintian"):
    found = subprocess.run(["lintian", "--allow-root", *debs.values()], capture_output=True, text=True).stdout
    if re.search(r"^E: ", found, re.M):
        sys.exit(f"lintian finds errors:\n{found}")
    print("lintian: no errors")
else:
    print("lintian is not installed: the packages were not checked by it")
print("5 packages unpack and serve the tool, the manual and an application" if runs else "5 packages built and unpacked")

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""Installs ornsys into a scratch prefix and uses it as applications would:
the installed tool with no environment at all, then a C and a C++
application built each way a consumer can (pkg-config shared and static, the
CMake package, add_subdirectory of the source tree), each run on the default
virtual board.
Usage: install-check.py BUILD SOURCE WORK"""

import glob
import os
import shutil
import subprocess
import sys

build, source, work = sys.argv[1:4]
prefix = os.path.join(work, "prefix")


def run(what, *argv, expect="", env=None):
    """Runs a command; stops the check when it fails or does not print `expect`."""
    done = subprocess.run(argv, capture_output=True, text=True, env=dict(os.environ, **(env or {})))
    if done.returncode != 0 or expect not in done.stdout:
        sys.exit(f"{what} failed ({done.returncode}):\n{done.stdout}{done.stderr}")
    return done.stdout


def check_apps(how, c, cpp, env):
    """The C application names the board, the C++ one arms and disarms the watchdog."""
    run(f"{how}: C application", c, expect="ORN-EPC-3510 serial EPC3510-004217, 300 boots", env=env)
    run(f"{how}: C++ application", cpp, "--count", "2", "--period", "1", expect="watchdog disarmed after 2 triggers",
        env=env)
    print(f"{how}: C and C++ applications run")


shutil.rmtree(work, ignore_errors=True)
run("install", "cmake", "--install", build, "--prefix", prefix)
# The tool finds its library from any prefix, with no environment.
run("the installed tool", "env", "-i", "ORNSYS_BACKEND=virtual", f"{prefix}/bin/ornsys", "-INFO", "-b",
    expect="ORN-EPC-3510")
print("installed tool runs with no environment")

# pkg-config: shared (run with the library's folder on the search path, as
# for any prefix outside the system's) and fully static.
pcdir = os.path.dirname(glob.glob(f"{prefix}/**/ornsys.pc", recursive=True)[0])
libdir = os.path.dirname(pcdir)
virtual = {"ORNSYS_BACKEND": "virtual", "LD_LIBRARY_PATH": libdir, "PKG_CONFIG_PATH": pcdir}
for mode in ("shared", "static"):
    static = ["--static"] if mode == "static" else []
    flags = run(f"pkg-config {mode}", "pkg-config", *static, "--cflags", "--libs", "ornsys", env=virtual).split()
    link = ["-static"] if static else []
    run(f"pkg-config {mode}: C build", "cc", "-std=c99", "-Wall", "-Wextra", "-Werror", *link,
        f"{source}/examples/board-info.c", *flags, "-o", f"{work}/c-{mode}")
    run(f"pkg-config {mode}: C++ build", "c++", "-std=c++17", "-Wall", "-Wextra", "-Werror", *link,
        f"{source}/examples/watchdog-keeper.cpp", *flags, "-o", f"{work}/cpp-{mode}")
    check_apps(f"pkg-config {mode}", f"{work}/c-{mode}", f"{work}/cpp-{mode}", virtual)

# The static library keeps its inside to itself: an application may use the
# same global names.
run("same names: build", "cc", "-std=c99", "-static", f"{source}/tests/consumer/same-names.c", *flags,
    "-o", f"{work}/same-names")
run("same names: run", f"{work}/same-names", expect="ORN-EPC-3510 with mem_fd 7, bInit 42, inb 3", env=virtual)
print("an application with the library's inner names links statically")

# The CMake package, then the source tree taken in with add_subdirectory; a
# static program finds the virtual board through the system search.
for how, option in (("package", f"-DCMAKE_PREFIX_PATH={prefix}"), ("subdirectory", f"-DORNSYS_SOURCE={source}")):
    run(f"CMake {how}: configure", "cmake", "-S", f"{source}/tests/consumer", "-B", f"{work}/{how}", "-G", "Ninja",
        f"-DEXAMPLES={source}/examples", option)
    run(f"CMake {how}: build", "cmake", "--build", f"{work}/{how}")
    for kind in ("ornsys", "ornsys_static"):
        check_apps(f"CMake {how}, {kind}", f"{work}/{how}/c-{kind}", f"{work}/{how}/cpp-{kind}", virtual)

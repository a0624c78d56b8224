#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""ornsys as applications get it, each on the default virtual board.

install: installs into a scratch prefix; the installed tool runs with no
environment at all, and a C and a C++ application build each way a consumer
can (pkg-config shared and static, the CMake package, add_subdirectory of the
source tree) and run.
packages: builds the Debian packages, unpacks them into a scratch root and
uses them from there: the tool reaches for the board (and fails cleanly where
there is none), the virtual board serves it only once its package is there and
asked for, the manual pages render without warnings, a C application builds
against the development package and runs; lintian, where it is installed,
finds no error. With --no-run (a build for another machine) only the packages
and lintian are checked.
Usage: deploy-check.py install|packages BUILD SOURCE WORK [--no-run]"""

import glob
import os
import re
import shutil
import subprocess
import sys

mode, build, source, work = sys.argv[1:5]
runs = "--no-run" not in sys.argv


def run(what, *argv, expect="", status=0, env=None, cwd=None, both=False):
    """Runs a command (with `env` added to the environment); stops the check
    unless it ends with `status` and its output (with `both`, both streams)
    matches `expect`."""
    done = subprocess.run(argv, capture_output=True, text=True, errors="replace", env=dict(os.environ, **(env or {})),
                          cwd=cwd)
    if done.returncode != status or not re.search(expect, done.stdout + (done.stderr if both else ""), re.S):
        sys.exit(f"{what}: exit {done.returncode}, printed:\n{done.stdout}{done.stderr}")
    return done


def pkg_config_apps(name, pcdir, static, cpp=True):
    """Builds the C application (and the C++ one) with pkg-config's flags and
    runs them (shared: with the library's folder on the search path, as for
    any prefix outside the system's). The flags and the environment."""
    env = {"ORNSYS_BACKEND": "virtual", "LD_LIBRARY_PATH": os.path.dirname(pcdir), "PKG_CONFIG_PATH": pcdir}
    how, link = f"pkg-config {name}", ["-static"] if static else []
    flags = run(how, "pkg-config", *(["--static"] if static else []), "--cflags", "--libs", "ornsys",
                env=env).stdout.split()
    run(f"{how}: C build", "cc", "-std=c99", "-Wall", "-Wextra", "-Werror", *link, f"{source}/examples/board-info.c",
        *flags, "-o", f"{work}/c-{name}")
    if cpp:
        run(f"{how}: C++ build", "c++", "-std=c++17", "-Wall", "-Wextra", "-Werror", *link,
            f"{source}/examples/watchdog-keeper.cpp", *flags, "-o", f"{work}/cpp-{name}")
    check_apps(how, f"{work}/c-{name}", f"{work}/cpp-{name}" if cpp else None, env)
    return flags, env


def check_apps(how, c, cpp, env):
    """The C application names the board, the C++ one arms and disarms the watchdog."""
    run(f"{how}: C application", c, expect="ORN-EPC-3510 serial EPC3510-004217, 300 boots", env=env)
    if cpp:
        run(f"{how}: C++ application", cpp, "--count", "2", "--period", "1",
            expect="watchdog disarmed after 2 triggers", env=env)
    print(f"{how}: {'C and C++ applications' if cpp else 'C application'} run")


def install():
    prefix = os.path.join(work, "prefix")
    run("install", "cmake", "--install", build, "--prefix", prefix)
    # The tool finds its library from any prefix, with no environment.
    run("the installed tool", "env", "-i", "ORNSYS_BACKEND=virtual", f"{prefix}/bin/ornsys", "-INFO", "-b",
        expect="ORN-EPC-3510")
    print("installed tool runs with no environment")
    pcdir = os.path.dirname(glob.glob(f"{prefix}/**/ornsys.pc", recursive=True)[0])
    pkg_config_apps("shared", pcdir, False)
    flags, env = pkg_config_apps("static", pcdir, True)
    # The static library keeps its inside to itself: an application may use
    # the same global names.
    run("same names: build", "cc", "-std=c99", "-static", f"{source}/tests/consumer/same-names.c", *flags,
        "-o", f"{work}/same-names")
    run("same names: run", f"{work}/same-names", expect="ORN-EPC-3510 with mem_fd 7, bInit 42, inb 3", env=env)
    print("an application with the library's inner names links statically")
    # The CMake package, then the source tree taken in with add_subdirectory;
    # a static program finds the virtual board through the system search.
    for how, option in (("package", f"-DCMAKE_PREFIX_PATH={prefix}"), ("subdirectory", f"-DORNSYS_SOURCE={source}")):
        run(f"CMake {how}: configure", "cmake", "-S", f"{source}/tests/consumer", "-B", f"{work}/{how}", "-G",
            "Ninja", f"-DEXAMPLES={source}/examples", option)
        run(f"CMake {how}: build", "cmake", "--build", f"{work}/{how}")
        for kind in ("ornsys", "ornsys_static"):
            check_apps(f"CMake {how}, {kind}", f"{work}/{how}/c-{kind}", f"{work}/{how}/cpp-{kind}", env)


def packages():
    root = os.path.join(work, "root")
    run("cpack", "cpack", "-G", "DEB", "-B", work, "--config", f"{build}/CPackConfig.cmake")
    debs = {re.sub(r"_.*", "", os.path.basename(deb)): deb for deb in glob.glob(f"{work}/*.deb")}
    expected = ["libornsys2", "libornsys-dev", "ornsys", "libornsim1", "ornsim-tools", "python3-ornsys"]
    if os.path.exists(f"{build}/bin/ornsys-devices"):  # built where libfuse3 is found
        expected.append("ornsys-devices")
    if sorted(debs) != sorted(expected):
        sys.exit(f"expected {len(expected)} packages, got: {sorted(debs)}")
    for name in ("libornsys2", "libornsys-dev", "ornsys"):
        run(f"unpacking {name}", "dpkg-deb", "-x", debs[name], root)
    if glob.glob(f"{root}/**/libornsim*", recursive=True):
        sys.exit("the board's packages carry the virtual board")
    # The library exports the API alone, needs no simulator and holds none of it.
    library = glob.glob(f"{root}/**/libornsys.so.2", recursive=True)[0]
    others = re.sub(r"[0-9a-f]+ ([TW] Orn[A-Za-z0-9]*@@ORNSYS_2|A ORNSYS_2)\n", "",
                    run("nm", "nm", "-D", "--defined-only", library).stdout)
    # Every API symbol carries the library's one version node.
    unversioned = [line for line in run("readelf --dyn-syms", "readelf", "--dyn-syms", "-W", library).stdout.splitlines()
                   if re.search(r" Orn\w*", line) and not re.search(r" Orn\w*@@ORNSYS_2$", line)]
    if unversioned or len(re.findall(r" Orn\w*@@ORNSYS_2$", run("readelf --dyn-syms", "readelf", "--dyn-syms", "-W",
                                                              library).stdout, re.M)) != 46:
        sys.exit("the library's API symbols are not all in version node ORNSYS_2:\n" + "\n".join(unversioned))
    if others or "ornsim" in run("readelf", "readelf", "-d", library).stdout or \
            re.search("ornsim_impl|ornsim_board", run("nm -C", "nm", "-C", f"{build}/bin/libornsys.so.2").stdout):
        sys.exit(f"the library exports more than the API, or needs or holds the virtual board:\n{others}")

    def check_tool(what, backend, status, expect):
        """What the tool does with no variable, or with the virtual backend
        asked for: the exit status and the line that tells why."""
        run(what, "env", "-i", "ORNSYS_DEBUG=1", *backend, f"{root}/usr/bin/ornsys", "-TEMP", "-a", status=status,
            expect=expect, both=True)
        print(f"{what}: exit {status} as it should")

    if runs:
        # The board: this machine has none (no /dev/mem, or no firmware), and
        # the tool says so instead of inventing readings.
        check_tool("the packaged tool, no variable", [], 255,
                   "ORNSYS ERROR: DLL: starting Win32 driver failed.*board backend")
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
            shown = run(f"man {page}", "man", "--warnings", "-l", page, env={"MANWIDTH": "80"},
                        cwd=f"{root}/usr/share/man")
            if shown.stderr:
                sys.exit(f"man {page} warns:\n{shown.stderr}")
        pkg_config_apps("packages", os.path.dirname(glob.glob(f"{root}/**/ornsys.pc", recursive=True)[0]), False,
                        cpp=False)
    if shutil.which("lintian"):
        found = subprocess.run(["lintian", "--allow-root", *debs.values()], capture_output=True, text=True).stdout
        if re.search(r"^E: ", found, re.M):
            sys.exit(f"lintian finds errors:\n{found}")
        print("lintian: no errors")
    else:
        print("lintian is not installed: the packages were not checked by it")
    print(f"{len(debs)} packages unpack and serve the tool, the manual and an application" if runs else
          f"{len(debs)} packages built and unpacked")


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
{"install": install, "packages": packages}[mode]()

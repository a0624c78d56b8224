#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""The reference manuals against the code: every API function has a page,
and the board-file manual and the parser know the same sections and keys,
each documented example taken by the virtual board as it stands.
Usage: manuals.py SOURCE_DIR ORNSIM_CTL"""

import os
import pathlib
import re
import subprocess
import sys
import tempfile

source, ctl = pathlib.Path(sys.argv[1]), sys.argv[2]
failures = []


def check(good, what):
    if not good:
        failures.append(what)


functions = set(re.findall(r"BOOL (Orn\w+)\(", (source / "include" / "ornsyslx.h").read_text()))
named = {f for page in (source / "man").glob("*.3") for f in re.findall(r"(Orn\w+)(?=[^\n]*\\- )", page.read_text())}
check(len(functions) == 46 and named == functions, f"API functions without a page: {functions ^ named}")

# The exporter's options, as its parser takes them and as its page tells them.
options = set(re.findall(r'add_argument\("(--[\w-]+)"', (source / "python" / "ornsys" / "exporter.py").read_text()))
page = (source / "man" / "ornsys-exporter.1").read_text().replace("\\-", "-")
told = set(re.findall(r"^\.BI (--[\w-]+)", page, re.M))
check(len(options) == 6 and told == options, f"exporter options not told alike: {options ^ told}")

# The documented keys: section -> key -> the example value.
documented, section = {}, None
for line in (source / "man" / "ornsim-board.5").read_text().splitlines():
    if heading := re.fullmatch(r"\.SS \[([a-z0-9-]+)\].*", line):
        section = heading[1]
    elif section and (entry := re.fullmatch(r'\.B "([a-z0-9-]+) = (.*)"', line)):
        documented.setdefault(section, {})[entry[1]] = entry[2]

listing = subprocess.run([str(pathlib.Path(ctl).with_name("ornsim-trace")), "--board-keys"], capture_output=True,
                         text=True, check=True).stdout.split("\n")
sections = {line for line in listing if line and " " not in line}
keys = {tuple(line.split(" ")) for line in listing if " " in line}
known = {(s, key) for s, entries in documented.items() if s != "ports" for key in entries}
check(set(documented) == sections, f"sections differ: {set(documented) ^ sections}")
check(keys == known, f"keys not documented: {keys - known}; documented keys unknown: {known - keys}")


def prelude(section, key):
    """What a section needs before one of its keys can be tried on its own."""
    return {"nvram": "[nvram]\ntype = 3\nsize = 4096\n",
            "i2c-device": "[i2c-bus]\nid = 0\n[i2c-device]\nbus = 0\naddress = 0x50\n",
            "i2c-bus": "[i2c-bus]\nid = 1\n",
            "fault": "[fault]\nfunction = 0x27\n" + ("" if key == "count" else "status = 0x8000\n")}.get(
        section, f"[{section}]\n")


tried = 0
with tempfile.TemporaryDirectory() as folder:
    for section, entries in documented.items():
        for key, example in entries.items():
            if "file" in key:
                pathlib.Path(folder, example).write_text("ab")
            board = pathlib.Path(folder, "manual.board")
            board.write_text(prelude(section, key) + f"{key} = {example}\n")
            env = dict(os.environ, ORNSIM_BOARD=str(board), ORNSIM_STATE=os.path.join(folder, f"{tried}.state"))
            shown = subprocess.run([ctl, "show"], env=env, capture_output=True, text=True)
            check(shown.returncode == 0, f"[{section}] {key} = {example}: {shown.stderr}")
            tried += 1
check(tried > 80, f"only {tried} documented examples")
print("\n".join(failures) or f"manuals: 46 functions, {len(known)} keys, {tried} examples as documented")
sys.exit(1 if failures else 0)

# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""The package installs with pip (Debian's, offline: no build isolation, no
index) into a virtual environment, and its exporter command runs from there."""

import os
import shutil
import subprocess
import sys

import pytest

from conftest import SOURCE


def test_pip_installs_the_package_and_its_command(tmp_path):
    if subprocess.run([sys.executable, "-c", "import venv, ensurepip, wheel"], capture_output=True).returncode:
        pytest.skip("python3-venv, python3-pip or python3-wheel is not installed")
    source = tmp_path / "python"
    shutil.copytree(SOURCE / "python", source, ignore=shutil.ignore_patterns("__pycache__", "tests"))
    env = tmp_path / "env"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(env)], check=True)
    subprocess.run([env / "bin" / "pip", "install", "-q", "--no-build-isolation", "--no-index", str(source)],
                   check=True, cwd=tmp_path)
    target = tmp_path / "board.prom"
    subprocess.run([env / "bin" / "ornsys-exporter", "--textfile", str(target)], check=True, cwd=tmp_path,
                   env=dict(os.environ, PYTHONPATH=""))
    assert "ornsys_board_info{" in target.read_text()
